#include "records/summary.h"

#include "records/clock.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/error.h"
#include "teletraffic/measured_traffic.h"
#include "textio/csv.h"

#include <boost/multiprecision/cpp_int.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <map>

namespace records {
namespace {

using Rational = boost::multiprecision::cpp_rational;
using BigInt = boost::multiprecision::cpp_int;

BigInt Big(Int128 v) {
    const bool negative = v < 0;
    __extension__ using UInt128 = unsigned __int128;
    const UInt128 u = negative ? static_cast<UInt128>(-v) : static_cast<UInt128>(v);
    BigInt b = static_cast<std::uint64_t>(u >> 64);
    b <<= 64;
    b += static_cast<std::uint64_t>(u);
    return negative ? BigInt(-b) : b;
}

double ToDouble(const Rational& r) {
    return r.convert_to<double>();
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
    const std::int64_t m = a % b;
    return m < 0 ? m + b : m;
}

std::string ClockText(std::int64_t minutes) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", int(minutes / 60), int(minutes % 60));
    return buffer;
}

struct DayPeriods {
    std::int64_t day;
    std::vector<const PeriodSums*> sums; // null where nothing was held
    std::vector<Period> periods;
};

// The mean of the daily peak-hour traffics of the `count` highest days.
template <class T> T MeanOfHighest(std::vector<T> values, int count, int& used) {
    std::sort(values.begin(), values.end(), [](const T& a, const T& b) { return a > b; });
    used = static_cast<int>(std::min<std::size_t>(values.size(), static_cast<std::size_t>(count)));
    T sum = 0;
    for (int i = 0; i < used; ++i) {
        sum += values[static_cast<std::size_t>(i)];
    }
    return used == 0 ? T(0) : T(sum / used);
}

std::int64_t LinesFor(double load, double blocking) {
    return load > 0 ? teletraffic::ErlangBLines(load, blocking) : 0;
}

} // namespace

