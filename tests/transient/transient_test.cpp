#include "transient/chain/chain.h"
#include "transient/day.h"
#include "transient/simulation.h"

#include "teletraffic/erlang_x.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace transient;

DayInput Day(std::vector<double> calls, DayModel model, double level = 0.8, double time = 20) {
    DayInput in;
    in.calls = std::move(calls);
    in.model = model;
    in.targets.serviceLevel = level;
    in.targets.targetTimeSeconds = time;
    return in;
}

double Number(const std::string& text) {
    return text == "inf" ? INFINITY : std::stod(text);
}

std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, separator);) {
        out.push_back(field);
    }
    return out;
}

// Against tests/data/transient/reference.csv (make_reference.py: the full
// generator's matrix exponential): every figure of each day's schedule to
// 1e-9 relative (1e-13 absolute below 1e-4), and the staffed counts exactly.
TEST(TransientDay, AgreesWithTheReference) {
    std::ifstream file(CORVANE_TRANSIENT_REFERENCE);
    std::map<std::string, DayInput> days;
    std::map<std::string, std::vector<double>> staffed;
    std::vector<std::vector<std::string>> figures;
    for (std::string line; std::getline(file, line);) {
        const auto f = Fields(line, ',');
        DayInput& day = days[f.at(1)];
        if (f[0] == "day") {
            day.model = {Number(f[2]), Number(f[3]), Number(f[4]), Number(f[5])};
            day.targets.targetTimeSeconds = Number(f[6]);
            day.start = *ReadStart(f[7]);
            day.targets.serviceLevel = f[8] == "-" ? 0.5 : Number(f[8]);
            day.targets.maxOccupancy = Number(f[9]);
        } else if (f[0] == "calls" || f[0] == "agents") {
            std::vector<double> values;
            for (const auto& v : Fields(f[2], ';')) {
                values.push_back(Number(v));
            }
            (f[0] == "calls" ? day.calls : day.agents.emplace()) = values;
        } else if (f[0] == "staffed") {
            staffed[f[1]].push_back(Number(f[3]));
        } else {
            figures.push_back(f);
        }
    }
    ASSERT_GE(days.size(), 6u);
    std::map<std::string, DayResult> results;
    for (const auto& [name, day] : days) {
        results[name] = PlanDay(day);
    }
    double worst = 0;
    for (const auto& f : figures) {
        const IntervalFigures& got = results.at(f[1]).intervals.at(std::stoul(f[2]));
        const double want = Number(f[4]);
        double value = NAN;
        for (const FigureInfo& info : Figures()) {
            value = f[3] == info.kebab ? FigureValue(got, info.figure) : value;
        }
        const double error = std::abs(value - want);
        EXPECT_LE(error, std::max(1e-9 * std::abs(want), 1e-13))
            << f[1] << " " << f[2] << " " << f[3];
        worst = std::abs(want) > 1e-4 ? std::max(worst, error / std::abs(want)) : worst;
    }
    std::cout << "worst relative error " << worst << " over " << figures.size() << " figures\n";
    ASSERT_GE(staffed.size(), 2u);
    for (const auto& [name, counts] : staffed) {
        DayInput day = days.at(name);
        day.agents.reset();
        const DayResult r = PlanDay(day);
        for (std::size_t i = 0; i < counts.size(); ++i) {
            EXPECT_EQ(r.intervals[i].agents, counts[i]) << name << " interval " << i;
        }
    }
}

// A constant day long enough forgets its empty start: its last interval's
// figures are the stationary ones of the engine (Erlang A, C, X with lines).
TEST(TransientDay, LongConstantDayReachesTheStationaryFigures) {
    const struct {
        const char* name;
        DayModel model;
        double calls, agents;
    } cases[] = {
        {"Erlang A", {30, 180, 240, INFINITY}, 100, 9},
        {"Erlang C", {30, 180, INFINITY, INFINITY}, 100, 12},
        {"Erlang X with lines", {30, 180, 300, 14}, 110, 11},
    };
    for (const auto& c : cases) {
        DayInput in = Day(std::vector<double>(48, c.calls), c.model);
        in.agents = std::vector<double>(48, c.agents);
        const IntervalFigures last = PlanDay(in).intervals.back();
        const teletraffic::ErlangXFigures want =
            teletraffic::ErlangX(c.calls * 180 / 1800, c.agents,
                                 {180, c.model.patienceSeconds, c.model.lines, 0, 0, 0}, 20);
        const auto near = [](double a, double b) { return std::abs(a - b) <= 1e-9 * b + 1e-15; };
        EXPECT_PRED2(near, last.serviceLevel, want.serviceLevel) << c.name;
        EXPECT_PRED2(near, last.abandonProbability, want.abandonProbability) << c.name;
        EXPECT_PRED2(near, last.averageWait, want.averageWait) << c.name;
        EXPECT_PRED2(near, last.occupancy, want.occupancy) << c.name;
        EXPECT_PRED2(near, last.blocking, want.blocking) << c.name;
    }
}

