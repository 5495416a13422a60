#include "cli/commands.h"

#include "teletraffic/engset.h"
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/measured_traffic.h"
#include "teletraffic/number_text.h"
#include "teletraffic/overflow.h"
#include "teletraffic/staffing_factors.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace cli {
namespace {

using Json = nlohmann::ordered_json;
namespace tt = teletraffic;

Answer Real(double value) {
    return {.real = value};
}
Answer Count(std::int64_t value) {
    return {.count = value, .isCount = true};
}

// Erlang C values at `agents`, or null where the queue would grow without end.
Json IfQueueEnds(double traffic, double agents, double (*f)(double, double, double, double),
                 double aht, double targetTime, int digits) {
    if (!(traffic < agents)) {
        return nullptr;
    }
    return JsonNumber(f(traffic, agents, aht, targetTime), digits);
}

bool Given(double value) {
    return !std::isnan(value);
}

constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();

// --patience with the handling time it is measured against.
double Patience(double aht, double patience) {
    if (Given(patience) && !Given(aht)) {
        throw std::invalid_argument("--aht is required with --patience: patience is measured "
                                    "against the handling time");
    }
    return patience;
}

// What every Erlang A answer shows beside it.
void ExplainAbandonment(double traffic, double agents, double aht, double patience,
                        double targetTime, Json& json, int digits) {
    const tt::Abandonment a = tt::ErlangA(traffic, agents, aht, patience);
    json["wait-probability"] = JsonNumber(a.waitProbability, digits);
    json["abandon-probability"] = JsonNumber(a.abandonProbability, digits);
    if (Given(targetTime)) {
        json["service-level"] =
            JsonNumber(tt::ErlangAServiceLevel(traffic, agents, aht, patience, targetTime), digits);
    }
    json["average-wait"] = JsonNumber(a.averageWait, digits);
    json["occupancy"] = JsonNumber(a.occupancy, digits);
}

// The values of `agents`: traffic, aht, target-time, service-level, then the
// optional average-wait, patience, shrinkage, max-occupancy.
struct Staffing {
    double traffic, aht, targetTime, serviceLevel, averageWait, patience, shrinkage, maxOccupancy;

    explicit Staffing(std::span<const double> in)
        : traffic(in[0])
        , aht(in[1])
        , targetTime(in[2])
        , serviceLevel(in[3])
        , averageWait(in[4])
        , patience(Patience(in[1], in[5]))
        , shrinkage(in[6])
        , maxOccupancy(in[7]) {}

    bool ByWait() const { return Given(averageWait); }
    bool ByErlangA() const { return Given(patience); }
    bool Factors() const { return Given(shrinkage) || Given(maxOccupancy); }

    // The agents on the phones the target alone needs.
    std::int64_t ForTarget() const {
        if (ByWait()) {
            return ByErlangA() ? tt::ErlangAAgentsForWait(traffic, aht, patience, averageWait)
                               : tt::ErlangCAgentsForWait(traffic, aht, averageWait);
        }
        return ByErlangA() ? tt::ErlangAAgents(traffic, aht, patience, targetTime, serviceLevel)
                           : tt::ErlangCAgents(traffic, aht, targetTime, serviceLevel);
    }

    tt::Schedule Plan() const {
        const std::int64_t n = ForTarget();
        const double s = Given(shrinkage) ? shrinkage : 0;
        const double cap = Given(maxOccupancy) ? maxOccupancy : 1;
        return ByErlangA() ? tt::ErlangAScheduleAgents(traffic, n, aht, patience, s, cap)
                           : tt::ScheduleAgents(traffic, n, s, cap);
    }

