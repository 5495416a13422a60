// Erlang X's searches. The fewest agents meeting every target, and the
// fewest lines meeting a blocking: Newton's method on the count (solve.h),
// its slope from the figures at the next count, each verdict in double, else
// extended precision (targets.h); over a forecast the count without its
// spread the first guess, and each count decided on rough figures where they
// lie clear of the targets. The agents the staffing factors schedule: the
// occupancy's count found on rough figures, then moved on the figures in
// full. The capacity: for each target, TOMS 748 on the log of the traffic
// from a bracket found by doubling steps (roots.h), over a forecast from
// the traffic without its spread; then read back, the largest traffic whose
// figures as reported meet every target.
//
// Reference: G. E. Alefeld, F. A. Potra and Y. Shi, Algorithm 748, ACM
// Trans. Math. Software 21 (1995) 327-344.
#include "teletraffic/erlang_x.h"

#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_x/checks.h"
#include "teletraffic/erlang_x/figures.h"
#include "teletraffic/erlang_x/targets.h"
#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/roots.h"
#include "teletraffic/numerics/solve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace teletraffic {

using namespace erlang_x;

namespace {

// The attempts of an answer within the engine's traffics, from figures of
// the answer's search where they lie clear of the limit.
void CheckAttemptsOf(double traffic, const Figures<double>& f, const auto& full) {
    const bool clear = std::fabs(f.attempts / kMaxTraffic - 1) > kRoughMargin;
    CheckAttempts(traffic, clear ? f.attempts : full().attempts);
}

// Whether the blocking may rise with the agents on the same lines: where
// callers hang up sooner than a call lasts, a waiting place made an agent's
// is left more slowly, and at each attempt traffic the blocking rises with
// the agents; the redials, fewer as the agents answer more, may turn it
// either way. Every other figure a target bounds falls with the agents.
bool BlockingMayRise(const Centre& c) {
    return c.hangUps && c.ratio < 1;
}

// The least count from `from` up to the lines whose blocking, with redials,
// is at most `bound`, where it need not fall with the agents; none where no
// count does. By bisection of the counts, each range [lo, hi] dropped where
// a bound below its blockings lies above the target and settled at lo where
// one above them lies below it: the blocking at a traffic rises with it and
// (hang-ups sooner than calls) with the agents, and the attempts fall with
// the agents, so that over the range the blocking is at least that of lo
// agents offered hi's attempts, at most that of hi agents offered lo's
// (over a forecast's law, each times the ratio of the two counts' mean
// attempts). Each count left alone decided as a count is.
std::optional<std::int64_t> LeastBlockingCount(double traffic, const ErlangXModel& model,
                                               std::int64_t from, double bound) {
    const double lines = model.lines;
    ErlangXTargets blocking;
    blocking.maxBlocking = bound;
    const auto centre = [&](std::int64_t n) {
        return CentreOnLines(static_cast<double>(n), model, lines);
    };
    const auto at = [&](const Centre& c) {
        return FiguresAt<double>(traffic, c, 0, Basis::Offered, Need::Shares);
    };
    // The blocking of `agents` offered the attempts of `attempts` agents.
    const auto crossed = [&](std::int64_t agents, std::int64_t attempts) {
        const Centre losses = centre(attempts);
        Centre c = centre(agents);
        c.losses = &losses;
        const Figures<double> f = at(c);
        return c.shape < INFINITY ? f.blocking * f.attempts / at(centre(agents)).attempts
                                  : f.blocking;
    };
    // Clear of the target by more than the figures' rounding.
    constexpr double kClear = 1e-9;
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges{
        {from, static_cast<std::int64_t>(lines)}};
    while (!ranges.empty()) {
        const auto [lo, hi] = ranges.back();
        ranges.pop_back();
        if (lo > hi) {
            continue;
        }
        if (lo == hi || crossed(hi, lo) * (1 + kClear) < bound) {
            if (MeetsAt(traffic, centre(lo), blocking).first) {
                return lo;
            }
            if (lo == hi) {
                continue;
            }
        }
        if (crossed(lo, hi) > bound * (1 + kClear)) {
            continue;
        }
        const std::int64_t mid = lo + (hi - lo) / 2;
        ranges.emplace_back(mid + 1, hi);
        ranges.emplace_back(lo, mid);
    }
    return std::nullopt;
}

} // namespace