// Limits with answers in closed form.
TEST(TransientDay, LimitsInClosedForm) {
    // One interval from empty with agents to spare is the infinite-server
    // queue: E[b](s) = a (1 - e^(-s/S)), integrated over the interval.
    DayInput open = Day({60}, {30, 600, INFINITY, INFINITY});
    open.agents = std::vector<double>{200};
    const double a = 60.0 * 600 / 1800, tau = 1800, s = 600;
    const double busy = a * (tau - s * (1 - std::exp(-tau / s)));
    EXPECT_NEAR(PlanDay(open).intervals[0].occupancy, busy / (200 * tau), 1e-13);

    // No agent while calls are in service: they finish, nobody is answered,
    // and without patience every arrival joins the queue for good.
    DayInput none = Day({60, 300}, {30, 180, INFINITY, INFINITY});
    none.agents = std::vector<double>{4, 0};
    const DayResult r = PlanDay(none);
    const IntervalFigures& idle = r.intervals[1];
    const double q0 = r.intervals[0].queueAtEnd;
    EXPECT_EQ(idle.serviceLevel, 0);
    EXPECT_NEAR(idle.occupancy, 1, 1e-15);
    EXPECT_NEAR(idle.queueAtEnd, q0 + 300, 1e-9 * (q0 + 300)); // the queue's bound doubled
    EXPECT_EQ(idle.averageWait, INFINITY); // with no agent held nobody is answered
    EXPECT_EQ(idle.abandonProbability, 0);

    // A day of zeros needs nobody and misses nothing.
    const DayResult zeros = PlanDay(Day(std::vector<double>(4, 0), {15, 180, 60, 5}));
    for (const auto& f : zeros.intervals) {
        EXPECT_EQ(f.agents, 0);
        EXPECT_EQ(f.serviceLevel, 1);
        EXPECT_EQ(f.queueAtEnd, 0);
    }
    EXPECT_EQ(zeros.totals.phoneHours, 0);
    EXPECT_TRUE(zeros.totals.missed.empty());
}

// The periodic start is a fixed point: the last of twelve copies of the day
// from an empty start has its figures; every plan meets it.
TEST(TransientDay, PeriodicStartIsTheDayRepeated) {
    const std::vector<double> calls = {40, 120, 150, 90, 20, 0, 60, 110};
    for (const Method method : {Method::Transient, Method::Stationary, Method::Lagged}) {
        DayInput periodic = Day(calls, {30, 300, 400, INFINITY});
        periodic.method = method;
        periodic.start = Start::Periodic;
        const DayResult p = PlanDay(periodic);
        DayInput repeated = periodic;
        repeated.start = Start::Empty;
        repeated.calls.clear();
        repeated.agents.emplace();
        for (int d = 0; d < 12; ++d) {
            repeated.calls.insert(repeated.calls.end(), calls.begin(), calls.end());
            for (const auto& f : p.intervals) {
                repeated.agents->push_back(static_cast<double>(f.agents));
            }
        }
        const DayResult r = PlanDay(repeated);
        for (std::size_t i = 0; i < calls.size(); ++i) {
            const IntervalFigures& want = r.intervals[r.intervals.size() - calls.size() + i];
            EXPECT_NEAR(p.intervals[i].serviceLevel, want.serviceLevel, 1e-12) << Word(method);
            EXPECT_NEAR(p.intervals[i].queueAtEnd, want.queueAtEnd, 1e-12) << Word(method);
        }
    }
}

// The window's cut far below 1e-16 changes no figure: 1e-20 against 1e-30,
// after a fall (calls finishing beyond the count) and at a deep queue.
TEST(TransientDay, FiguresDoNotDependOnTheCut) {
    const chain::Rates rates{150.0 / 1800, 1 / 240.0, 1 / 200.0, INFINITY, 1800};
    const chain::Interval first = chain::Advance(chain::EmptyState(), 30, rates, 20, true);
    for (const std::int64_t agents : {12, 19, 30}) {
        const chain::Sums a = chain::Advance(first.end, agents, rates, 20, true).sums;
        const chain::Sums b = chain::Advance(first.end, agents, rates, 20, true, 0, {}, 1e-30).sums;
        EXPECT_NEAR(a.answered / a.accepting, b.answered / b.accepting, 1e-13) << agents;
        EXPECT_NEAR(a.waiting / a.time, b.waiting / b.time, 1e-12) << agents;
        EXPECT_NEAR(a.queueAtEnd, b.queueAtEnd, 1e-12) << agents;
    }
}

