// シフト作成: the day's staffing turned into shifts by the room shifts/. The
// requirement of each interval is the day's agents on the phones (objective
// cover) or its calls with the day's centre (objective service); the
// templates are the room's JSON, read by the room itself, so that the window
// refuses what corvane-cli refuses, with the same message. A day with a row
// without an answer is refused under cover rather than solved without it.
#pragma once

#include "shifts/schedule.h"
#include "tables/models/day_staffing.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tables {

enum class ShiftObjective { Cover, Service };

// The templates offered before the planner writes any: one eight-hour shift
// with a paid quarter-hour break, starting on any period of the day.
QString DefaultShiftTemplates();

// What a solve is asked besides the day.
struct ShiftInputs {
    ShiftObjective objective = ShiftObjective::Cover;
    QString templatesJson; // on one line, as ShiftTemplateTable::json() writes it
    double timeLimitSeconds = 60;
    bool cyclic = false;
};

// The problem to solve. Throws shifts::InputError naming the interval or
// the template.
shifts::Problem ShiftProblem(const Day& day, const ShiftInputs& inputs);

// The answer in a sentence: agents, paid hours, cost, shortfalls, optimal
// or the gap left.
QString ShiftSummary(const shifts::Schedule& schedule);

// The inputs a schedule answers and its figures, a line each (a label, then
// its values), as a saved file states them (files.h, CsvHead).
QList<QStringList> ShiftInputLines(const ShiftInputs& inputs);
QList<QStringList> ShiftAnswerLines(const shifts::Schedule& schedule);

// The shifts, a line a group of agents working the same shift, and the
// coverage, a line a period (under service with its calls and level), as
// CSV with their headings: the columns corvane-cli writes, figures alone in
// the figures' columns.
QString ShiftsTableCsv(const shifts::Schedule& schedule);
QString CoverageTableCsv(const shifts::Schedule& schedule, ShiftObjective objective);

// The shifts and the coverage as one text, after the inputs as "#" lines:
// what the copy button gives.
QString ScheduleCsv(const shifts::Schedule& schedule, const ShiftInputs& inputs);

// Saves the shifts to `path` and the coverage beside it (CoveragePath:
// "day.csv" and "day-coverage.csv"), each `head` (CsvHead: the day's inputs)
// then the solve's inputs and figures, then its table; each file whole or
// not at all. Empty, or why not, naming the file that was not written (and
// any that was).
QString CoveragePath(const QString& shiftsPath);
QString SaveSchedule(const QString& path, const QByteArray& head, const shifts::Schedule& schedule,
                     const ShiftInputs& inputs);

} // namespace tables