std::int64_t ErlangXAgents(double traffic, const ErlangXModel& model,
                           const ErlangXTargets& targets) {
    CheckTraffic(traffic);
    const Centre base = CheckCentre(1, model);
    CheckTargets(targets, base);
    CheckForecast(traffic, model, base);
    if (traffic == 0) {
        return 0; // as Erlang A and C staff it: taken back, every target met
    }
    if (targets.maxBlocking && BlockingMayRise(base)) {
        // The other targets, whose figures fall with the agents, first: every
        // count from theirs on meets them; then the least of those counts
        // whose blocking meets its cap.
        ErlangXTargets others = targets;
        others.maxBlocking.reset();
        const bool more =
            NeedOfTargets(others) != Need::Shares || others.averageWait || others.maxAbandon;
        const std::int64_t first = more ? ErlangXAgents(traffic, model, others) : 1;
        const double bound = *targets.maxBlocking;
        ErlangXTargets blocking;
        blocking.maxBlocking = bound;
        const Centre at = CentreOnLines(static_cast<double>(first), model, model.lines);
        if (MeetsAt(traffic, at, blocking).first) {
            return first;
        }
        const std::optional<std::int64_t> n =
            base.redial > 0 ? LeastBlockingCount(traffic, model, first + 1, bound) : std::nullopt;
        if (!n) {
            const std::string count = more ? "the " + ShowNumber(static_cast<double>(first)) +
                                                 " agents the other targets need"
                                           : std::string("one agent");
            if (base.redial > 0) {
                throw DomainError(Argument::MaxBlocking, bound,
                                  "met by some count from " + count + " up to the " +
                                      ShowNumber(model.lines) +
                                      " lines: with patience shorter than the handling time "
                                      "and redials, more agents need not block less");
            }
            const double least =
                FiguresAt<double>(traffic, at, 0, Basis::Offered, Need::Shares).blocking;
            throw DomainError(Argument::MaxBlocking, bound,
                              "at least " + ShowNumber(least) + ", the blocking of " + count +
                                  ": with patience shorter than the handling time more agents "
                                  "on these lines block more");
        }
        CheckAttemptsOf(
            traffic,
            FiguresAt<double>(traffic, CentreOnLines(static_cast<double>(*n), model, model.lines),
                              0, Basis::Offered, Need::Shares),
            [&] {
                return FiguresAt<double>(traffic,
                                         CentreOnLines(static_cast<double>(*n), model, model.lines),
                                         0, Basis::Offered, Need::Shares);
            });
        return *n;
    }
    const double lines = model.lines;
    // Without lines or patience the queue drains only above the traffic.
    const double lo = !base.limited && !base.hangUps ? std::floor(traffic) : 0;
    const auto at = [&](std::int64_t n, const ErlangXModel& m) {
        return FiguresAt<double>(traffic, CentreOnLines(static_cast<double>(n), m, lines),
                                 targets.targetTime, targets.basis, NeedOfTargets(targets));
    };
    // With a forecast's variance, each count costs a quadrature: the count
    // without it is the first guess, and its figures give Newton's slope.
    ErlangXModel plain = model;
    plain.calls = plain.variance = 0;
    double guess = lo + 1 + std::sqrt(traffic) + traffic / 4;
    if (base.shape < INFINITY) {
        try {
            guess = static_cast<double>(ErlangXAgents(traffic, plain, targets));
        } catch (const DomainError&) {
            // no count on these lines meets it without the variance either
        }
    }
    // The count probed before, its excess and which target it was of.
    struct Probed {
        std::int64_t n = -1;
        double excess = NAN;
        const Target<double>* target = nullptr;
    } before;
    // The least count found to meet the targets, with its figures.
    std::pair<std::int64_t, Figures<double>> least{-1, {}};
    const auto probe = [&](std::int64_t n) {
        if (static_cast<double>(n) > lines) {
            return Step{true, 0, 1}; // past the lines: refused below
        }
        const Centre c = CentreOnLines(static_cast<double>(n), model, lines);
        const auto [meets, here] = MeetsAt(traffic, c, targets);
        if (meets) {
            least = {n, here};
        }
        const auto [excess, target] = MostMissed(here, targets);
        double fall = 1;
        if (static_cast<double>(n) + 1 <= std::fmin(lines, kMaxLines)) {
            const bool spread = base.shape < INFINITY;
            const double from = spread ? MostMissed(at(n, plain), targets, target).first : excess;
            fall = from - MostMissed(at(n + 1, spread ? plain : model), targets, target).first;
            // Over a forecast the figures fall more slowly than without it:
            // from the second count on, the secant of its own excesses.
            const double secant = (before.excess - excess) / static_cast<double>(n - before.n);
            if (spread && before.target == target && before.n != n && secant > 0 &&
                std::isfinite(secant)) {
                fall = secant;
            }
        }
        before = {n, excess, target};
        // Newton's step on the count, at most doubling it: where a figure is
        // flat in the count its slope says nothing.
        return Bounded(n, meets, excess, fall);
    };
    std::int64_t n = 0;
    try {
        n = SmallestCount(lo, guess, probe);
    } catch (const ConvergenceError&) {
        // No count up to 2e9 meets them: over a forecast so uncertain, or
        // at a traffic near the engine's largest without lines.
        const Figures<double> full = at(static_cast<std::int64_t>(kMaxLines), model);
        const Target<double>* missed = MostMissed(full, targets).second;
        const Target<double>& target = missed ? *missed : kTargets<double>[0];
        if (base.shape < INFINITY) {
            throw DomainError(Argument::ForecastVariance, model.variance,
                              "smaller: over a forecast this uncertain no count of agents up to "
                              "2e9 meets the " +
                                  std::string(About(target.argument).words));
        }
        throw DomainError(target.argument, (targets.*target.bound).value_or(NAN),
                          "met by at most 2e9 agents");
    }
    if (static_cast<double>(n) > lines) {
        const Figures<double> full = at(static_cast<std::int64_t>(lines), model);
        const Target<double>* missed = MostMissed(full, targets).second;
        const Target<double>& target = missed ? *missed : kTargets<double>[0];
        throw DomainError(target.argument, (targets.*target.bound).value_or(NAN),
                          "met by at most " + ShowNumber(lines) + " agents on " +
                              ShowNumber(lines) + " lines");
    }
    // The answer taken back with this traffic: its attempts within 1e9.
    CheckAttemptsOf(traffic, least.first == n ? least.second : at(n, model),
                    [&] { return at(n, model); });
    return n;
}