// Every staffed count is the least: one agent fewer in any interval that
// has calls, all else the same, misses the target or the cap there.
TEST(TransientDay, StaffedCountsAreTheLeast) {
    std::vector<double> calls;
    for (int i = 0; i < 24; ++i) {
        calls.push_back(i < 2 ? 0 : 300 + 250 * std::sin(i / 3.0));
    }
    DayInput level = Day(calls, {30, 240, 300, INFINITY}, 0.8, 20);
    level.targets.maxOccupancy = 0.88;
    DayInput wait = Day(calls, {30, 240, INFINITY, 60}, 0.8, 20);
    wait.targets.serviceLevel.reset();
    wait.targets.averageWaitSeconds = 15;
    for (const DayInput& in : {level, wait}) {
        const DayResult staffed = PlanDay(in);
        for (std::size_t i = 2; i < calls.size(); i += 3) {
            DayInput fewer = in;
            fewer.agents.emplace();
            for (const auto& f : staffed.intervals) {
                fewer.agents->push_back(static_cast<double>(f.agents));
            }
            (*fewer.agents)[i] -= 1;
            const IntervalFigures f = PlanDay(fewer).intervals[i];
            EXPECT_TRUE(!f.meetsTarget || f.occupancy > in.targets.maxOccupancy)
                << "interval " << i;
            EXPECT_TRUE(staffed.intervals[i].meetsTarget);
        }
    }
}

// The usual and the lagged plans are the engine's counts, on the interval's
// own load and on the load of [start - aht, end - aht) (none before an empty
// start, the day's end before a periodic one), scheduled for shrinkage.
TEST(TransientDay, UsualAndLaggedPlansAreTheEngines) {
    const std::vector<double> calls = {0, 400, 100, 250};
    const teletraffic::ErlangXModel model{600, 300, INFINITY, 0, 0, 0};
    teletraffic::ErlangXTargets targets;
    targets.targetTime = 20;
    targets.serviceLevel = 0.8;
    const auto engine = [&](double traffic) {
        const auto on = teletraffic::ErlangXAgents(traffic, model, targets);
        return teletraffic::ErlangXScheduleAgents(traffic, on, model, 0.25, 0.9);
    };
    const double shift = 600.0 / 1800; // of the interval before
    const struct {
        Method method;
        Start start;
        std::vector<double> erlangs; // the load each interval is staffed on
    } cases[] = {
        {Method::Stationary, Start::Empty, {0, 400 / 3.0, 100 / 3.0, 250 / 3.0}},
        {Method::Lagged,
         Start::Empty,
         {0, (1 - shift) * 400 / 3, (shift * 400 + (1 - shift) * 100) / 3,
          (shift * 100 + (1 - shift) * 250) / 3}},
        {Method::Lagged,
         Start::Periodic,
         {shift * 250 / 3, (1 - shift) * 400 / 3, (shift * 400 + (1 - shift) * 100) / 3,
          (shift * 100 + (1 - shift) * 250) / 3}},
    };
    for (const auto& c : cases) {
        DayInput in = Day(calls, {30, 600, 300, INFINITY});
        in.method = c.method;
        in.start = c.start;
        in.targets.shrinkage = 0.25;
        in.targets.maxOccupancy = 0.9;
        const DayResult r = PlanDay(in);
        for (std::size_t i = 0; i < calls.size(); ++i) {
            const teletraffic::Schedule want =
                c.erlangs[i] > 0 ? engine(c.erlangs[i]) : teletraffic::Schedule{0, 0, {}};
            EXPECT_EQ(r.intervals[i].agents, want.onPhones) << Word(c.method) << " " << i;
            EXPECT_EQ(r.intervals[i].scheduled, want.scheduled) << Word(c.method) << " " << i;
            EXPECT_EQ(r.intervals[i].stationaryAgents,
                      calls[i] > 0 ? engine(calls[i] / 3).onPhones : 0);
        }
    }
}

