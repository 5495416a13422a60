#include "cli/commands.h"
#include "cli/words.h"

#include "teletraffic/engset.h"
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x.h"
#include "teletraffic/measured_traffic.h"
#include "teletraffic/number_text.h"
#include "teletraffic/overflow.h"
#include "teletraffic/staffing_factors.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <ranges>
#include <stdexcept>

namespace cli {
namespace {

using Json = nlohmann::ordered_json;
namespace tt = teletraffic;

constexpr double kNotGiven = Inputs::kNotGiven;

Answer Real(double value) {
    return {.real = value};
}
Answer Count(std::int64_t value) {
    return {.count = value, .isCount = true};
}

// Whether Erlang C's queue stays finite: no traffic forms none, even with no agents.
bool QueueEnds(double traffic, double agents) {
    return traffic < agents || traffic == 0;
}

// Erlang C values at `agents`, or null where the queue would grow without end.
Json IfQueueEnds(double traffic, double agents, double (*f)(double, double, double, double),
                 double aht, double targetTime, int digits) {
    if (!QueueEnds(traffic, agents)) {
        return nullptr;
    }
    return JsonNumber(f(traffic, agents, aht, targetTime), digits);
}

bool Given(double value) {
    return !std::isnan(value);
}

// --patience with the handling time it is measured against.
double Patience(const Inputs& in) {
    if (in.Given("patience") && !in.Given("aht")) {
        throw std::invalid_argument("--aht is required with --patience: patience is measured "
                                    "against the handling time");
    }
    return in["patience"];
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
void ExplainAbandonment(const Inputs& in, double targetTime, Json& json, int digits) {
    ExplainAbandonment(in["traffic"], in["agents"], in["aht"], in["patience"], targetTime, json,
                       digits);
}

// --- Erlang X: lines, redials, the forecast's variance and the service level's basis

// The options that ask for Erlang X. A call-centre command given one answers
// by it; given none, by Erlang C or A as it always has.
constexpr Name kErlangXOptions[] = {"lines",         "redial",      "basis",       "variance",
                                    "answered-wait", "max-abandon", "max-blocking"};

bool ByErlangX(const Inputs& in) {
    // Erlang C and A meet one target; Erlang X meets each given, and says which decided.
    return std::ranges::any_of(kErlangXOptions, [&in](Name name) { return in.Given(name); }) ||
           (in.Given("average-wait") && in.Given("service-level"));
}

// How the call-centre commands take the options they share with others.
constexpr Use::Sense kCentreLines{
    .sense = "lines of the centre: the calls it holds at once, answered or waiting",
    .rule = &tt::rules::kCentreLines,
    .note = ", at least the agents; a call that finds them all busy is blocked (Erlang X)"};
constexpr Use::Sense kForecastVariance{
    .note = "; needs --calls with --interval, and above the calls --lines or --patience",
    .argument = &tt::About(tt::Argument::ForecastVariance)};
constexpr Use::Sense kWholeAgents{.note = ", whole, more than 0 unless --patience is given"};
// What the agents do to the figures the targets bound.
constexpr Use::Sense kBlockingCap{
    .note = "; needs --lines. The other targets' figures all fall as the agents grow; the "
            "blocking need not: where callers hang up sooner than a call lasts (--patience "
            "below --aht) more agents on the same lines may block more, and the agents are the "
            "fewest meeting every target all the same"};

tt::ErlangXModel CentreOf(const Inputs& in) {
    if (in.Given("variance") && !in.Given("calls")) {
        throw std::invalid_argument("--variance needs --calls with --interval: it is the variance "
                                    "of the forecast's count of calls");
    }
    tt::ErlangXModel model;
    const double patience = Patience(in);
    // Without a patience the time's unit changes no figure but the waits.
    model.aht = in.Given("aht") ? in["aht"] : 1;
    model.patience = Given(patience) ? patience : INFINITY;
    model.lines = in.Given("lines") ? in["lines"] : INFINITY;
    model.redial = in.Given("redial") ? in["redial"] : 0;
    if (in.Given("variance")) {
        model.calls = in["calls"];
        model.variance = in["variance"];
    }
    return model;
}

tt::Basis BasisOf(const Inputs& in) {
    return in.Word<tt::Basis>("basis");
}

tt::ErlangXFigures FiguresX(const Inputs& in) {
    const double targetTime = in.Given("target-time") ? in["target-time"] : 0;
    return tt::ErlangX(in["traffic"], in["agents"], CentreOf(in), targetTime, BasisOf(in));
}

constexpr struct {
    const char* name;
    double tt::ErlangXFigures::*figure;
} kFigures[] = {
    {"blocking", &tt::ErlangXFigures::blocking},
    {"wait-probability", &tt::ErlangXFigures::waitProbability},
    {"abandon-probability", &tt::ErlangXFigures::abandonProbability},
    {"average-wait", &tt::ErlangXFigures::averageWait},
    {"answered-wait", &tt::ErlangXFigures::answeredWait},
    {"occupancy", &tt::ErlangXFigures::occupancy},
    {"service-level", &tt::ErlangXFigures::serviceLevel},
    {"attempts-traffic", &tt::ErlangXFigures::attemptsTraffic},
    {"callers-lost", &tt::ErlangXFigures::callersLost},
};

// Every figure by its name, null where the engine has none; the service
// level only where it was asked for.
void FiguresJson(const std::optional<tt::ErlangXFigures>& f, bool level, Json& json, int digits) {
    for (const auto& [name, figure] : kFigures) {
        if (level || std::string_view(name) != "service-level") {
            json[name] = f ? JsonNumber(*f.*figure, digits) : Json(nullptr);
        }
    }
}

void ExplainX(const Inputs& in, Json& json, int digits) {
    FiguresJson(FiguresX(in), in.Given("target-time"), json, digits);
}

// What a queue's command adds to its JSON: Erlang X's figures, Erlang A's
// abandonment (with the level at the target time where the command has one),
// or Erlang C's own.
template <typename ErlangC>
void ExplainQueue(const Inputs& in, double targetTime, Json& json, int digits, ErlangC erlangC) {
    if (ByErlangX(in)) {
        ExplainX(in, json, digits);
    } else if (in.Given("patience")) {
        ExplainAbandonment(in, targetTime, json, digits);
    } else {
        erlangC();
    }
}

// The targets of `agents` and `capacity`, each with the option that gives it.
constexpr struct {
    Name name;
    std::optional<double> tt::ErlangXTargets::*target;
} kTargets[] = {
    {"service-level", &tt::ErlangXTargets::serviceLevel},
    {"average-wait", &tt::ErlangXTargets::averageWait},
    {"answered-wait", &tt::ErlangXTargets::answeredWait},
    {"max-abandon", &tt::ErlangXTargets::maxAbandon},
    {"max-blocking", &tt::ErlangXTargets::maxBlocking},
};

// A target time without a service level sets no target: the JSON shows the
// service level within it, and a batch may give it to every row, a service
// level to some.
tt::ErlangXTargets TargetsOf(const Inputs& in) {
    static constexpr struct {
        Name option, needs;
        std::string_view why;
    } kNeeds[] = {
        {"service-level", "target-time", "the time within which to answer"},
        {"basis", "service-level", "it says what the service level is a share of"},
        {"max-abandon", "patience", "without it nobody hangs up"},
        {"max-blocking", "lines", "without them no call is blocked"},
    };
    for (const auto& [option, needs, why] : kNeeds) {
        if (in.Given(option) && !in.Given(needs)) {
            throw std::invalid_argument("--" + std::string(option.Text()) + " needs --" +
                                        std::string(needs.Text()) + ": " + std::string(why));
        }
    }
    tt::ErlangXTargets targets;
    targets.targetTime = in.Given("target-time") ? in["target-time"] : 0;
    targets.basis = BasisOf(in);
    for (const auto& [name, target] : kTargets) {
        if (in.Given(name)) {
            targets.*target = in[name];
        }
    }
    return targets;
}

// The target that decided a count or a traffic: the first whose answer alone,
// by `alone`, is the answer all the targets gave.
template <typename Value, typename Alone>
std::string_view Deciding(const tt::ErlangXTargets& targets, Value answer, Alone alone) {
    std::string_view first;
    for (const auto& [name, target] : kTargets) {
        if (!(targets.*target)) {
            continue;
        }
        first = first.empty() ? name.Text() : first;
        tt::ErlangXTargets one = targets;
        for (const auto& other : kTargets) {
            one.*other.target = other.target == target ? targets.*target : std::nullopt;
        }
        try {
            if (alone(one) == answer) {
                return name.Text();
            }
        } catch (const tt::DomainError&) {
            // met at every traffic the engine takes: it decides nothing
        }
    }
    return first;
}

// What `agents` was asked: a service level or an average wait, by Erlang C
// or A, or any of the targets by Erlang X; perhaps with the staffing factors.
struct Staffing {
    double traffic, aht, targetTime, serviceLevel, averageWait, patience, shrinkage, maxOccupancy;
    bool byErlangX;
    tt::ErlangXModel model;
    tt::ErlangXTargets targets;

    explicit Staffing(const Inputs& in)
        : traffic(in["traffic"])
        , aht(in["aht"])
        , targetTime(in["target-time"])
        , serviceLevel(in["service-level"])
        , averageWait(in["average-wait"])
        , patience(Patience(in))
        , shrinkage(in["shrinkage"])
        , maxOccupancy(in["max-occupancy"])
        , byErlangX(ByErlangX(in)) {
        if (byErlangX) {
            model = CentreOf(in);
            targets = TargetsOf(in);
        }
    }

    bool ByWait() const { return Given(averageWait); }
    bool ByErlangA() const { return Given(patience); }
    bool Factors() const { return Given(shrinkage) || Given(maxOccupancy); }

    // The agents on the phones the target alone needs.
    std::int64_t ForTarget() const {
        if (byErlangX) {
            return tt::ErlangXAgents(traffic, model, targets);
        }
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
        if (byErlangX) {
            return tt::ErlangXScheduleAgents(traffic, n, model, s, cap);
        }
        return ByErlangA() ? tt::ErlangAScheduleAgents(traffic, n, aht, patience, s, cap)
                           : tt::ScheduleAgents(traffic, n, s, cap);
    }

    std::string_view DecidedBy(const tt::Schedule& plan, std::int64_t forTarget) const {
        if (plan.decidedBy == tt::Decided::Occupancy) {
            return "max-occupancy";
        }
        if (byErlangX) {
            return Deciding(targets, forTarget, [&](const tt::ErlangXTargets& one) {
                return tt::ErlangXAgents(traffic, model, one);
            });
        }
        return ByWait() ? "average-wait" : "service-level";
    }

    // The target's measure at n agents, null where Erlang C has no answer.
    Json Measure(std::int64_t n, int digits) const {
        const auto N = static_cast<double>(n);
        if (byErlangX) {
            std::optional<tt::ErlangXFigures> f;
            try {
                f = tt::ErlangX(traffic, N, model, targets.targetTime, targets.basis);
            } catch (const tt::DomainError&) {
                // one agent fewer, where the queue would grow without end
            }
            Json row{{"agents", n}};
            FiguresJson(f, Given(targetTime), row, digits);
            return row;
        }
        if (ByErlangA()) {
            Json row{{"agents", n}};
            ExplainAbandonment(traffic, N, aht, patience, ByWait() ? kNotGiven : targetTime, row,
                               digits);
            return row;
        }
        Json value = nullptr;
        if (QueueEnds(traffic, N)) {
            value = JsonNumber(ByWait() ? tt::ErlangCAverageWait(traffic, N, aht)
                                        : tt::ErlangCServiceLevel(traffic, N, aht, targetTime),
                               digits);
        }
        return {{"agents", n}, {ByWait() ? "average-wait" : "service-level", value}};
    }
};

// Engset's load: the one of its ways given.
struct Load {
    tt::EngsetLoad kind;
    double value;
};
Load LoadOf(const Inputs& in) {
    static constexpr struct {
        Name name;
        tt::EngsetLoad kind;
    } kLoads[] = {{"traffic", tt::EngsetLoad::Traffic},
                  {"intended-traffic", tt::EngsetLoad::IntendedTraffic},
                  {"idle-source-traffic", tt::EngsetLoad::IdleSourceTraffic}};
    for (const auto& load : kLoads) {
        if (in.Given(load.name)) {
            return {load.kind, in[load.name]};
        }
    }
    throw std::invalid_argument("give one of --traffic, --intended-traffic, --idle-source-traffic");
}
const Use kLoads[] = {OneOf("traffic", 5), OneOf("intended-traffic"), OneOf("idle-source-traffic")};

void EngsetJson(const tt::Engset& e, Json& json, int digits) {
    json["time-congestion"] = JsonNumber(e.timeCongestion, digits);
    json["call-congestion"] = JsonNumber(e.callCongestion, digits);
    json["traffic-congestion"] = JsonNumber(e.trafficCongestion, digits);
    json["carried"] = JsonNumber(e.carried, digits);
    json["traffic"] = JsonNumber(e.traffic, digits);
    json["intended-traffic"] = JsonNumber(e.intendedTraffic, digits);
    json["idle-source-traffic"] = JsonNumber(e.idleSourceTraffic, digits);
}

tt::OverflowMethod Method(const Inputs& in) {
    return in.Word<tt::OverflowMethod>("method");
}

// The value at the count and at one less, as `row(n)` gives it: what shows
// that the count is the least.
template <typename Row>
void ByCount(Json& json, const char* key, std::int64_t count, std::int64_t least, Row row) {
    Json& rows = json[key] = Json::array();
    for (std::int64_t n = std::max<std::int64_t>(count - 1, least); n <= count; ++n) {
        rows.push_back(row(n));
    }
}

const std::vector<Command>& Table() {
    static const std::vector<Command> commands{
        {.name = "blocking",
         .summary = "Erlang B blocking of N lines (N may be fractional) offered A erlangs",
         .options = {Required("traffic", 10), Required("lines", 18)},
         .answer = "blocking",
         .solve = [](const Inputs& in) { return Real(tt::ErlangB(in["traffic"], in["lines"])); },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 // Finite where the blocking itself is below the double range.
                 json["log-blocking"] =
                     JsonNumber(tt::LogErlangB(in["traffic"], in["lines"]), digits);
             }},
        {.name = "lines",
         .summary = "Smallest whole number of lines that meets a blocking target",
         .options = {Required("traffic", 10), Required("blocking", 0.01)},
         .answer = "lines",
         .solve =
             [](const Inputs& in) {
                 return Count(tt::ErlangBLines(in["traffic"], in["blocking"]));
             },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 ByCount(json, "blocking-by-lines", answer.count, 0, [&](std::int64_t n) {
                     return Json{
                         {"lines", n},
                         {"blocking", JsonNumber(tt::ErlangB(in["traffic"], double(n)), digits)}};
                 });
             }},
        {.name = "traffic",
         .summary = "Largest traffic N lines carry at a blocking target",
         .options = {Required("lines", 10), Required("blocking", 0.01)},
         .answer = "traffic",
         .solve =
             [](const Inputs& in) { return Real(tt::ErlangBTraffic(in["lines"], in["blocking"])); },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 const double blocking = tt::ErlangB(answer.real, in["lines"]);
                 json["blocking-at-traffic"] = JsonNumber(blocking, digits);
                 json["carried"] = JsonNumber(answer.real * (1 - blocking), digits);
             }},
        {.name = "extended-blocking",
         .summary = "Blocking when a share of blocked callers (the recall) tries again",
         .options = {Required("traffic", 10), Required("lines", 15), Required("recall", 0.5)},
         .answer = "blocking",
         .solve =
             [](const Inputs& in) {
                 return Real(
                     tt::ExtendedErlangB(in["traffic"], in["lines"], in["recall"]).blocking);
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 json["offered"] = JsonNumber(
                     tt::ExtendedErlangB(in["traffic"], in["lines"], in["recall"]).offered, digits);
             }},
        {.name = "extended-lines",
         .summary = "Smallest whole number of lines that meets a blocking target when a share of "
                    "blocked callers (the recall) tries again",
         .options = {Required("traffic", 10), Required("blocking", 0.01), Required("recall", 0.5)},
         .answer = "lines",
         .solve =
             [](const Inputs& in) {
                 return Count(
                     tt::ExtendedErlangBLines(in["traffic"], in["recall"], in["blocking"]));
             },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 ByCount(json, "blocking-by-lines", answer.count, 0, [&](std::int64_t n) {
                     const tt::Retrial r =
                         tt::ExtendedErlangB(in["traffic"], double(n), in["recall"]);
                     return Json{{"lines", n},
                                 {"offered", JsonNumber(r.offered, digits)},
                                 {"blocking", JsonNumber(r.blocking, digits)}};
                 });
             }},
        {.name = "wait-probability",
         .summary = "Erlang C (Erlang A with --patience, Erlang X with --lines, --redial or "
                    "--variance): probability that a caller waits for one of N agents",
         .options = {Required("traffic", 10), Required("agents", 12), Optional("aht"),
                     Optional("patience"), Optional("lines", kCentreLines), Optional("redial"),
                     Optional("calls"), Optional("interval"),
                     Optional("variance", kForecastVariance)},
         .answer = "wait-probability",
         .solve =
             [](const Inputs& in) {
                 if (ByErlangX(in)) {
                     return Real(FiguresX(in).waitProbability);
                 }
                 if (Given(Patience(in))) {
                     return Real(tt::ErlangA(in["traffic"], in["agents"], in["aht"], in["patience"])
                                     .waitProbability);
                 }
                 return Real(tt::ErlangC(in["traffic"], in["agents"]));
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 ExplainQueue(in, kNotGiven, json, digits, [&] {
                     json["occupancy"] =
                         JsonNumber(in["traffic"] == 0 ? 0 : in["traffic"] / in["agents"], digits);
                 });
             }},
        {.name = "service-level",
         .summary = "Erlang C (Erlang A with --patience, Erlang X with --lines, --redial, --basis "
                    "or --variance): share of callers answered within the target time",
         .options = {Required("traffic", 10), Required("agents", 12), Required("aht", 180),
                     Required("target-time", 20), Optional("patience"),
                     Optional("lines", kCentreLines), Optional("redial"), Optional("basis"),
                     Optional("calls"), Optional("interval"),
                     Optional("variance", kForecastVariance)},
         .answer = "service-level",
         .solve =
             [](const Inputs& in) {
                 if (ByErlangX(in)) {
                     return Real(FiguresX(in).serviceLevel);
                 }
                 if (in.Given("patience")) {
                     return Real(tt::ErlangAServiceLevel(in["traffic"], in["agents"], in["aht"],
                                                         in["patience"], in["target-time"]));
                 }
                 return Real(tt::ErlangCServiceLevel(in["traffic"], in["agents"], in["aht"],
                                                     in["target-time"]));
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 ExplainQueue(in, in["target-time"], json, digits, [&] {
                     json["wait-probability"] =
                         JsonNumber(tt::ErlangC(in["traffic"], in["agents"]), digits);
                     json["average-wait"] = JsonNumber(
                         tt::ErlangCAverageWait(in["traffic"], in["agents"], in["aht"]), digits);
                 });
             }},
        {.name = "average-wait",
         .summary = "Erlang C (Erlang A with --patience, Erlang X with --lines, --redial or "
                    "--variance): average speed of answer, the mean wait over all callers (those "
                    "who hang up until they do), in the unit of the handling time",
         .options = {Required("traffic", 10), Required("agents", 12), Required("aht", 180),
                     Optional("patience"), Optional("lines", kCentreLines), Optional("redial"),
                     Optional("calls"), Optional("interval"),
                     Optional("variance", kForecastVariance)},
         .answer = "average-wait",
         .solve =
             [](const Inputs& in) {
                 if (ByErlangX(in)) {
                     return Real(FiguresX(in).averageWait);
                 }
                 if (in.Given("patience")) {
                     return Real(tt::ErlangA(in["traffic"], in["agents"], in["aht"], in["patience"])
                                     .averageWait);
                 }
                 return Real(tt::ErlangCAverageWait(in["traffic"], in["agents"], in["aht"]));
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 ExplainQueue(in, kNotGiven, json, digits, [&] {
                     json["wait-probability"] =
                         JsonNumber(tt::ErlangC(in["traffic"], in["agents"]), digits);
                 });
             }},
        {.name = "answered-wait",
         .summary =
             "Erlang C, A or X: mean wait of the answered calls (the average speed of answer "
             "an ACD reports), callers who hang up left out, in the unit of the handling "
             "time",
         .options = {Required("traffic", 10),
                     Required("agents", 14),
                     Required("aht", 180),
                     {"patience", Takes::Optional, 300},
                     Optional("lines", kCentreLines),
                     Optional("redial"),
                     Optional("calls"),
                     Optional("interval"),
                     Optional("variance", kForecastVariance)},
         .answer = "answered-wait",
         .solve = [](const Inputs& in) { return Real(FiguresX(in).answeredWait); },
         .explain = [](const Inputs& in, const Answer&, Json& json,
                       int digits) { ExplainX(in, json, digits); }},
        {.name = "abandon-probability",
         .summary = "Erlang A (Erlang X with --lines, --redial or --variance): probability that a "
                    "caller hangs up before being answered, callers waiting on average --patience "
                    "before they do",
         .options = {Required("traffic", 10), Required("agents", 14), Required("aht", 180),
                     Required("patience", 300), Optional("lines", kCentreLines), Optional("redial"),
                     Optional("calls"), Optional("interval"),
                     Optional("variance", kForecastVariance)},
         .answer = "abandon-probability",
         .solve =
             [](const Inputs& in) {
                 if (ByErlangX(in)) {
                     return Real(FiguresX(in).abandonProbability);
                 }
                 return Real(tt::ErlangA(in["traffic"], in["agents"], in["aht"], in["patience"])
                                 .abandonProbability);
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 if (ByErlangX(in)) {
                     ExplainX(in, json, digits);
                     return;
                 }
                 ExplainAbandonment(in, kNotGiven, json, digits);
             }},
        {.name = "agents",
         .summary = "Erlang C (Erlang A with --patience, Erlang X with --lines, --redial, --basis, "
                    "--variance or the targets it alone takes): smallest whole number of agents "
                    "that meets every target given; with --shrinkage or --max-occupancy, the "
                    "agents to schedule",
         .options = {Required("traffic", 10), Required("aht", 180), Required("target-time", 20),
                     Required("service-level", 0.8), Optional("average-wait"),
                     Optional("answered-wait"), Optional("max-abandon"),
                     Optional("max-blocking", kBlockingCap), Optional("basis"),
                     Optional("patience"), Optional("lines", kCentreLines), Optional("redial"),
                     Optional("shrinkage"), Optional("max-occupancy"), Optional("calls"),
                     Optional("interval"), Optional("variance", kForecastVariance)},
         .answer = "agents",
         .solve =
             [](const Inputs& in) {
                 const Staffing staffing(in);
                 return Count(staffing.Factors() ? staffing.Plan().scheduled
                                                 : staffing.ForTarget());
             },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 const Staffing staffing(in);
                 if (!staffing.byErlangX && !staffing.ByWait() && !staffing.ByErlangA() &&
                     !staffing.Factors()) {
                     ByCount(json, "service-level-by-agents", answer.count, 0, [&](std::int64_t n) {
                         return Json{{"agents", n},
                                     {"service-level",
                                      IfQueueEnds(in["traffic"], double(n), tt::ErlangCServiceLevel,
                                                  in["aht"], in["target-time"], digits)}};
                     });
                     return;
                 }
                 const std::int64_t forTarget = staffing.ForTarget();
                 // Down to 1 agent, or none where no traffic needs one.
                 ByCount(json, "by-agents", forTarget, std::min<std::int64_t>(forTarget, 1),
                         [&](std::int64_t n) { return staffing.Measure(n, digits); });
                 if (staffing.Factors() || staffing.byErlangX) {
                     const tt::Schedule plan = staffing.Plan();
                     json["agents-on-phones"] = plan.onPhones;
                     json["agents-to-schedule"] = plan.scheduled;
                     json["decided-by"] = staffing.DecidedBy(plan, forTarget);
                     if (staffing.byErlangX && std::isfinite(staffing.model.lines)) {
                         // Callers who find every line busy are in no service level:
                         // say when the lines, not the targets, bound the count, and
                         // the blocking beside the level.
                         const auto n = static_cast<double>(plan.onPhones);
                         json["lines-bound"] = n >= staffing.model.lines;
                         json["blocking"] = JsonNumber(
                             tt::ErlangX(staffing.traffic, n, staffing.model,
                                         staffing.targets.targetTime, staffing.targets.basis)
                                 .blocking,
                             digits);
                     }
                     if (plan.onPhones != forTarget) {
                         // Not through a reference: the keys added since may have moved it.
                         json["by-agents"].push_back(staffing.Measure(plan.onPhones, digits));
                     }
                 }
             }},
        {.name = "capacity",
         .summary = "Erlang C, A or X: largest fresh traffic N agents take while meeting every "
                    "target given",
         .options = {Required("agents", 14, {.note = ", whole with --lines"}),
                     Required("aht", 180),
                     Required("target-time", 20),
                     Required("service-level", 0.8),
                     Optional("average-wait"),
                     Optional("answered-wait"),
                     Optional("max-abandon"),
                     Optional("max-blocking"),
                     Optional("basis"),
                     {"patience", Takes::Optional, 300},
                     Optional("lines", kCentreLines),
                     Optional("redial")},
         .answer = "traffic",
         .solve =
             [](const Inputs& in) {
                 return Real(tt::ErlangXCapacity(in["agents"], CentreOf(in), TargetsOf(in)));
             },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 const tt::ErlangXModel model = CentreOf(in);
                 const tt::ErlangXTargets targets = TargetsOf(in);
                 // Apart from the inputs, whose targets bear the figures' names.
                 FiguresJson(tt::ErlangX(answer.real, in["agents"], model, targets.targetTime,
                                         targets.basis),
                             in.Given("target-time"), json["at-capacity"], digits);
                 json["decided-by"] =
                     Deciding(targets, answer.real, [&](const tt::ErlangXTargets& one) {
                         return tt::ErlangXCapacity(in["agents"], model, one);
                     });
             }},
        {.name = "queue-blocking",
         .summary = "Erlang X: share of call attempts that find every line of a call centre busy, "
                    "its lines holding the calls answered and waiting",
         .options = {Required("traffic", 10), Required("agents", 12, kWholeAgents),
                     Required("lines", 14, kCentreLines), Optional("aht"), Optional("patience"),
                     Optional("redial"), Optional("calls"), Optional("interval"),
                     Optional("variance", kForecastVariance)},
         .answer = "blocking",
         .solve = [](const Inputs& in) { return Real(FiguresX(in).blocking); },
         .explain = [](const Inputs& in, const Answer&, Json& json,
                       int digits) { ExplainX(in, json, digits); }},
        {.name = "queue-lines",
         .summary =
             "Erlang X: smallest whole number of lines of a call centre, from its agents up, "
             "whose blocking meets a target, its lines holding the calls answered and "
             "waiting",
         .options = {Required("traffic", 10), Required("agents", 12, kWholeAgents),
                     Required("blocking", 0.01,
                              {.sense = "highest share of call attempts that may find every line "
                                        "busy",
                               .rule = &tt::rules::kOpenShare}),
                     Optional("aht"), Optional("patience"), Optional("redial"), Optional("calls"),
                     Optional("interval"), Optional("variance", kForecastVariance)},
         .answer = "lines",
         .solve =
             [](const Inputs& in) {
                 return Count(
                     tt::ErlangXLines(in["traffic"], in["agents"], CentreOf(in), in["blocking"]));
             },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 tt::ErlangXModel model = CentreOf(in);
                 const auto agents = static_cast<std::int64_t>(in["agents"]);
                 ByCount(json, "blocking-by-lines", answer.count, std::max<std::int64_t>(agents, 1),
                         [&](std::int64_t n) {
                             model.lines = static_cast<double>(n);
                             const double blocking =
                                 tt::ErlangX(in["traffic"], in["agents"], model).blocking;
                             return Json{{"lines", n}, {"blocking", JsonNumber(blocking, digits)}};
                         });
             }},
        {.name = "engset-blocking",
         .summary = "Engset: call congestion of N lines shared by S sources (finite sources)",
         .options = {Required("sources", 40),
                     Required("lines", 8,
                              {.rule = &tt::rules::kSourceLines, .note = ", at most the sources"}),
                     kLoads[0], kLoads[1], kLoads[2]},
         .answer = "call-congestion",
         .solve =
             [](const Inputs& in) {
                 const Load load = LoadOf(in);
                 return Real(tt::EngsetBlocking(load.kind, load.value, in["sources"], in["lines"])
                                 .callCongestion);
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 const Load load = LoadOf(in);
                 EngsetJson(tt::EngsetBlocking(load.kind, load.value, in["sources"], in["lines"]),
                            json, digits);
             }},
        {.name = "engset-lines",
         .summary = "Engset: smallest whole number of lines whose call congestion meets a target",
         .options = {Required("sources", 40), kLoads[0], kLoads[1], kLoads[2],
                     Required("blocking", 0.01)},
         .answer = "lines",
         .solve =
             [](const Inputs& in) {
                 const Load load = LoadOf(in);
                 return Count(
                     tt::EngsetLines(load.kind, load.value, in["sources"], in["blocking"]));
             },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 const Load load = LoadOf(in);
                 ByCount(json, "call-congestion-by-lines", answer.count, 0, [&](std::int64_t n) {
                     const tt::Engset e =
                         tt::EngsetBlocking(load.kind, load.value, in["sources"], double(n));
                     return Json{{"lines", n},
                                 {"call-congestion", JsonNumber(e.callCongestion, digits)}};
                 });
             }},
        {.name = "engset-traffic",
         .summary = "Engset: traffic (call attempts times holding time) at which N lines shared by "
                    "S sources meet a call-congestion target",
         .options = {Required("sources", 40),
                     Required(
                         "lines", 8,
                         {.rule = &tt::rules::kSourceLines, .note = ", fewer than the sources"}),
                     Required("blocking", 0.01)},
         .answer = "traffic",
         .solve =
             [](const Inputs& in) {
                 return Real(tt::EngsetTraffic(in["sources"], in["lines"], in["blocking"]).traffic);
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 const tt::Engset e = tt::EngsetTraffic(in["sources"], in["lines"], in["blocking"]);
                 json["intended-traffic"] = JsonNumber(e.intendedTraffic, digits);
                 json["idle-source-traffic"] = JsonNumber(e.idleSourceTraffic, digits);
                 json["time-congestion"] = JsonNumber(e.timeCongestion, digits);
                 json["carried"] = JsonNumber(e.carried, digits);
             }},
        {.name = "overflow",
         .summary = "Mean of the traffic that overflows N lines (whole or fractional) offered A "
                    "erlangs (Riordan)",
         .options = {Required("traffic", 10), Required("lines", 10)},
         .answer = "mean",
         .solve =
             [](const Inputs& in) {
                 return Real(tt::OverflowMoments(in["traffic"], in["lines"]).mean);
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 const tt::Overflow o = tt::OverflowMoments(in["traffic"], in["lines"]);
                 json["variance"] = JsonNumber(o.variance, digits);
                 json["peakedness"] = JsonNumber(o.peakedness, digits);
             }},
        {.name = "equivalent-random",
         .summary = "Equivalent random traffic (Wilkinson): the traffic and lines whose overflow "
                    "has the given mean and variance",
         .options = {Required("mean", 2.145823), Required("variance", 4.362447)},
         .answer = "equivalent-traffic",
         .solve =
             [](const Inputs& in) {
                 return Real(tt::OverflowEquivalentRandom(in["mean"], in["variance"]).traffic);
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 json["equivalent-lines"] = JsonNumber(
                     tt::OverflowEquivalentRandom(in["mean"], in["variance"]).lines, digits);
             }},
        {.name = "overflow-blocking",
         .summary = "Blocking of an overflow stream of the given mean and variance on N further "
                    "lines",
         .options = {Required("mean", 2.145823), Required("variance", 4.362447),
                     Required("lines", 5), Optional("method")},
         .answer = "blocking",
         .solve =
             [](const Inputs& in) {
                 return Real(
                     tt::OverflowBlocking(in["mean"], in["variance"], in["lines"], Method(in))
                         .blocking);
             },
         .explain =
             [](const Inputs& in, const Answer&, Json& json, int digits) {
                 json["lost"] = JsonNumber(
                     tt::OverflowBlocking(in["mean"], in["variance"], in["lines"], Method(in)).lost,
                     digits);
             }},
        {.name = "overflow-lines",
         .summary = "Smallest whole number of lines an overflow stream of the given mean and "
                    "variance needs to meet a blocking target",
         .options = {Required("mean", 2.145823), Required("variance", 4.362447),
                     Required("blocking", 0.01), Optional("method")},
         .answer = "lines",
         .solve =
             [](const Inputs& in) {
                 return Count(
                     tt::OverflowLines(in["mean"], in["variance"], Method(in), in["blocking"]));
             },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 ByCount(json, "blocking-by-lines", answer.count, 0, [&](std::int64_t n) {
                     const tt::OverflowLoss l =
                         tt::OverflowBlocking(in["mean"], in["variance"], double(n), Method(in));
                     return Json{{"lines", n}, {"blocking", JsonNumber(l.blocking, digits)}};
                 });
             }},
        {.name = "offered-traffic",
         .summary = "Traffic offered to N lines that carry a measured traffic Y",
         .options = {Required("carried", 19.2), Required("lines", 24)},
         .answer = "offered",
         .solve =
             [](const Inputs& in) {
                 return Real(tt::ErlangBOfferedTraffic(in["carried"], in["lines"]));
             },
         .explain =
             [](const Inputs& in, const Answer& answer, Json& json, int digits) {
                 json["blocking"] = JsonNumber(tt::ErlangB(answer.real, in["lines"]), digits);
             }},
    };
    return commands;
}

