// A schedule to judge with the queue carried over: the agents on the phones
// of each interval, pasted from a spreadsheet, read from a CSV file (a time
// column and an `agents` column, or the `on-phones` column of corvane-cli
// shifts --coverage) or taken from the schedule シフト作成 made. Its rows are
// matched to the day's intervals by their time, never by their place: a
// time missing, given twice, beyond the day or off its grid, a count blank,
// negative or not whole refuses the schedule, each such row named.
#pragma once

#include "shifts/schedule.h"
#include "tables/models/day_staffing.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace tables {

struct ScheduleRow {
    int line = 0;  // in the text, from 1; the period's number from 1 for シフト作成's
    QString time;  // as given
    QString count; // as given
};

struct ScheduleRows {
    QString source; // as the saved file's inputs name it: 貼り付け, a file's name, シフト作成
    std::vector<ScheduleRow> rows;
    // シフト作成's periods, in minutes: they must be the day's intervals.
    std::optional<int> periodMinutes;
    QString refused; // why the text is no schedule at all; empty when it reads
};

// The rows of a CSV or a tab-separated paste: a heading naming the time
// column (start, time, 時刻, 区間...) and the count's (agents or on-phones,
// one of them). Lines beginning with "#" before the
// heading (a saved file's head) and blank lines are skipped. Without a
// time column named, the first other column is the time, as corvane-cli day
// labels its rows; two count columns are refused.
ScheduleRows ReadSchedule(QStringView text, const QString& source);

// The agents on the phones of each period of the schedule シフト作成 made.
ScheduleRows ScheduleOfShifts(const shifts::Schedule& schedule);

struct ScheduleMatch {
    std::vector<double> agents; // one an interval of the day, in its order
    QString refused;            // every row refused, a line each; empty when it matches
};

// The schedule's counts in the day's order, each row put by its time; a
// total row (合計, Total...) is left out, refused where it is not the sum of
// the rows above it.
ScheduleMatch MatchSchedule(const Day& day, const ScheduleRows& schedule);

} // namespace tables