Schedule ErlangXScheduleAgents(double traffic, std::int64_t agentsForTarget,
                               const ErlangXModel& model, double shrinkage, double maxOccupancy) {
    CheckTraffic(traffic);
    const Centre base = CheckCentre(1, model);
    CheckForecast(traffic, model, base);
    if (!base.limited && base.shape == INFINITY && (base.redial == 0 || !base.hangUps)) {
        return base.hangUps ? ErlangAScheduleAgents(traffic, agentsForTarget, model.aht,
                                                    model.patience, shrinkage, maxOccupancy)
                            : ScheduleAgents(traffic, agentsForTarget, shrinkage, maxOccupancy);
    }
    // The factors checked, and the count the offered traffic per agent
    // needs: no more is carried than the fresh traffic (a caller is answered
    // once at most), so it meets the cap, and bounds the search.
    ScheduleAgents(0.0, agentsForTarget, shrinkage, maxOccupancy);
    const double lines = model.lines;
    // With lines, no more agents than they hold (however many the cap
    // would take without them).
    std::int64_t hi = static_cast<std::int64_t>(lines);
    if (!(traffic / maxOccupancy >= lines)) {
        hi = ScheduleAgents(traffic, agentsForTarget, 0, maxOccupancy).onPhones;
        hi = std::min(hi, static_cast<std::int64_t>(std::fmin(lines, kMaxLines)));
    }
    std::int64_t lo = agentsForTarget;
    // The occupancy alone by the cheapest figures (over a forecast, rough
    // ones), which may round apart from ErlangX's: the count they give is
    // then moved to the least whose ErlangX's figures meet the cap.
    const auto guide = [&](std::int64_t n) {
        return n > 0 &&
               FiguresAt<double>(traffic, CentreOnLines(static_cast<double>(n), model, lines), 0,
                                 Basis::Offered, Need::Shares, kRoughAccuracy)
                       .occupancy <= maxOccupancy;
    };
    const auto within = [&](std::int64_t n) {
        const auto N = static_cast<double>(n);
        return traffic == 0 ||
               (n > 0 && FiguresAsReported(traffic, N, model, CentreOnLines(N, model, lines), 0,
                                           Basis::Offered)
                                 .occupancy <= maxOccupancy);
    };
    std::int64_t n = lo;
    // No occupancy exceeds 1: a cap of 1 raises no count.
    if (hi > lo && maxOccupancy < 1 && !within(lo)) {
        if (!within(hi)) {
            throw DomainError(Argument::MaxOccupancy, maxOccupancy,
                              "met by at most " + ShowNumber(lines) + " agents on " +
                                  ShowNumber(lines) + " lines");
        }
        while (hi - lo > 1) { // lo misses, hi meets
            const std::int64_t mid = lo + (hi - lo) / 2;
            (guide(mid) ? hi : lo) = mid;
        }
        n = hi;
        for (; !within(n); ++n) {
        }
        for (; n - 1 > agentsForTarget && within(n - 1); --n) {
        }
    }
    Schedule plan = ScheduleAgents(0.0, n, shrinkage, 1.0);
    plan.decidedBy = n > agentsForTarget ? Decided::Occupancy : Decided::ServiceTarget;
    return plan;
}