// An option that stands in for inputs of a command that takes it.
struct StandInFor {
    Name by;
    std::vector<Name> inputs; // what it stands in for
    std::vector<Name> needs;  // what it needs beside it
    std::string_view needsMessage;
    std::string_view bothMessage; // empty where both may be given
    // The inputs may be given all of them beside it, as a second target
    // (bothMessage then refuses some of them only).
    bool allBeside = false;

    // The value of inputs[0] it gives; null for a target the command reads
    // itself in place of `inputs`.
    double (*derive)(const Inputs& in);
};

// A target that may be given with a service level, or in its place.
StandInFor Beside(Name target) {
    return {.by = target,
            .inputs = {"target-time", "service-level"},
            .needs = {},
            .needsMessage = {},
            .bothMessage = {},
            .derive = nullptr};
}

const StandInFor kStandIns[] = {
    {.by = "calls",
     .inputs = {"traffic"},
     .needs = {"interval", "aht"},
     .needsMessage = "--calls needs --interval (minutes) and --aht (seconds) to make a traffic",
     .bothMessage = "give --traffic or --calls with --interval, not both",
     .derive =
         [](const Inputs& in) {
             const double calls = in["calls"];
             const double interval = in["interval"];
             for (const auto& [value, argument] :
                  {std::pair{calls, tt::Argument::Calls}, {interval, tt::Argument::Interval}}) {
                 const tt::ArgumentInfo& about = tt::About(argument);
                 if (!about.rule->domain.Contains(value)) {
                     throw std::invalid_argument("--" + std::string(about.option) + " must be " +
                                                 std::string(about.rule->text) + ", got " +
                                                 number_text::Show(value));
                 }
             }
             return calls * in["aht"] / (interval * 60);
         }},
    // An average wait, in place of a level within a time or beside it (the
    // commonest pair of a contact centre's targets).
    {.by = "average-wait",
     .inputs = {"target-time", "service-level"},
     .needs = {},
     .needsMessage = {},
     .bothMessage = "give --target-time with --service-level beside --average-wait, or neither",
     .allBeside = true,
     .derive = nullptr},
    // Targets Erlang X meets beside a service level or in its place.
    Beside("answered-wait"),
    Beside("max-abandon"),
    Beside("max-blocking"),
};