Report Summarize(const Tally& tally, const SummaryOptions& options) {
    const Zone zone(tally.zone);
    const PeriodGrid grid(zone, tally.interval);
    const int perHour = 60 / tally.interval;
    if (options.fixedHourMinutes) {
        CheckFixedHour(*options.fixedHourMinutes, tally.interval);
    }
    Report report;
    Summary& summary = report.summary;
    const bool any = tally.calls > 0;
    if (!any && !(options.from && options.to)) {
        return report;
    }
    const std::int64_t firstDay = options.from ? *options.from : zone.DayOf(tally.first);
    const std::int64_t lastDay =
        options.to ? *options.to : zone.DayOf(std::max(tally.first, tally.last - 1));
    // Every period of every day is listed: ten years of quarter hours are
    // 350,000 rows; calls further apart are a clock set wrong or two files
    // that do not belong together.
    if (lastDay - firstDay >= 3653) {
        const std::string span = "the measured days run from " + DateText(firstDay) + " to " +
                                 DateText(lastDay) + ", over ten years";
        if (options.from && options.to) {
            throw OptionError(Option::To, Reason::TooManyDays,
                              "must be within ten years of @: " + span, Option::From);
        }
        throw OptionError(Option::From, Reason::TooManyDays, "and @ are needed: " + span,
                          Option::To);
    }

    // Each measured day's periods, found on the grid, with their sums.
    std::vector<DayPeriods> days;
    for (std::int64_t d = firstDay; d <= lastDay; ++d) {
        DayPeriods day{d, {}, {}};
        std::int64_t t = zone.DayStart(d) * kNanos;
        for (int guard = 0; guard < 4 * 24 * perHour; ++guard) {
            const Period p = grid.At(t);
            if (FloorDiv(p.clock, 1440) != d) {
                break;
            }
            const auto it =
                std::lower_bound(tally.periods.begin(), tally.periods.end(), p.start,
                                 [](const PeriodSums& s, std::int64_t v) { return s.start < v; });
            day.sums.push_back(it != tally.periods.end() && it->start == p.start ? &*it : nullptr);
            day.periods.push_back(p);
            t = p.end;
        }
        days.push_back(std::move(day));
    }
    summary.days = static_cast<std::int64_t>(days.size());

    std::map<std::int64_t, Rational> slotSum;
    std::map<std::int64_t, int> slotDays;
    std::vector<Rational> peakHours;
    std::vector<double> offered;
    for (const DayPeriods& day : days) {
        std::vector<Rational> traffic;
        DayRow row;
        row.day = day.day;
        row.date = DateText(day.day);
        std::map<std::int64_t, bool> seen;
        for (std::size_t i = 0; i < day.periods.size(); ++i) {
            const Period& p = day.periods[i];
            const PeriodSums* s = day.sums[i];
            PeriodRow out;
            out.start = p.start;
            out.end = p.end;
            out.startText = LocalIso(zone, p.start);
            out.day = day.day;
            out.clockMinutes = static_cast<int>(FloorMod(p.clock, 1440));
            const Rational value =
                s ? Rational(Big(s->holding), BigInt(p.end - p.start)) : Rational(0);
            traffic.push_back(value);
            if (s) {
                out.calls = s->calls;
                out.traffic = ToDouble(value);
                out.peak = {s->peakLow, s->peakHigh};
                if (s->calls > 0) {
                    out.holdingTime =
                        ToDouble(Rational(Big(s->callHolding), BigInt(s->calls) * kNanos));
                }
            }
            row.calls += out.calls;
            row.peak.low = std::max(row.peak.low, out.peak.low);
            row.peak.high = std::max(row.peak.high, out.peak.high);
            report.periods.push_back(std::move(out));
            // The time-consistent hour counts a clock time's first occurrence.
            const std::int64_t slot = FloorMod(p.clock, 1440);
            if (!seen[slot]) {
                seen[slot] = true;
                slotSum[slot] += value;
                ++slotDays[slot];
            }
        }
        // The day's peak hour: the consecutive periods of an hour with the
        // largest mean traffic, the earliest of equals.
        const std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(perHour), traffic.size());
        Rational best = -1;
        std::size_t at = 0;
        for (std::size_t i = 0; i + n <= traffic.size() && n > 0; ++i) {
            Rational sum = 0;
            for (std::size_t k = 0; k < n; ++k) {
                sum += traffic[i + k];
            }
            if (sum > best) {
                best = sum;
                at = i;
            }
        }
        const Rational hour = n > 0 ? Rational(best / static_cast<int>(n)) : Rational(0);
        row.peakHour = day.periods.empty() ? "" : LocalIso(zone, day.periods[at].start);
        row.peakHourStart = day.periods.empty() ? 0 : day.periods[at].start;
        row.dayStart = zone.DayStart(day.day) * kNanos;
        row.peakHourTraffic = ToDouble(hour);
        peakHours.push_back(hour);
        if (options.lines) {
            const double carried = row.peakHourTraffic;
            try {
                row.offered = carried < *options.lines
                                  ? teletraffic::ErlangBOfferedTraffic(carried, *options.lines)
                                  : std::optional<double>{};
            } catch (const teletraffic::DomainError&) {
                row.offered.reset();
            }
            row.saturated = !row.offered;
            if (row.saturated) {
                summary.saturated.push_back(row.date);
            } else {
                offered.push_back(*row.offered);
            }
        }
        summary.calls += row.calls;
        summary.peak.low = std::max(summary.peak.low, row.peak.low);
        summary.peak.high = std::max(summary.peak.high, row.peak.high);
        report.days.push_back(std::move(row));
    }

    Rational adph = 0;
    for (const Rational& h : peakHours) {
        adph += h;
    }
    summary.adphTraffic =
        peakHours.empty() ? 0 : ToDouble(adph / static_cast<int>(peakHours.size()));

    // An hour's traffic averaged over the days: each clock time over the days
    // that had it (a time the clocks skipped over the others).
    auto hourAt = [&](std::int64_t start) {
        Rational sum = 0;
        int slots = 0;
        for (int k = 0; k < perHour; ++k) {
            const std::int64_t slot = start + std::int64_t{k} * tally.interval;
            const auto count = slotDays.find(slot);
            if (count != slotDays.end() && count->second > 0) {
                sum += slotSum[slot] / count->second;
                ++slots;
            }
        }
        return slots == 0 ? Rational(0) : Rational(sum / slots);
    };
    Rational tcbh = -1;
    for (std::int64_t start = 0; start <= 23 * 60; start += tally.interval) {
        const Rational value = hourAt(start);
        if (value > tcbh) {
            tcbh = value;
            summary.tcbh = ClockText(start);
        }
    }
    summary.tcbhTraffic = ToDouble(tcbh);
    if (options.fixedHourMinutes) {
        summary.fdmhTraffic = ToDouble(hourAt(*options.fixedHourMinutes));
    }

    if (options.lines) {
        summary.offered = true;
        summary.normalLoad = MeanOfHighest(offered, options.normalDays, summary.normalDays);
        summary.highLoad = MeanOfHighest(offered, options.highDays, summary.highDays);
    } else {
        summary.normalLoad =
            ToDouble(MeanOfHighest(peakHours, options.normalDays, summary.normalDays));
        summary.highLoad = ToDouble(MeanOfHighest(peakHours, options.highDays, summary.highDays));
    }
    summary.linesNormal = LinesFor(summary.normalLoad, options.blocking);
    summary.linesHigh = LinesFor(summary.highLoad, options.highBlocking);
    summary.lines = std::max(summary.linesNormal, summary.linesHigh);
    if (any) {
        summary.first = LocalIso(zone, tally.first);
        summary.last = LocalIso(zone, tally.last);
    }
    return report;
}