    // The target's measure at n agents, null where Erlang C has no answer.
    Json Measure(std::int64_t n, int digits) const {
        const auto N = static_cast<double>(n);
        if (ByErlangA()) {
            Json row{{"agents", n}};
            ExplainAbandonment(traffic, N, aht, patience, ByWait() ? kNotGiven : targetTime, row,
                               digits);
            return row;
        }
        Json value = nullptr;
        if (traffic < N) {
            value = JsonNumber(ByWait() ? tt::ErlangCAverageWait(traffic, N, aht)
                                        : tt::ErlangCServiceLevel(traffic, N, aht, targetTime),
                               digits);
        }
        return {{"agents", n}, {ByWait() ? "average-wait" : "service-level", value}};
    }
};
// Engset's load: the one of --traffic, --intended-traffic and
// --idle-source-traffic given, from in[first] on.
struct Load {
    tt::EngsetLoad kind;
    double value;
};
Load LoadOf(std::span<const double> in, std::size_t first) {
    constexpr tt::EngsetLoad kinds[] = {tt::EngsetLoad::Traffic, tt::EngsetLoad::IntendedTraffic,
                                        tt::EngsetLoad::IdleSourceTraffic};
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        if (!std::isnan(in[first + i])) {
            return {kinds[i], in[first + i]};
        }
    }
    throw std::invalid_argument("give one of --traffic, --intended-traffic, --idle-source-traffic");
}
// The ways an Engset load is stated, in the order LoadOf reads them.
const std::vector<std::string_view> kLoads = {"traffic", "intended-traffic", "idle-source-traffic"};

void EngsetJson(const tt::Engset& e, Json& json, int digits) {
    json["time-congestion"] = JsonNumber(e.timeCongestion, digits);
    json["call-congestion"] = JsonNumber(e.callCongestion, digits);
    json["traffic-congestion"] = JsonNumber(e.trafficCongestion, digits);
    json["carried"] = JsonNumber(e.carried, digits);
    json["traffic"] = JsonNumber(e.traffic, digits);
    json["intended-traffic"] = JsonNumber(e.intendedTraffic, digits);
    json["idle-source-traffic"] = JsonNumber(e.idleSourceTraffic, digits);
}

tt::OverflowMethod Method(double index) {
    return index == 0 ? tt::OverflowMethod::EquivalentRandom : tt::OverflowMethod::Hayward;
}