bool TakesOption(const Command& command, Name name) {
    return std::ranges::find(command.options, name, &Use::name) != command.options.end();
}

// The stand-ins the command takes.
auto TakenStandIns(const Command& command) {
    return kStandIns | std::views::filter([&command](const StandInFor& standIn) {
               return TakesOption(command, standIn.by);
           });
}

// Those of them for `input`.
auto StandInsFor(const Command& command, Name input) {
    return TakenStandIns(command) | std::views::filter([input](const StandInFor& standIn) {
               return std::ranges::find(standIn.inputs, input) != standIn.inputs.end();
           });
}

} // namespace

std::span<const Command> Commands() {
    return Table();
}

const tt::ArgumentInfo& ArgumentOf(const Use& use) {
    return use.own.argument ? *use.own.argument : use.name.Argument();
}

const tt::Rule& RuleOf(const Use& use) {
    return use.own.rule ? *use.own.rule : *ArgumentOf(use).rule;
}

std::string Help(const Use& use) {
    tt::ArgumentInfo shown = ArgumentOf(use);
    if (!use.own.sense.empty()) {
        shown.sense = use.own.sense;
    }
    // Another argument of the name has its own note, if any.
    const bool own = !use.own.note.empty() || use.own.argument != nullptr;
    return HelpOf(shown, RuleOf(use), own ? use.own.note : use.name.Of().note);
}

