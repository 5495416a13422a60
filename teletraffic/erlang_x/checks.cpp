// The domains of Erlang X's arguments, each refusal naming the argument: the
// centre's (agents, handling time, patience, lines, redials, the forecast's
// calls and variance), the targets' (one table, targets.h), and the attempts
// an answer's traffic makes with its redials.
#include "teletraffic/erlang_x/checks.h"

#include "teletraffic/erlang_x/targets.h"
#include "teletraffic/error.h"
#include "teletraffic/numerics/checks.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace teletraffic::erlang_x {

// `idle`: no traffic, which no agents keep waiting even if nobody hangs up.
Centre CheckCentre(double agents, const ErlangXModel& model, bool idle) {
    CheckCount(agents, Argument::Agents);
    CheckTimes(model.aht, 0);
    Check(Argument::Patience, model.patience, rules::kCentrePatience);
    Check(Argument::Lines, model.lines, rules::kCentreLines);
    Check(Argument::Redial, model.redial);
    Centre c{};
    c.agents = agents;
    c.aht = model.aht;
    c.hangUps = model.patience < INFINITY;
    c.limited = model.lines < INFINITY;
    c.ratio = c.hangUps ? std::clamp(model.patience / model.aht, kMinRatio, kMaxRatio) : kMaxRatio;
    c.patience = model.aht * c.ratio;
    c.redial = model.redial;
    if (c.limited) {
        Require(agents == std::floor(agents), Argument::Agents,
                "a whole number when lines are given", agents);
        if (!(agents <= model.lines)) {
            throw DomainError(Argument::Lines, model.lines,
                              "at least the agents, " + ShowNumber(agents));
        }
        c.queueLines = model.lines - agents;
    } else {
        c.queueLines = INFINITY;
    }
    if (!c.hangUps) {
        Require(agents > 0 || idle, Argument::Agents, "greater than 0 when callers never hang up",
                agents);
    }
    c.shape = INFINITY;
    if (model.variance != 0) {
        Require(model.calls > 0 && model.calls < INFINITY, Argument::Calls,
                "a number greater than 0 with a variance", model.calls);
        if (!(model.variance >= model.calls && model.variance < INFINITY)) {
            throw DomainError(Argument::ForecastVariance, model.variance,
                              "at least the calls, " + ShowNumber(model.calls));
        }
        if (model.variance > model.calls) {
            Require(c.hangUps || c.limited, Argument::ForecastVariance,
                    "equal to the calls unless lines or patience keep the queue finite",
                    model.variance);
            c.shape = model.calls / (model.variance - model.calls) * model.calls;
        }
    }
    return c;
}

// The centre with `agents` (whole) and `lines`, checked as given.
Centre CentreOnLines(double agents, ErlangXModel model, double lines) {
    model.lines = lines;
    return CheckCentre(agents, model);
}

void CheckAttempts(double traffic, double attempts) {
    if (!(attempts <= kMaxTraffic)) {
        throw DomainError(Argument::Traffic, traffic,
                          "a traffic whose attempts with redials, " + ShowNumber(attempts) +
                              " erlangs, stay within 1e9");
    }
}

void CheckTargets(const ErlangXTargets& t, const Centre& c) {
    CheckTimes(c.aht, t.targetTime);
    if (std::ranges::none_of(kTargets<double>,
                             [&](const Target<double>& target) { return !!(t.*target.bound); })) {
        throw DomainError(Argument::ServiceLevel, NAN, "given, or another target");
    }
    for (const Target<double>& target : kTargets<double>) {
        const std::optional<double>& bound = t.*target.bound;
        if (!bound) {
            continue;
        }
        Check(target.argument, *bound);
        if (target.requirement == Requirement::Patience) {
            Require(c.hangUps, target.argument, "given with a patience", *bound);
        }
        if (target.requirement == Requirement::Lines) {
            Require(c.limited, target.argument, "given with lines", *bound);
        }
    }
}

} // namespace teletraffic::erlang_x
