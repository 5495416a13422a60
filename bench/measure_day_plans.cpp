// How the usual plans fare once the queue carries over: on days of the kinds
// planners staff, each planned three ways (transient/day.h: the transient
// method, the usual per-interval plan, the lagged plan), each plan judged
// with the queue carried over from an empty start. Prints, for each day, the
// share of intervals with calls where each plan misses its service target,
// how many of the usual plan's misses come where its staffing falls, its
// lowest service level, and the agent-hours on the phones of the three.
// Run again with: build/bench/measure_day_plans
#include "transient/day.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using transient::DayInput;
using transient::DayResult;
using transient::Method;

struct Kind {
    const char* name;
    int intervals;
    double minutes, aht, patience, lines;
    double level, targetTime; // a service level, or level 0 and an average wait of targetTime
    double peakErlangs;
    std::function<double(double)> shape; // the load at a share of the day gone, peak 1
};

double Bump(double x, double at, double width) {
    return std::exp(-std::pow((x - at) / width, 2));
}

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        {"bank, double peak, 96 x 15 min", 96, 15, 240, 180, INFINITY, 0.8, 20, 110,
         [](double x) { return Bump(x, 0.36, 0.09) + 0.85 * Bump(x, 0.68, 0.1) + 0.03; }},
        {"08:00 opening, 5-min intervals", 120, 5, 300, 240, INFINITY, 0.8, 20, 80,
         [](double x) { return x < 0.02 ? 1.0 : 0.55 + 0.35 * Bump(x, 0.2, 0.15) - 0.2 * x; }},
        {"help desk, long calls (aht 15 min)", 48, 30, 900, 600, INFINITY, 0.8, 60, 60,
         [](double x) { return Bump(x, 0.3, 0.12) + 0.8 * Bump(x, 0.65, 0.12) + 0.05; }},
        {"lunch dip, 40 lines", 48, 30, 180, 120, 40, 0.9, 15, 30,
         [](double x) { return x < 0.1 || x > 0.9 ? 0.1 : 1 - 0.6 * Bump(x, 0.5, 0.06); }},
        {"large Erlang C, 96 x 15 min", 96, 15, 300, INFINITY, INFINITY, 0.8, 20, 600,
         [](double x) { return Bump(x, 0.35, 0.1) + 0.9 * Bump(x, 0.7, 0.1) + 0.02; }},
        {"average wait 30 s, 48 x 30 min", 48, 30, 200, 300, INFINITY, 0, 30, 150,
         [](double x) { return Bump(x, 0.4, 0.15) + 0.7 * Bump(x, 0.75, 0.08) + 0.05; }},
    };
    return kinds;
}

DayInput DayOf(const Kind& k) {
    DayInput in;
    in.model = {k.minutes, k.aht, k.patience, k.lines};
    if (k.level > 0) {
        in.targets.serviceLevel = k.level;
        in.targets.targetTimeSeconds = k.targetTime;
    } else {
        in.targets.averageWaitSeconds = k.targetTime;
    }
    for (int i = 0; i < k.intervals; ++i) {
        const double x = (i + 0.5) / k.intervals;
        in.calls.push_back(std::round(k.peakErlangs * k.shape(x) * k.minutes * 60 / k.aht));
    }
    return in;
}

} // namespace

int main() {
    std::printf("| day | intervals | usual misses | of them where staffing falls | lowest level "
                "(usual) | lagged misses | transient misses | agent-hours transient / usual / "
                "lagged |\n|---|---|---|---|---|---|---|---|\n");
    int allIntervals = 0, allUsual = 0, allLagged = 0;
    for (const Kind& k : Kinds()) {
        DayInput in = DayOf(k);
        DayResult plans[3];
        const Method methods[3] = {Method::Transient, Method::Stationary, Method::Lagged};
        for (int m = 0; m < 3; ++m) {
            in.method = methods[m];
            plans[m] = transient::PlanDay(in);
        }
        int withCalls = 0, falls = 0;
        double lowest = 1;
        for (std::size_t i = 0; i < in.calls.size(); ++i) {
            withCalls += in.calls[i] > 0;
        }
        const auto& usual = plans[1].intervals;
        for (const int i : plans[1].totals.missed) {
            falls += i > 0 && usual[static_cast<std::size_t>(i)].agents <
                                  usual[static_cast<std::size_t>(i) - 1].agents;
            lowest = std::min(lowest, usual[static_cast<std::size_t>(i)].serviceLevel);
        }
        const auto share = [&](const DayResult& r) {
            return std::to_string(r.totals.missed.size()) + " (" +
                   std::to_string(static_cast<int>(std::lround(
                       100.0 * static_cast<double>(r.totals.missed.size()) / withCalls))) +
                   " %)";
        };
        std::printf("| %s | %d | %s | %d | %s | %s | %s | %.1f / %.1f / %.1f |\n", k.name,
                    withCalls, share(plans[1]).c_str(), falls,
                    k.level > 0 ? std::to_string(lowest).substr(0, 5).c_str() : "-",
                    share(plans[2]).c_str(), share(plans[0]).c_str(), plans[0].totals.phoneHours,
                    plans[1].totals.phoneHours, plans[2].totals.phoneHours);
        allIntervals += withCalls;
        allUsual += static_cast<int>(plans[1].totals.missed.size());
        allLagged += static_cast<int>(plans[2].totals.missed.size());
    }
    std::printf("\nAll days: the usual plan misses %d of %d intervals (%.0f %%), the lagged plan "
                "%d (%.0f %%).\n",
                allUsual, allIntervals, 100.0 * allUsual / allIntervals, allLagged,
                100.0 * allLagged / allIntervals);
}