std::string HelpOf(const tt::ArgumentInfo& about, const tt::Rule& rule, std::string_view note) {
    std::string help(about.sense);
    if (const tt::ChoiceInfo* choice = ChoiceNamed(about.choice)) {
        help.append(": ").append(WordsHelp(*choice, choice->words.front().word));
    } else {
        help.append(" (").append(rule.text).append(")");
    }
    return help.append(note);
}

std::string WordsHelp(const tt::ChoiceInfo& choice, std::string_view fallback) {
    std::string help;
    for (std::size_t i = 0; i < choice.words.size(); ++i) {
        const tt::ChoiceWord& word = choice.words[i];
        help.append(i == 0                        ? ""
                    : i + 1 < choice.words.size() ? ", "
                                                  : " or ")
            .append(word.word)
            .append(" (")
            .append(word.words)
            .append(word.word == fallback ? ", the default)" : ")");
    }
    return help;
}

std::vector<std::string_view> StandIns(const Command& command, Name input) {
    std::vector<std::string_view> names;
    for (const StandInFor& standIn : StandInsFor(command, input)) {
        names.push_back(standIn.by.Text());
    }
    return names;
}

const Use* Complete(const Command& command, Inputs& in) {
    for (const StandInFor& standIn : TakenStandIns(command)) {
        if (!in.Given(standIn.by)) {
            continue;
        }
        if (!std::ranges::all_of(standIn.needs, [&in](Name name) { return in.Given(name); })) {
            throw std::invalid_argument(std::string(standIn.needsMessage));
        }
        if (standIn.derive == nullptr) {
            const auto given = static_cast<std::size_t>(
                std::ranges::count_if(standIn.inputs, [&in](Name name) { return in.Given(name); }));
            const bool refused =
                standIn.allBeside ? given > 0 && given < standIn.inputs.size() : given > 0;
            if (!standIn.bothMessage.empty() && refused) {
                throw std::invalid_argument(std::string(standIn.bothMessage));
            }
            continue;
        }
        const double derived = standIn.derive(in);
        const Name input = standIn.inputs.front();
        // The same value is what an earlier pass filled in; another was given as well.
        if (in.Given(input) && in[input] != derived) {
            throw std::invalid_argument(std::string(standIn.bothMessage));
        }
        in.Set(input, derived);
    }
    for (const Use& use : command.options) {
        if (use.takes == Takes::Required && !in.Given(use.name) &&
            std::ranges::none_of(StandInsFor(command, use.name), [&in](const StandInFor& standIn) {
                return in.Given(standIn.by);
            })) {
            return &use;
        }
    }
    return nullptr;
}