std::int64_t ErlangXLines(double traffic, double agents, const ErlangXModel& model,
                          double blocking) {
    CheckTraffic(traffic);
    const Centre base = CentreOnLines(agents, model, std::fmax(std::ceil(agents), 1));
    CheckForecast(traffic, model, base);
    Check(Argument::Blocking, blocking, rules::kOpenShare);
    const double N = agents;
    const double lo = std::fmax(N, 1) - 1;
    if (traffic == 0) {
        return static_cast<std::int64_t>(lo) + 1;
    }
    if (!base.hangUps) {
        // Nobody hangs up: as the lines grow the blocking falls to that of
        // a queue that never drains, 1 - N/A at the attempt traffic A =
        // (A0 - r N)/(1 - r) (the redials of the blocked): a target at or
        // below it is never met.
        const double r = base.redial;
        const double A = (traffic - r * N) / (1 - r);
        if (A > N && blocking <= 1 - N / A) {
            throw DomainError(Argument::Blocking, blocking,
                              "above " + ShowNumber(1 - N / A) +
                                  ", which no number of lines meets");
        }
    }
    ErlangXTargets targets;
    targets.maxBlocking = blocking;
    ErlangXModel plain = model;
    plain.calls = plain.variance = 0;
    const bool spread = base.shape < INFINITY;
    const auto at = [&](std::int64_t K, const ErlangXModel& m) {
        return FiguresAt<double>(traffic, CentreOnLines(N, m, static_cast<double>(K)), 0,
                                 Basis::Offered, Need::Shares);
    };
    if (spread && !base.hangUps) {
        // The same limit over the forecast's traffics: no closed form, but
        // the most lines the engine takes come within rounding of it.
        const double limit = at(static_cast<std::int64_t>(kMaxLines), model).blocking;
        if (blocking <= limit) {
            throw DomainError(Argument::Blocking, blocking,
                              "above " + ShowNumber(limit) + ", which no number of lines meets");
        }
    }
    double guess = lo + 1 + std::sqrt(traffic) * 2;
    if (spread) {
        guess = static_cast<double>(ErlangXLines(traffic, agents, plain, blocking));
    }
    // The least count found to meet the target, with its figures.
    std::pair<std::int64_t, Figures<double>> least{-1, {}};
    // The count probed before and its excess.
    std::pair<std::int64_t, double> before{-1, NAN};
    const std::int64_t K = SmallestCount(lo, guess, [&](std::int64_t K) {
        const auto [meets, here] =
            MeetsAt(traffic, CentreOnLines(N, model, static_cast<double>(K)), targets);
        if (meets) {
            least = {K, here};
        }
        const double excess = std::log(here.blocking) - std::log(blocking);
        const double from = spread ? std::log(at(K, plain).blocking) - std::log(blocking) : excess;
        double fall =
            from - (std::log(at(K + 1, spread ? plain : model).blocking) - std::log(blocking));
        // Over a forecast the blocking falls more slowly than without it
        // (steps of 2 lines where 4700 were needed): from the second count
        // on, the secant of its own excesses, as the agents' search takes it.
        const double secant = (before.second - excess) / static_cast<double>(K - before.first);
        if (spread && before.first >= 0 && before.first != K && secant > 0 &&
            std::isfinite(secant)) {
            fall = secant;
        }
        before = {K, excess};
        const auto most = static_cast<double>(std::max<std::int64_t>(K, 1));
        if (!(std::fabs(excess) <= most * fall)) {
            fall = std::fabs(excess) / most;
        }
        return Step{meets, excess, fall};
    });
    // The answer taken back with this traffic: its attempts within 1e9.
    CheckAttemptsOf(traffic, least.first == K ? least.second : at(K, model),
                    [&] { return at(K, model); });
    return K;
}