const std::vector<Command>& Table() {
    static const std::vector<Command> commands{
        {"blocking",
         "Erlang B blocking of N lines (N may be fractional) offered A erlangs",
         {"traffic", "lines"},
         "blocking",
         {10, 18},
         [](std::span<const double> in) { return Real(tt::ErlangB(in[0], in[1])); },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             // Finite where the blocking itself is below the double range.
             json["log-blocking"] = JsonNumber(tt::LogErlangB(in[0], in[1]), digits);
         }},
        {"lines",
         "Smallest whole number of lines that meets a blocking target",
         {"traffic", "blocking"},
         "lines",
         {10, 0.01},
         [](std::span<const double> in) { return Count(tt::ErlangBLines(in[0], in[1])); },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             Json& rows = json["blocking-by-lines"] = Json::array();
             for (std::int64_t n = std::max<std::int64_t>(answer.count - 1, 0); n <= answer.count;
                  ++n) {
                 rows.push_back({{"lines", n},
                                 {"blocking", JsonNumber(tt::ErlangB(in[0], double(n)), digits)}});
             }
         }},
        {"traffic",
         "Largest traffic N lines carry at a blocking target",
         {"lines", "blocking"},
         "traffic",
         {10, 0.01},
         [](std::span<const double> in) { return Real(tt::ErlangBTraffic(in[0], in[1])); },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             const double blocking = tt::ErlangB(answer.real, in[0]);
             json["blocking-at-traffic"] = JsonNumber(blocking, digits);
             json["carried"] = JsonNumber(answer.real * (1 - blocking), digits);
         }},
        {"extended-blocking",
         "Blocking when a share of blocked callers (the recall) tries again",
         {"traffic", "lines", "recall"},
         "blocking",
         {10, 15, 0.5},
         [](std::span<const double> in) {
             return Real(tt::ExtendedErlangB(in[0], in[1], in[2]).blocking);
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             json["offered"] = JsonNumber(tt::ExtendedErlangB(in[0], in[1], in[2]).offered, digits);
         }},
        {"extended-lines",
         "Smallest whole number of lines that meets a blocking target when a share of blocked "
         "callers (the recall) tries again",
         {"traffic", "blocking", "recall"},
         "lines",
         {10, 0.01, 0.5},
         [](std::span<const double> in) {
             return Count(tt::ExtendedErlangBLines(in[0], in[2], in[1]));
         },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             Json& rows = json["blocking-by-lines"] = Json::array();
             for (std::int64_t n = std::max<std::int64_t>(answer.count - 1, 0); n <= answer.count;
                  ++n) {
                 const tt::Retrial r = tt::ExtendedErlangB(in[0], double(n), in[2]);
                 rows.push_back({{"lines", n},
                                 {"offered", JsonNumber(r.offered, digits)},
                                 {"blocking", JsonNumber(r.blocking, digits)}});
             }
         }},
        {"wait-probability",
         "Erlang C (Erlang A with --patience): probability that a caller waits for one of N "
         "agents",
         {"traffic", "agents"},
         "wait-probability",
         {10, 12},
         [](std::span<const double> in) {
             if (Given(Patience(in[2], in[3]))) {
                 return Real(tt::ErlangA(in[0], in[1], in[2], in[3]).waitProbability);
             }
             return Real(tt::ErlangC(in[0], in[1]));
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             if (Given(in[3])) {
                 ExplainAbandonment(in[0], in[1], in[2], in[3], kNotGiven, json, digits);
                 return;
             }
             json["occupancy"] = JsonNumber(in[0] / in[1], digits);
         },
         {"aht", "patience", "calls", "interval"}},
        {"service-level",
         "Erlang C (Erlang A with --patience): share of callers answered within the target time",
         {"traffic", "agents", "aht", "target-time"},
         "service-level",
         {10, 12, 180, 20},
         [](std::span<const double> in) {
             if (Given(in[4])) {
                 return Real(tt::ErlangAServiceLevel(in[0], in[1], in[2], in[4], in[3]));
             }
             return Real(tt::ErlangCServiceLevel(in[0], in[1], in[2], in[3]));
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             if (Given(in[4])) {
                 ExplainAbandonment(in[0], in[1], in[2], in[4], in[3], json, digits);
                 return;
             }
             json["wait-probability"] = JsonNumber(tt::ErlangC(in[0], in[1]), digits);
             json["average-wait"] = JsonNumber(tt::ErlangCAverageWait(in[0], in[1], in[2]), digits);
         },
         {"patience", "calls", "interval"}},
        {"average-wait",
         "Erlang C (Erlang A with --patience): average speed of answer, the mean wait over all "
         "callers (those who hang up until they do), in the unit of the handling time",
         {"traffic", "agents", "aht"},
         "average-wait",
         {10, 12, 180},
         [](std::span<const double> in) {
             if (Given(in[3])) {
                 return Real(tt::ErlangA(in[0], in[1], in[2], in[3]).averageWait);
             }
             return Real(tt::ErlangCAverageWait(in[0], in[1], in[2]));
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             if (Given(in[3])) {
                 ExplainAbandonment(in[0], in[1], in[2], in[3], kNotGiven, json, digits);
                 return;
             }
             json["wait-probability"] = JsonNumber(tt::ErlangC(in[0], in[1]), digits);
         },
         {"patience", "calls", "interval"}},
        {"abandon-probability",
         "Erlang A: probability that a caller hangs up before being answered, callers waiting "
         "on average --patience before they do",
         {"traffic", "agents", "aht", "patience"},
         "abandon-probability",
         {10, 14, 180, 300},
         [](std::span<const double> in) {
             return Real(tt::ErlangA(in[0], in[1], in[2], in[3]).abandonProbability);
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             ExplainAbandonment(in[0], in[1], in[2], in[3], kNotGiven, json, digits);
         },
         {"calls", "interval"}},
        {"agents",
         "Erlang C (Erlang A with --patience): smallest whole number of agents that reaches a "
         "service level or an average wait; with --shrinkage or --max-occupancy, the agents to "
         "schedule",
         {"traffic", "aht", "target-time", "service-level"},
         "agents",
         {10, 180, 20, 0.8},
         [](std::span<const double> in) {
             const Staffing staffing(in);
             return Count(staffing.Factors() ? staffing.Plan().scheduled : staffing.ForTarget());
         },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             const Staffing staffing(in);
             if (!staffing.ByWait() && !staffing.ByErlangA() && !staffing.Factors()) {
                 Json& rows = json["service-level-by-agents"] = Json::array();
                 for (std::int64_t n = answer.count - 1; n <= answer.count; ++n) {
                     rows.push_back(
                         {{"agents", n},
                          {"service-level", IfQueueEnds(in[0], double(n), tt::ErlangCServiceLevel,
                                                        in[1], in[2], digits)}});
                 }
                 return;
             }
             const std::int64_t forTarget = staffing.ForTarget();
             Json& rows = json["by-agents"] = Json::array();
             for (std::int64_t n = std::max<std::int64_t>(forTarget - 1, 1); n <= forTarget; ++n) {
                 rows.push_back(staffing.Measure(n, digits));
             }
             if (staffing.Factors()) {
                 const tt::Schedule plan = staffing.Plan();
                 json["agents-on-phones"] = plan.onPhones;
                 json["agents-to-schedule"] = plan.scheduled;
                 json["decided-by"] = plan.decidedBy == tt::Decided::Occupancy ? "max-occupancy"
                                      : staffing.ByWait()                      ? "average-wait"
                                                                               : "service-level";
                 if (plan.onPhones != forTarget) {
                     // Not through `rows`: the keys added since may have moved it.
                     json["by-agents"].push_back(staffing.Measure(plan.onPhones, digits));
                 }
             }
         },
         {"average-wait", "patience", "shrinkage", "max-occupancy", "calls", "interval"}},
        {.name = "engset-blocking",
         .summary = "Engset: call congestion of N lines shared by S sources (finite sources)",
         .inputs = {"sources", "lines", "traffic", "intended-traffic", "idle-source-traffic"},
         .answer = "call-congestion",
         .example = {40, 8, 5, NAN, NAN},
         .solve =
             [](std::span<const double> in) {
                 const Load load = LoadOf(in, 2);
                 return Real(
                     tt::EngsetBlocking(load.kind, load.value, in[0], in[1]).callCongestion);
             },
         .explain =
             [](std::span<const double> in, const Answer&, Json& json, int digits) {
                 const Load load = LoadOf(in, 2);
                 EngsetJson(tt::EngsetBlocking(load.kind, load.value, in[0], in[1]), json, digits);
             },
         .oneOf = kLoads},
        {.name = "engset-lines",
         .summary = "Engset: smallest whole number of lines whose call congestion meets a target",
         .inputs = {"sources", "traffic", "intended-traffic", "idle-source-traffic", "blocking"},
         .answer = "lines",
         .example = {40, 5, NAN, NAN, 0.01},
         .solve =
             [](std::span<const double> in) {
                 const Load load = LoadOf(in, 1);
                 return Count(tt::EngsetLines(load.kind, load.value, in[0], in[4]));
             },
         .explain =
             [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
                 const Load load = LoadOf(in, 1);
                 Json& rows = json["call-congestion-by-lines"] = Json::array();
                 for (std::int64_t n = std::max<std::int64_t>(answer.count - 1, 0);
                      n <= answer.count; ++n) {
                     const tt::Engset e =
                         tt::EngsetBlocking(load.kind, load.value, in[0], double(n));
                     rows.push_back(
                         {{"lines", n}, {"call-congestion", JsonNumber(e.callCongestion, digits)}});
                 }
             },
         .oneOf = kLoads},
        {.name = "engset-traffic",
         .summary = "Engset: traffic (call attempts times holding time) at which N lines shared by "
                    "S sources meet a call-congestion target",
         .inputs = {"sources", "lines", "blocking"},
         .answer = "traffic",
         .example = {40, 8, 0.01},
         .solve =
             [](std::span<const double> in) {
                 return Real(tt::EngsetTraffic(in[0], in[1], in[2]).traffic);
             },
         .explain =
             [](std::span<const double> in, const Answer&, Json& json, int digits) {
                 const tt::Engset e = tt::EngsetTraffic(in[0], in[1], in[2]);
                 json["intended-traffic"] = JsonNumber(e.intendedTraffic, digits);
                 json["idle-source-traffic"] = JsonNumber(e.idleSourceTraffic, digits);
                 json["time-congestion"] = JsonNumber(e.timeCongestion, digits);
                 json["carried"] = JsonNumber(e.carried, digits);
             }},
        {"overflow",
         "Mean of the traffic that overflows N lines (whole or fractional) offered A erlangs "
         "(Riordan)",
         {"traffic", "lines"},
         "mean",
         {10, 10},
         [](std::span<const double> in) { return Real(tt::OverflowMoments(in[0], in[1]).mean); },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             const tt::Overflow o = tt::OverflowMoments(in[0], in[1]);
             json["variance"] = JsonNumber(o.variance, digits);
             json["peakedness"] = JsonNumber(o.peakedness, digits);
         }},
        {"equivalent-random",
         "Equivalent random traffic (Wilkinson): the traffic and lines whose overflow has the "
         "given mean and variance",
         {"mean", "variance"},
         "equivalent-traffic",
         {2.145823, 4.362447},
         [](std::span<const double> in) {
             return Real(tt::OverflowEquivalentRandom(in[0], in[1]).traffic);
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             json["equivalent-lines"] =
                 JsonNumber(tt::OverflowEquivalentRandom(in[0], in[1]).lines, digits);
         }},
        {.name = "overflow-blocking",
         .summary = "Blocking of an overflow stream of the given mean and variance on N further "
                    "lines",
         .inputs = {"mean", "variance", "lines"},
         .answer = "blocking",
         .example = {2.145823, 4.362447, 5},
         .solve =
             [](std::span<const double> in) {
                 return Real(tt::OverflowBlocking(in[0], in[1], in[2], Method(in[3])).blocking);
             },
         .explain =
             [](std::span<const double> in, const Answer&, Json& json, int digits) {
                 json["lost"] = JsonNumber(
                     tt::OverflowBlocking(in[0], in[1], in[2], Method(in[3])).lost, digits);
             },
         .wordOption = "method",
         .words = {"ert", "hayward"}},
        {.name = "overflow-lines",
         .summary = "Smallest whole number of lines an overflow stream of the given mean and "
                    "variance needs to meet a blocking target",
         .inputs = {"mean", "variance", "blocking"},
         .answer = "lines",
         .example = {2.145823, 4.362447, 0.01},
         .solve =
             [](std::span<const double> in) {
                 return Count(tt::OverflowLines(in[0], in[1], Method(in[3]), in[2]));
             },
         .explain =
             [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
                 Json& rows = json["blocking-by-lines"] = Json::array();
                 for (std::int64_t n = std::max<std::int64_t>(answer.count - 1, 0);
                      n <= answer.count; ++n) {
                     const tt::OverflowLoss l =
                         tt::OverflowBlocking(in[0], in[1], double(n), Method(in[3]));
                     rows.push_back({{"lines", n}, {"blocking", JsonNumber(l.blocking, digits)}});
                 }
             },
         .wordOption = "method",
         .words = {"ert", "hayward"}},
        {"offered-traffic",
         "Traffic offered to N lines that carry a measured traffic Y",
         {"carried", "lines"},
         "offered",
         {19.2, 24},
         [](std::span<const double> in) { return Real(tt::ErlangBOfferedTraffic(in[0], in[1])); },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             json["blocking"] = JsonNumber(tt::ErlangB(answer.real, in[1]), digits);
         }},
    };
    return commands;
}