Answer Solve(const Command& command, Inputs& in) {
    if (const Use* missing = Complete(command, in); missing != nullptr) {
        const std::vector<std::string_view> standIns = StandIns(command, missing->name);
        throw std::invalid_argument(
            "--" + std::string(missing->name.Text()) + " is required" +
            (standIns.empty() ? "" : " (or --" + std::string(standIns.front()) + ")"));
    }
    const Answer answer = command.solve(in);
    if (!answer.isCount && !std::isfinite(answer.real)) {
        throw std::domain_error("no finite " + std::string(command.answer) + " for these inputs");
    }
    return answer;
}

void AppendAnswer(std::string& out, const Answer& answer, int digits) {
    if (answer.isCount) {
        char text[24];
        out.append(text, std::to_chars(text, text + sizeof text, answer.count).ptr);
    } else {
        number_text::Append(out, answer.real, digits);
    }
}

std::string AnswerJson(const Command& command, const Inputs& in, const Answer& answer, int digits) {
    Json json;
    json["command"] = command.name;
    for (const Use& use : command.options) {
        const std::string name(use.name.Text());
        // A word is shown where it is in effect: the default of one that asks
        // for Erlang X only where it is given.
        if (use.name.IsWord() &&
            (in.Given(use.name) ||
             std::ranges::find(kErlangXOptions, use.name) == std::end(kErlangXOptions))) {
            json[name] = use.name.Choice()->words[in.WordAt(use.name)].word;
        } else if (!use.name.IsWord() && in.Given(use.name)) { // an option not given is not shown
            json[name] = JsonNumber(in[use.name], 0);
        }
    }
    if (answer.isCount) {
        json[std::string(command.answer)] = answer.count;
    } else {
        json[std::string(command.answer)] = JsonNumber(answer.real, digits);
    }
    command.explain(in, answer, json, digits);
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

std::string Worded(const teletraffic::DomainError& error, std::span<const Named> given) {
    // The registry's option, the engine's or a room's.
    const std::string_view argument = error.about().option;
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