// The Poisson weights of the chain's steps sum to 1 and have the mean, from
// next to no events to a million.
TEST(TransientChain, PoissonWeights) {
    for (const double mean : {1e-9, 0.5, 1.0, 30.0, 6000.0, 1e6}) {
        const chain::PoissonWeights w = chain::Poisson(mean);
        double sum = 0, first = 0;
        for (std::size_t i = 0; i < w.probability.size(); ++i) {
            sum += w.probability[i];
            first += w.probability[i] * static_cast<double>(w.first + static_cast<std::int64_t>(i));
        }
        EXPECT_NEAR(sum, 1, 1e-14) << mean;
        EXPECT_NEAR(first, mean, 1e-12 * mean + 1e-15) << mean;
        EXPECT_NEAR(w.beyond[0], 1 - w.probability[0], 1e-14) << mean;
    }
}

// The day simulated caller by caller agrees with every figure within four
// standard errors: a fall with lines, patience and a target time.
TEST(TransientDay, SimulationConfirmsTheFigures) {
    DayInput in = Day({90, 150, 60, 0, 40}, {15, 240, 180, 22}, 0.8, 20);
    in.agents = std::vector<double>{12, 14, 5, 2, 4};
    const DayResult exact = PlanDay(in);
    const auto sim = SimulateDay(in, {12, 14, 5, 2, 4}, 20261207, 3000);
    for (std::size_t i = 0; i < sim.size(); ++i) {
        const IntervalFigures& e = exact.intervals[i];
        const SimulatedInterval& s = sim[i];
        const std::pair<double, Estimate> checks[] = {
            {e.serviceLevel, s.serviceLevel}, {e.abandonProbability, s.abandonProbability},
            {e.blocking, s.blocking},         {e.averageWait, s.averageWait},
            {e.occupancy, s.occupancy},       {e.queueAtEnd, s.queueAtEnd}};
        for (const auto& [want, got] : checks) {
            EXPECT_LE(std::abs(got.mean - want), 4 * got.standardError + 1e-12)
                << "interval " << i << ": " << got.mean << " against " << want;
        }
    }
}

// A bad day is refused as a whole, naming the option and the interval.
TEST(TransientDay, BadDaysAreRefused) {
    const auto with = [](auto change) {
        DayInput in = Day({10, 20, 30}, {30, 180, INFINITY, INFINITY});
        change(in);
        return in;
    };
    const struct {
        const char* name;
        DayInput input;
        Option option;
        int interval;
        const char* says;
    } cases[] = {
        {"no interval", with([](DayInput& d) { d.calls.clear(); }), Option::Calls, -1,
         "the day has no interval"},
        {"negative calls", with([](DayInput& d) { d.calls[2] = -3; }), Option::Calls, 2,
         "interval 3: calls must be a number of calls from 0 to 1e5, got -3"},
        {"calls not a number", with([](DayInput& d) { d.calls[0] = NAN; }), Option::Calls, 0,
         "interval 1: calls"},
        {"schedule too short", with([](DayInput& d) {
             d.agents = std::vector<double>{3, 4};
         }),
         Option::Agents, -1, "2 counts of agents for 3 intervals"},
        {"fractional agents", with([](DayInput& d) {
             d.agents = std::vector<double>{3, 4.5, 2};
         }),
         Option::Agents, 1, "interval 2: agents must be a whole number"},
        {"two targets", with([](DayInput& d) { d.targets.averageWaitSeconds = 20; }),
         Option::AverageWait, -1, "one service target"},
        {"interval of zero", with([](DayInput& d) { d.model.intervalMinutes = 0; }),
         Option::Interval, -1, "interval must be a number of minutes above 0"},
        {"patience too short", with([](DayInput& d) { d.model.patienceSeconds = 0.01; }),
         Option::Patience, -1, "patience must be at least the interval over 1e4"},
    };
    for (const auto& c : cases) {
        try {
            PlanDay(c.input);
            ADD_FAILURE() << c.name << " accepted";
        } catch (const DayError& e) {
            EXPECT_EQ(e.option(), c.option) << c.name;
            EXPECT_EQ(e.interval(), c.interval) << c.name;
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}

// A front end that names every bad row gets every interval refused, each
// with its value and what it must be; a fault of the day as a whole comes
// alone, as what follows may be its consequence.
TEST(TransientDay, RefusalsNameEveryIntervalWithItsValue) {
    DayInput in = Day({10, -3, 5, 2e6}, {30, 180, INFINITY, INFINITY});
    in.agents = std::vector<double>{1, 2.5, 3, 4};
    const std::vector<DayError> refused = Refusals(in);
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0].interval(), 1);
    EXPECT_EQ(refused[0].option(), Option::Calls);
    EXPECT_EQ(refused[0].value(), -3);
    EXPECT_EQ(refused[0].domainRule(), &rules::kCalls);
    EXPECT_EQ(refused[1].option(), Option::Agents);
    EXPECT_EQ(refused[1].value(), 2.5);
    EXPECT_EQ(refused[2].interval(), 3);
    EXPECT_EQ(refused[2].domainRule(), &rules::kCalls);
    in.model.intervalMinutes = 0;
    const std::vector<DayError> day = Refusals(in);
    ASSERT_EQ(day.size(), 1u);
    EXPECT_EQ(day[0].option(), Option::Interval);
    EXPECT_EQ(day[0].interval(), -1);
    EXPECT_EQ(day[0].rule(), rules::kInterval.text);
    in.model.intervalMinutes = 30;
    in.model.ahtSeconds = 0.1;
    EXPECT_EQ(Refusals(in).at(0).domainRule(), nullptr); // refused for the interval it goes with
}

