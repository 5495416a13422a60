// シフト作成: the day's staffing turned into shifts by the room shifts/. The
// requirement of each interval is the day's agents on the phones (objective
// cover) or its calls with the day's centre (objective service); the
// templates are the room's JSON, read by the room itself, so that the window
// refuses what corvane-cli refuses, with the same message. A day with a row
// without an answer is refused under cover rather than solved without it.
#pragma once

#include "shifts/schedule.h"
#include "tables/models/day_staffing.h"

#include <QString>

#include <optional>

namespace tables {

enum class ShiftObjective { Cover, Service };

// The templates offered before the planner writes any: one eight-hour shift
// with a paid quarter-hour break, starting on any period of the day.
QString DefaultShiftTemplates();

// Why the templates' text will not do (the room's message), or nothing.
std::optional<QString> TemplatesError(const QString& json);

// The problem to solve. Throws shifts::InputError naming the interval or
// the template.
shifts::Problem ShiftProblem(const Day& day, const QString& templatesJson, ShiftObjective objective,
                             double timeLimitSeconds);

// The answer in a sentence: agents, paid hours, cost, shortfalls, optimal
// or the gap left.
QString ShiftSummary(const shifts::Schedule& schedule);

// The shifts and the coverage as CSV, after the inputs they answer (the
// objective and the templates) as "#" lines: what the copy button gives.
QString ScheduleCsv(const shifts::Schedule& schedule, ShiftObjective objective,
                    const QString& templatesJson);

} // namespace tables