namespace {

std::string Number(double v) {
    return teletraffic::ShowNumber(v);
}

std::string PeakText(const PeakRange& p) {
    return p.Exact() ? std::to_string(p.low)
                     : std::to_string(p.low) + ".." + std::to_string(p.high);
}

nlohmann::json PeakJson(const PeakRange& p) {
    if (p.Exact()) {
        return p.low;
    }
    return {{"at-least", p.low}, {"at-most", p.high}};
}

} // namespace

void WritePeriods(std::ostream& out, const Report& report) {
    out << "start,calls,traffic,peak,holding-time\n";
    for (const PeriodRow& p : report.periods) {
        out << p.startText << ',' << p.calls << ',' << Number(p.traffic) << ',' << PeakText(p.peak)
            << ',' << (p.holdingTime ? Number(*p.holdingTime) : "") << '\n';
    }
}

void WriteDays(std::ostream& out, const Report& report) {
    const bool offered = report.summary.offered;
    out << "date,calls,peak,peak-hour,peak-hour-traffic" << (offered ? ",offered\n" : "\n");
    for (const DayRow& d : report.days) {
        out << d.date << ',' << d.calls << ',' << PeakText(d.peak) << ',' << d.peakHour << ','
            << Number(d.peakHourTraffic);
        if (offered) {
            out << ',' << (d.offered ? Number(*d.offered) : "saturated");
        }
        out << '\n';
    }
}

std::string SummaryJson(const Report& report, const Tally& tally) {
    const Summary& s = report.summary;
    nlohmann::json refused = nlohmann::json::object(), skipped = nlohmann::json::object();
    for (std::size_t i = 0; i < kRefusalCount; ++i) {
        if (tally.refused[i] > 0) {
            refused[std::string(RefusalName(static_cast<Refusal>(i)))] = tally.refused[i];
        }
    }
    for (std::size_t i = 0; i < kSkipCount; ++i) {
        if (tally.skipped[i] > 0) {
            skipped[std::string(SkipName(static_cast<Skip>(i)))] = tally.skipped[i];
        }
    }
    nlohmann::json j = nlohmann::json::object();
    j["adph-traffic"] = s.adphTraffic;
    j["tcbh"] = s.tcbh;
    j["tcbh-traffic"] = s.tcbhTraffic;
    j["fdmh-traffic"] = s.fdmhTraffic ? nlohmann::json(*s.fdmhTraffic) : nlohmann::json();
    j["normal-load"] = s.normalLoad;
    j["high-load"] = s.highLoad;
    j["load"] = s.offered ? "offered" : "carried";
    j["lines-normal"] = s.linesNormal;
    j["lines-high"] = s.linesHigh;
    j["lines"] = s.lines;
    j["saturated"] = s.saturated;
    j["peak"] = PeakJson(s.peak);
    j["rows"] = tally.rows;
    j["rows-used"] = tally.rowsUsed;
    j["rows-refused"] = refused;
    j["rows-skipped"] = skipped;
    j["rows-late"] = tally.late;
    j["rows-uncertain"] = tally.uncertain;
    j["ambiguous"] = tally.ambiguous;
    j["calls"] = s.calls;
    j["days"] = s.days;
    j["first"] = s.first;
    j["last"] = s.last;
    j["normal-days"] = s.normalDays;
    j["high-days"] = s.highDays;
    return j.dump();
}

void WriteSummary(std::ostream& out, const Report& report, const Tally& tally) {
    const nlohmann::json j = nlohmann::json::parse(SummaryJson(report, tally));
    out << "name,value\n";
    for (const auto& [name, value] : j.items()) {
        std::string line = name + ",";
        textio::AppendField(line, value.is_string() ? value.get<std::string>() : value.dump());
        out << line << '\n';
    }
}

} // namespace records