// Off the caller's thread: stopped between intervals when asked, and two
// days at once answer as each does alone.
TEST(TransientDay, CancelledAndConcurrent) {
    DayInput in = Day(std::vector<double>(12, 200), {30, 180, 300, INFINITY});
    int reports = 0;
    Monitor stop;
    stop.progress = [&](std::int64_t done, std::int64_t) { reports = static_cast<int>(done); };
    stop.cancelled = [&] { return reports >= 3; };
    const DayResult cut = PlanDay(in, stop);
    EXPECT_TRUE(cut.cancelled);
    EXPECT_EQ(reports, 3);

    const DayResult alone = PlanDay(in);
    DayResult other[2];
    std::thread a([&] { other[0] = PlanDay(in); }), b([&] { other[1] = PlanDay(in); });
    a.join();
    b.join();
    for (const DayResult& r : other) {
        EXPECT_EQ(r.intervals.back().serviceLevel, alone.intervals.back().serviceLevel);
    }
}

// Without a count up to the lines that meets the cap, the interval says so
// and the rest of the day stands.
TEST(TransientDay, AnIntervalWithoutACountSaysWhy) {
    DayInput in = Day({200, 20}, {30, 300, INFINITY, 30}, 0.8, 20);
    in.targets.maxOccupancy = 0.5;
    const DayResult r = PlanDay(in);
    EXPECT_EQ(r.intervals[0].error, "no count up to the lines (30) meets the occupancy cap");
    EXPECT_EQ(r.intervals[0].agents, 30);
    EXPECT_TRUE(r.intervals[1].error.empty());
}

// Each option's domain at its edges, as the table states it.
TEST(TransientOptions, Domains) {
    const struct {
        Option option;
        double value;
        bool accepted;
    } cases[] = {
        {Option::Calls, 0, true},
        {Option::Calls, 1e5, true},
        {Option::Calls, 1e5 + 1, false},
        {Option::Agents, 2.5, false},
        {Option::Interval, 0, false},
        {Option::Interval, 1440, true},
        {Option::ServiceLevel, 1, false},
        {Option::ServiceLevel, 0, true},
        {Option::Shrinkage, 0.999, true},
        {Option::MaxOccupancy, 1, true},
        {Option::MaxOccupancy, 0, false},
        {Option::Lines, 0.5, false},
        {Option::TargetTime, INFINITY, false},
        {Option::Lines, INFINITY, true},
        {Option::Patience, INFINITY, true},
        {Option::Aht, INFINITY, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(About(c.option).rule->domain.Contains(c.value), c.accepted)
            << About(c.option).option << " " << c.value;
    }
}

// Choices read as every front end reads words; each row of the table the
// registry's form of its option, each word option's choice in the view.
TEST(TransientOptions, WordsAndNames) {
    EXPECT_EQ(ReadMethod("Stationary"), Method::Stationary);
    EXPECT_EQ(ReadMethod(" lagged"), Method::Lagged);
    EXPECT_EQ(ReadMethod("lag"), std::nullopt);
    EXPECT_EQ(ReadStart("PERIODIC"), Start::Periodic);
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        const teletraffic::ArgumentInfo& about = kOptions[i];
        std::string snake(about.option);
        std::replace(snake.begin(), snake.end(), '-', '_');
        EXPECT_EQ(snake, about.keyword);
        EXPECT_NE(about.rule, nullptr) << about.option;
        EXPECT_EQ(OptionOf(about), static_cast<Option>(i));
        EXPECT_EQ(DayRegistry().ByOption(about.option), &about);
        EXPECT_EQ(about.choice.empty(), DayRegistry().Choice(about.choice) == nullptr);
    }
    EXPECT_EQ(OptionOf(teletraffic::About(teletraffic::Argument::Calls)), std::nullopt);
}

} // namespace