double ErlangXCapacity(double agents, const ErlangXModel& model, const ErlangXTargets& targets) {
    const Centre c = CheckCentre(agents, model);
    CheckTargets(targets, c);
    const bool drains = c.limited || c.hangUps;
    if (agents == 0 && !drains) {
        return 0;
    }
    // Without lines or patience the traffic stays below the agents; over a
    // forecast's spread, below the traffic whose calls meet 1e9 erlangs.
    const double ceiling = drains ? MostForecastTraffic(c) : agents * (1 - 1e-15);
    // With a forecast's variance each target's traffic is sought from the
    // one without it, a few hundredths away: each step costs a quadrature.
    ErlangXModel plain = model;
    plain.calls = plain.variance = 0;
    const Centre poisson = CheckCentre(agents, plain);
    // A target's excess at the traffic e^u, of its own figures only: the
    // service level and the answered wait cost the most.
    const auto excessAt = [&](const Centre& centre, const Target<double>& target, double u,
                              double relative = kFullAccuracy<double>) {
        return ExcessOf(FiguresAt<double>(std::exp(u), centre, targets.targetTime, targets.basis,
                                          target.need, relative),
                        target, *(targets.*target.bound));
    };
    // `slope`, where known, of the excess over log A0 near `start`: the first
    // step a quarter past where it puts the root.
    const auto solve = [&](const Centre& centre, const Target<double>& target, double start,
                           double step, double slope = 0) {
        const auto f = [&](double u) { return excessAt(centre, target, u); };
        // A bracket from `start`, its step doubling, then TOMS 748 on log A0.
        const double top = std::log(ceiling);
        const double lo = std::fmin(start, top);
        const double fLo = f(lo);
        if (slope > 0 && std::isfinite(fLo)) {
            step = std::clamp(1.25 * std::fabs(fLo) / slope, 1e-12, 1.0);
        }
        const auto [found, bracket] = BracketIncreasing(f, lo, fLo, step, top);
        if (found == Bracketed::PositiveEverywhere) {
            return 0.0; // missed at every traffic the doubles hold
        }
        if (found == Bracketed::NotPositiveUpToTop) {
            return static_cast<double>(INFINITY); // met at every traffic taken
        }
        return std::exp(Root(f, bracket, "the capacity"));
    };
    // Each target's traffic without the variance first: over a forecast, the
    // targets in the order of those, and one met at the least traffic found
    // so far (its figures rising with the traffic) sought no further.
    struct Sought {
        const Target<double>* target;
        double plainTraffic;
    };
    std::vector<Sought> sought;
    for (const Target<double>& target : kTargets<double>) {
        if (targets.*target.bound) {
            const double from = std::log(std::fmin(std::fmax(agents, 1e-3), ceiling));
            sought.push_back({&target, solve(poisson, target, from, std::log(4.0))});
        }
    }
    std::stable_sort(sought.begin(), sought.end(), [](const Sought& x, const Sought& y) {
        return x.plainTraffic < y.plainTraffic;
    });
    double answer = INFINITY;
    for (const auto& [target, plainTraffic] : sought) {
        double traffic = plainTraffic;
        if (c.shape < INFINITY && traffic > 0 && traffic < INFINITY && answer > 0 &&
            answer < INFINITY &&
            (excessAt(c, *target, std::log(answer), kRoughAccuracy) < -kRoughMargin ||
             excessAt(c, *target, std::log(answer)) <= 0)) {
            continue;
        }
        if (c.shape < INFINITY && traffic > 0 && traffic < INFINITY) {
            const double start = std::log(std::fmin(traffic, ceiling));
            const double h = 1e-4;
            const double slope =
                (excessAt(poisson, *target, start + h) - excessAt(poisson, *target, start - h)) /
                (2 * h);
            traffic = solve(c, *target, start, 0.01, slope);
        }
        answer = std::fmin(answer, traffic);
    }
    if (answer == INFINITY) {
        if (!drains) {
            answer = ceiling; // met up to the agents themselves
        } else {
            // Lines keep the accepted attempts' figures at any traffic:
            // the capacity would lie beyond the engine's traffics.
            const Target<double>& first = *std::ranges::find_if(
                kTargets<double>, [&](const Target<double>& t) { return !!(targets.*t.bound); });
            throw DomainError(first.argument, *(targets.*first.bound),
                              "a target these agents miss at some traffic up to 1e9 erlangs");
        }
    }
    // The root rounded may lie some units in the last place from the largest
    // traffic whose figures, as ErlangX gives them, meet every target (more
    // over a forecast, whose figures the root was sought on in part): from
    // it, down while they do not, or up while they do, by steps doubling
    // from one unit, then bisected between the last that meets and the first
    // that does not.
    const Need need = c.shape < INFINITY ? Need::All : NeedOfTargets(targets);
    const auto shown = [&](double A0) {
        return MetAsReported(
            FiguresAsReported(A0, agents, model, c, targets.targetTime, targets.basis, need),
            targets);
    };
    double missed = INFINITY; // the least traffic found to miss, above `answer`
    if (answer > 0 && shown(answer)) {
        double step = std::nextafter(answer, INFINITY) - answer;
        for (int i = 0; i < 1100 && answer < ceiling; ++i, step *= 2) {
            const double next = std::fmin(answer + step, ceiling);
            if (!shown(next)) {
                missed = next;
                break;
            }
            answer = next;
        }
    } else if (answer > 0) {
        missed = answer;
        double step = answer - std::nextafter(answer, 0.0);
        for (int i = 0; i < 1100 && answer > 0; ++i, step *= 2) {
            answer = std::fmax(missed - step, 0.0);
            if (answer > 0 && !shown(answer)) {
                missed = answer;
            } else {
                break;
            }
        }
    }
    while (missed < INFINITY && std::nextafter(answer, INFINITY) < missed) {
        const double mid = answer / 2 + missed / 2;
        (shown(mid) ? answer : missed) = mid;
    }
    const auto at = [&](double A0) {
        return FiguresAt<double>(A0, c, targets.targetTime, targets.basis, Need::Shares);
    };
    if (answer > 0 && !(at(answer).attempts <= kMaxTraffic)) {
        throw DomainError(Argument::Agents, agents,
                          "few enough that the traffic they take, with its redials, stays within "
                          "1e9 erlangs");
    }
    return answer;
}

} // namespace teletraffic