struct Option {
    std::string_view name;
    std::string_view value;
    std::string_view help;
};

constexpr std::array kOptions{
    Option{"traffic", "A", "traffic offered, in erlangs (0 to 1e9)"},
    Option{"lines", "N", "number of lines, whole or fractional (0 to 2e9)"},
    Option{"blocking", "B", "blocking probability, from 1e-300 up to but not including 1"},
    Option{"recall", "R",
           "share of blocked callers who try again, from 0 up to but not including 1"},
    Option{"agents", "N",
           "number of agents (0 to 2e9), more than the traffic unless --patience is given"},
    Option{"aht", "S", "average handling time of a call, in any unit of time"},
    Option{"target-time", "T", "time within which a call should be answered, in the unit of --aht"},
    Option{"service-level", "P",
           "share of calls to answer within the target time, from 0 up to but not including 1"},
    Option{"patience", "S",
           "average time a caller waits before hanging up, in the unit of --aht: the answer is "
           "then by Erlang A, where the traffic may reach the agents"},
    Option{"average-wait", "W",
           "target average wait over all callers, in the unit of --aht, in place of "
           "--target-time and --service-level"},
    Option{"shrinkage", "X",
           "share of paid time agents are off the phones, from 0 up to but not including 1, "
           "taken as the decimal typed: 84 agents at 0.2 schedule 105"},
    Option{"max-occupancy", "Y",
           "highest share of their time agents on the phones may be busy, above 0 and at most 1, "
           "taken as the decimal typed: 7 erlangs at 0.7 need 10 agents"},
    Option{"calls", "C",
           "calls offered in the interval, in place of --traffic: traffic = calls x aht / "
           "interval"},
    Option{"interval", "M",
           "length of the interval of --calls in minutes; --aht is then in seconds"},
    Option{"sources", "S", "number of sources (Engset), whole, 1 to 1e9"},
    Option{"intended-traffic", "A",
           "traffic the sources would offer if never blocked, S b / (1 + b), in erlangs"},
    Option{"idle-source-traffic", "b", "traffic offered by one idle source, in erlangs"},
    Option{"mean", "M", "mean of an overflow stream, in erlangs (0 to 1e9)"},
    Option{"variance", "V", "variance of an overflow stream, at least its mean"},
    Option{"carried", "Y", "traffic carried, in erlangs, below the lines"},
    Option{"method", "METHOD",
           "ert (equivalent random, the default) or hayward (Fredericks and Hayward)"},
};

