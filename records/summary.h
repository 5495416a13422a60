// From the periods' sums to the figures of ITU-T E.500 and the circuits of
// E.520: each period's calls, carried traffic, peak and mean holding; each
// local day's peak hour; over the days the average daily peak hour
// (adph-traffic), the time-consistent busy hour (tcbh), the fixed daily
// measurement hour (fdmh-traffic), the normal and high loads (the mean daily
// peak hour of the normal-days and high-days highest days) and the fewest
// Erlang B lines meeting the blocking at each.
//
// Exact: every traffic is a ratio of integer nanoseconds, averaged and
// compared as exact rationals (Boost.Multiprecision), so that ties go to the
// earliest hour as the definitions say; each figure is rounded to double
// once, at the end. With the measured group's lines each day's peak-hour
// traffic is taken from carried to offered by the engine's
// ErlangBOfferedTraffic; a day whose carried traffic leaves no offered
// traffic on those lines is named saturated and not averaged.
#pragma once

#include "records/options.h"
#include "records/tally.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace records {

struct PeakRange {
    std::int64_t low = 0, high = 0; // exact where equal
    bool Exact() const { return low == high; }
};

struct PeriodRow {
    std::int64_t start = 0, end = 0; // UTC nanoseconds
    std::string startText;           // local ISO 8601 with its offset
    std::int64_t day = 0;            // its local day, since 1970
    int clockMinutes = 0; // its local clock time, minutes after midnight (a heat map's column)
    std::int64_t calls = 0;
    double traffic = 0; // carried erlangs
    PeakRange peak;
    std::optional<double> holdingTime; // mean, seconds; none without calls
};

struct DayRow {
    std::int64_t day = 0; // since 1970 on the local calendar
    std::string date;
    std::int64_t calls = 0;
    PeakRange peak;
    std::string peakHour;           // its local start
    std::int64_t peakHourStart = 0; // UTC nanoseconds
    std::int64_t dayStart = 0;      // the day's first instant, UTC nanoseconds
    double peakHourTraffic = 0;     // carried
    std::optional<double> offered;  // with lines: the peak hour's offered traffic
    bool saturated = false;         // with lines: no offered traffic carries this much
};

struct Summary {
    double adphTraffic = 0;
    std::string tcbh; // "HH:MM"
    double tcbhTraffic = 0;
    std::optional<double> fdmhTraffic;
    double normalLoad = 0, highLoad = 0;
    int normalDays = 0, highDays = 0; // the days averaged
    std::int64_t linesNormal = 0, linesHigh = 0, lines = 0;
    bool offered = false; // the loads are offered traffic (lines given)
    std::vector<std::string> saturated;
    PeakRange peak;
    std::int64_t calls = 0, days = 0;
    std::string first, last; // local ISO 8601 of the earliest start and latest end
};

struct Report {
    std::vector<PeriodRow> periods; // every period of the measured days
    std::vector<DayRow> days;
    Summary summary;
};

// Throws OptionError for options that do not fit the reading (a fixed hour
// off the periods' boundaries), and for measured days over ten years long.
Report Summarize(const Tally& tally, const SummaryOptions& options);

// As corvane-cli prints them: CSV with a header, and the summary as JSON
// with the names above plus the reading's counts.
void WritePeriods(std::ostream& out, const Report& report);
void WriteDays(std::ostream& out, const Report& report);
void WriteSummary(std::ostream& out, const Report& report, const Tally& tally);
std::string SummaryJson(const Report& report, const Tally& tally);

} // namespace records