const Option* FindOption(std::string_view name) {
    for (const Option& option : kOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

} // namespace

bool IsOneOf(const Command& command, std::string_view name) {
    return std::find(command.oneOf.begin(), command.oneOf.end(), name) != command.oneOf.end();
}

std::span<const Command> Commands() {
    return Table();
}

std::vector<std::string_view> AllInputs(const Command& command) {
    std::vector<std::string_view> names(command.inputs);
    names.insert(names.end(), command.optional.begin(), command.optional.end());
    return names;
}

std::string_view StandIn(std::string_view input) {
    if (input == "traffic") {
        return "calls";
    }
    return input == "target-time" || input == "service-level" ? "average-wait" : "";
}

std::string_view Complete(const Command& command, std::span<double> values) {
    const auto find = [&](std::string_view name) -> double* {
        for (std::size_t i = 0; i < command.inputs.size(); ++i) {
            if (command.inputs[i] == name) {
                return &values[i];
            }
        }
        for (std::size_t i = 0; i < command.optional.size(); ++i) {
            if (command.optional[i] == name) {
                return &values[command.inputs.size() + i];
            }
        }
        return nullptr;
    };
    double* traffic = find("traffic");
    double* calls = find("calls");
    if (calls != nullptr && Given(*calls)) {
        const double interval = *find("interval");
        const double aht = *find("aht");
        if (!Given(interval) || !Given(aht)) {
            throw std::invalid_argument(
                "--calls needs --interval (minutes) and --aht (seconds) to make a traffic");
        }
        if (!(*calls >= 0 && *calls < INFINITY)) {
            throw std::invalid_argument("--calls must be a number of 0 or more, got " +
                                        number_text::Show(*calls));
        }
        if (!(interval > 0 && interval < INFINITY)) {
            throw std::invalid_argument(
                "--interval must be a number of minutes greater than 0, got " +
                number_text::Show(interval));
        }
        const double derived = *calls * aht / (interval * 60);
        // The same traffic is what an earlier pass filled in; another was given as well.
        if (Given(*traffic) && *traffic != derived) {
            throw std::invalid_argument("give --traffic or --calls with --interval, not both");
        }
        *traffic = derived;
    }
    // One target for the agents: an average wait, or a level within a time.
    const double* wait = find("average-wait");
    const bool byWait = wait != nullptr && Given(*wait);
    if (byWait && (Given(*find("target-time")) || Given(*find("service-level")))) {
        throw std::invalid_argument(
            "give --average-wait or --target-time with --service-level, not both");
    }
    for (std::size_t i = 0; i < command.inputs.size(); ++i) {
        const std::string_view name = command.inputs[i];
        if (!Given(values[i]) && !IsOneOf(command, name) &&
            !(byWait && (name == "target-time" || name == "service-level"))) {
            return name;
        }
    }
    return {};
}

Answer Solve(const Command& command, std::span<const double> given) {
    std::vector<double> in(given.begin(), given.end());
    // The word option's index, if any, stays after the inputs and the optional ones.
    in.resize(std::max(in.size(), command.inputs.size() + command.optional.size()), kNotGiven);
    const std::string_view missing = Complete(command, in);
    if (!missing.empty()) {
        const std::string_view standIn = StandIn(missing);
        throw std::invalid_argument(
            "--" + std::string(missing) + " is required" +
            (standIn.empty() ? "" : " (or --" + std::string(standIn) + ")"));
    }
    const Answer answer = command.solve(in);
    if (!answer.isCount && !std::isfinite(answer.real)) {
        throw std::domain_error("no finite " + std::string(command.answer) + " for these inputs");
    }
    return answer;
}

std::string_view OptionHelp(std::string_view name) {
    return FindOption(name)->help;
}
std::string_view OptionValue(std::string_view name) {
    return FindOption(name)->value;
}

void AppendAnswer(std::string& out, const Answer& answer, int digits) {
    if (answer.isCount) {
        char text[24];
        out.append(text, std::to_chars(text, text + sizeof text, answer.count).ptr);
    } else {
        number_text::Append(out, answer.real, digits);
    }
}

std::string AnswerJson(const Command& command, std::span<const double> in, const Answer& answer,
                       int digits) {
    Json json;
    json["command"] = command.name;
    std::vector<double> values(in.begin(), in.end());
    values.resize(std::max(values.size(), command.inputs.size() + command.optional.size()),
                  kNotGiven);
    Complete(command, values);
    for (std::size_t i = 0; i < command.inputs.size() + command.optional.size(); ++i) {
        if (Given(values[i])) { // an optional or oneOf input not given is not shown
            json[std::string(i < command.inputs.size()
                                 ? command.inputs[i]
                                 : command.optional[i - command.inputs.size()])] =
                JsonNumber(values[i], 0);
        }
    }
    if (!command.wordOption.empty()) {
        json[std::string(command.wordOption)] = command.words.at(
            static_cast<std::size_t>(values[command.inputs.size() + command.optional.size()]));
    }
    if (answer.isCount) {
        json[std::string(command.answer)] = answer.count;
    } else {
        json[std::string(command.answer)] = JsonNumber(answer.real, digits);
    }
    command.explain(values, answer, json, digits);
    return json.dump(2);
}

nlohmann::ordered_json JsonNumber(double value, int digits) {
    value = number_text::Rounded(value, digits);
    // Whole numbers as integers: 10 rather than 10.0, as a count is written.
    if (std::trunc(value) == value && std::fabs(value) < 0x1p53) {
        return static_cast<std::int64_t>(value);
    }
    return value;
}

namespace {

// The option that gives each of the engine's arguments.
std::string_view OptionOf(tt::Argument argument) {
    static constexpr std::pair<tt::Argument, std::string_view> kArgumentOptions[] = {
        {tt::Argument::Traffic, "traffic"},
        {tt::Argument::Lines, "lines"},
        {tt::Argument::Agents, "agents"},
        {tt::Argument::Sources, "sources"},
        {tt::Argument::Blocking, "blocking"},
        {tt::Argument::Recall, "recall"},
        {tt::Argument::Aht, "aht"},
        {tt::Argument::Patience, "patience"},
        {tt::Argument::TargetTime, "target-time"},
        {tt::Argument::ServiceLevel, "service-level"},
        {tt::Argument::AverageWait, "average-wait"},
        {tt::Argument::Shrinkage, "shrinkage"},
        {tt::Argument::MaxOccupancy, "max-occupancy"},
        {tt::Argument::IntendedTraffic, "intended-traffic"},
        {tt::Argument::IdleSourceTraffic, "idle-source-traffic"},
        {tt::Argument::Mean, "mean"},
        {tt::Argument::Variance, "variance"},
        {tt::Argument::Carried, "carried"},
    };
    static_assert(std::size(kArgumentOptions) == tt::kArgumentCount,
                  "an option for every argument");
    for (const auto& [a, option] : kArgumentOptions) {
        if (a == argument) {
            return option;
        }
    }
    return "";
}

} // namespace

std::string Worded(const teletraffic::DomainError& error, std::span<const Named> given) {
    const std::string_view argument = OptionOf(error.argument());
    // Values given are numbers the grammar read: never NaN.
    const auto same = [&](const Named& named) {
        return named.argument == argument && named.value == error.value();
    };
    const auto found = std::ranges::find_if(given, same);
    const std::string value = number_text::Show(error.value());
    if (found != given.end()) {
        return std::string(found->name) + " must be " + error.rule() + ", got " + value;
    }
    return std::string(argument) + " " + value + ", worked out from the inputs, is outside what " +
           "the engine takes: " + std::string(argument) + " must be " + error.rule();
}

} // namespace cli
