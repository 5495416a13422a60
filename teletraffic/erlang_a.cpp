#include "teletraffic/erlang_a.h"

#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/decide.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/scaled.h"
#include "teletraffic/numerics/solve.h"
#include "teletraffic/numerics/staffing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

// Erlang A from its birth-death chain. With x = lambda/theta (traffic times
// patience/aht) and a = N mu/theta (agents times patience/aht), the states
// N + k above the agents weigh, relative to state N,
//   t_k = x^k / ((a + 1) ... (a + k)),  S = sum t_k = 1 + gamma(a+1, x) e^x / x^a,
// and those below it R - 1, R = 1/B(A, N), as in Erlang B. A caller finding
// N + k hangs up before being answered with probability (k + 1)/(a + k + 1),
// so that, with T = R - 1 + S and G = sum k t_k = a + (x - a) S,
//   P(W > 0) = S / T,  P(Ab) = G / (x T),  1 - P(Ab) = (x (R - 1) + a (S - 1)) / (x T).
// The wait to be answered from N + k is a sum of exponentials of rates
// N mu + i theta; summed over the queue with the caller's own patience it
// leaves, answered within t (y = e^(-theta t)),
//   D(t) = e^x x^-a (gamma(a+1, x) - gamma(a+1, x y)),
//   SL = (x (R - 1) + a D) / (x T),  1 - SL = (G + a (S - 1 - D)) / (x T).
// Every quantity is formed from terms of one sign: the differences that
// would cancel (G below the traffic's crossing, D over a short time) have
// forms of their own.
namespace teletraffic {
namespace {

using namespace detail;

// Past these, patience changes no digit of a double answer (its effect is of
// the order of the ratio or its inverse) but the share who hang up beyond the
// largest (see WaitingPatience), and the sizes stay in range.
constexpr double kMinRatio = 1e-100;
constexpr double kMaxRatio = 1e100;

// Gauss-Legendre nodes and weights on [0, 1], 16 points: half of them, the
// other half mirrored.
constexpr long double kGauss[8][2] = {
    {0.00529953250417503370192291L, 0.0135762297058770474258903L},
    {0.0277124884633837119610058L, 0.0311267619693239464314219L},
    {0.0671843988060841280597661L, 0.0475792558412463924049626L},
    {0.122297795822498483052449L, 0.0623144856277669360262381L},
    {0.191061877798678125776664L, 0.0747979944082883660407509L},
    {0.27099161117138630682879L, 0.084578259697501269094656L},
    {0.35919822461037054338477L, 0.0913017075224617944333818L},
    {0.45249374508118127990734L, 0.0947253052275342481426984L},
};

template <typename Real> struct Model {
    Real x = 0;       // lambda / theta
    Real a = 0;       // N mu / theta
    Real perCall = 0; // a / x = N / A, kept whole where a or x would underflow
    Real load = 0;    // A / N
    Real logLoad = 0;
    Scaled<Real> below; // R - 1: the states below N, relative to state N
    Scaled<Real> queue; // S - 1: the states above N
    Scaled<Real> total; // R - 1 + S

    Model(Real A, Real N, Real ratio)
        : x(A * ratio)
        , a(N * ratio)
        , perCall(N / A)
        , load(A / N)
        , logLoad(std::log(A) - std::log(N))
        , below(InverseBlockingLessOne(A, N))
        , queue(LowerGammaRatio(x, a + 1))
        , total(Plus(Plus(below, queue), Scaled<Real>{1})) {}

    // G = sum k t_k, the mean queue relative to state N.
    Scaled<Real> MeanQueue() const {
        if (x >= a) {
            return Plus(Scaled<Real>{a}, Times(Plus(queue, Scaled<Real>{1}), x - a));
        }
        return {a * LowerGammaDefect(x, a), 0};
    }

    // Where x is below the normal range (a traffic of some 1e-300 erlangs),
    // the forms divided by x keep their limits: S - 1 -> x / (a + 1),
    // G -> x / (a + 1), D -> x (1 - e^(-(a + 1) w)) / (a + 1).
    bool Vanishing() const { return !(x >= std::numeric_limits<Real>::min()); }
    Real Limit(Real weight) const { return Over(Plus(below, Scaled<Real>{weight}), total); }

    // Shares of the callers, or of the agents' time, are at most 1: a
    // rounding above it (at most a few units) is not kept.
    Real Wait() const { return std::fmin(Over(Plus(queue, Scaled<Real>{1}), total), Real(1)); }
    Real Abandon() const {
        return std::fmin(Vanishing() ? Over(Scaled<Real>{1 / (a + 1)}, total)
                                     : Over(Times(MeanQueue(), 1 / x), total),
                         Real(1));
    }
    // v k / T, k = exp(logK) perhaps beyond the range (N / A at 1e-300 erlangs):
    // v / T, whose scales cancel, times k where k is finite, and so whole
    // however large T's scale, which would swallow log k; else through the scale.
    Real Part(const Scaled<Real>& v, Real k, Real logK) const {
        const Real share = Over(v, total);
        if (std::isfinite(k) && (std::isnormal(share) || share == 0)) {
            return share * k;
        }
        return Over(Times(v, k, logK), total);
    }

    // A (1 - P(Ab)) / N = ((A / N) (R - 1) + S - 1) / T, as (a / x) (A / N) = 1.
    Real Occupancy() const {
        const Real queued = Over(Vanishing() ? Scaled<Real>{x / (a + 1)} : queue, total);
        return std::fmin(Part(below, load, logLoad) + queued, Real(1));
    }

    // Answered from the queue within w = theta t, and the rest of the queue's
    // answered weight (S - 1 - D), each as a sum of one sign.
    std::pair<Scaled<Real>, Scaled<Real>> AnsweredWithin(Real w) const {
        const Real b = a + 1;
        if (w == 0) {
            return {Scaled<Real>{0}, queue};
        }
        const Real y = std::exp(-w);
        const Real xy = x * y;
        if (std::fabs(x - b) * w <= 1 && x * w * w <= 1) {
            // Over a short time the integrand e^g(v), g = -b v + x (1 - e^-v),
            // varies by at most a factor e^1.5, and the difference of the two
            // incomplete gammas would cancel: D = x int_0^w e^g by Gauss.
            const auto g = [&](Real v) { return std::exp(-b * v - x * std::expm1(-v)); };
            Real sum = 0;
            for (const auto& [node, weight] : kGauss) {
                const auto t = static_cast<Real>(node);
                sum += static_cast<Real>(weight) * (g(w * t) + g(w * (1 - t)));
            }
            const Scaled<Real> D{x * w * sum};
            return {D, Minus(queue, D)};
        }
        if (x <= b) {
            // The integrand u^a e^-u rises over [xy, x]: the lower parts.
            if (xy == 0) {
                return {queue, Scaled<Real>{0}};
            }
            Scaled<Real> late = LowerGammaRatio(xy, b);
            late.scale += -a * w - x * std::expm1(-w); // log(y^a e^(x (1 - y)))
            return {Minus(queue, late), late};
        }
        // Beyond the peak at b: regularized, in the scale of the queue,
        // Gamma(b) e^x / x^a, which here is queue.scale.
        const Real tailAbove = UpperGammaTail(x, b);
        if (xy >= b) {
            const Real tail2 = UpperGammaTail(xy, b);
            return {{tail2 - tailAbove, queue.scale}, {1 - tail2, queue.scale}};
        }
        // Across the peak: the whole less both tails.
        Real tailBelow = 0;
        if (xy > 0) {
            tailBelow = LowerGammaTail(xy, b);
        }
        return {{1 - tailBelow - tailAbove, queue.scale}, {tailBelow, queue.scale}};
    }

    // Service level within w = theta t and its complement.
    std::pair<Real, Real> Service(Real w) const {
        Real level;
        Real miss;
        if (Vanishing()) {
            const Real b = a + 1;
            level = Limit(-a * std::expm1(-b * w) / b);
            miss = Over(Scaled<Real>{(1 + a * std::exp(-b * w)) / b}, total);
        } else {
            const auto [within, late] = AnsweredWithin(w);
            level = Over(below, total) + Part(within, perCall, -logLoad);
            miss = Over(Times(MeanQueue(), 1 / x), total) + Part(late, perCall, -logLoad);
        }
        // Above a half the level is 1 - miss, as precise, and never above 1 as
        // its own rounding may be.
        return {level > Real(0.5) ? 1 - std::fmax(miss, Real(0)) : level, miss};
    }
};

double Ratio(double aht, double patience) {
    return std::clamp(patience / aht, kMinRatio, kMaxRatio);
}

// The patience the model has: at most kMaxRatio handling times.
double ModelPatience(double aht, double patience) {
    return std::fmin(patience, aht * kMaxRatio);
}

// The patience by which the model's share who hang up gives the mean wait
// (P(Ab) / theta). Past kMaxRatio that share still falls with patience, to
// every digit as 1 / patience below the agents (those who wait are answered,
// a few give up first), as its square root at them, and not at all above
// them (the excess hangs up, whatever its patience): the patience in the
// mean wait is then the model's, their geometric mean, or the true one. So
// once the model's queue is long, its agents times patience / aht far above
// 1: from 1e-80 agents.
double WaitingPatience(double traffic, double agents, double aht, double patience) {
    const double most = aht * kMaxRatio;
    if (!(patience > most) || !(agents >= 1e-80)) {
        return patience;
    }
    return traffic < agents    ? most
           : traffic == agents ? std::sqrt(most) * std::sqrt(patience)
                               : patience;
}

// The share that misses the service target, in whichever form is the more
// precise, and the target it is held to: the level itself below a half.
template <typename Real> Verdict ServiceVerdict(Real level, Real miss, double P) {
    if (level <= Real(0.5)) {
        // SL >= P, as P / SL <= 1.
        return LogAtMost(static_cast<Real>(P) / level, 1, kError<Real>);
    }
    return LogAtMost(miss, 1 - P, kError<Real>);
}

double LogAbandon(double A, std::int64_t n, double ratio) {
    if (n == 0) {
        return 0;
    }
    return std::log(Model<double>(A, static_cast<double>(n), ratio).Abandon());
}

} // namespace

Abandonment ErlangA(double traffic, double agents, double aht, double patience) {
    Check(Argument::Traffic, traffic);
    Check(Argument::Agents, agents);
    CheckPatience(aht, patience);
    if (traffic == 0) {
        return {0, 0, 0, 0};
    }
    if (agents == 0) {
        return {1, 1, patience, 0}; // everyone waits until they hang up
    }
    const Model<double> m(traffic, agents, Ratio(aht, patience));
    const double abandon = m.Abandon();
    const double waiting = WaitingPatience(traffic, agents, aht, patience);
    return {m.Wait(), waiting == patience ? abandon : abandon * (waiting / patience),
            abandon * waiting, m.Occupancy()};
}

double ErlangAServiceLevel(double traffic, double agents, double aht, double patience,
                           double targetTime) {
    Check(Argument::Traffic, traffic);
    Check(Argument::Agents, agents);
    CheckPatience(aht, patience);
    CheckTimes(aht, targetTime);
    if (traffic == 0) {
        return 1;
    }
    if (agents == 0) {
        return 0;
    }
    const Model<double> m(traffic, agents, Ratio(aht, patience));
    return m.Service(targetTime / ModelPatience(aht, patience)).first;
}

std::int64_t ErlangAAgents(double traffic, double aht, double patience, double targetTime,
                           double serviceLevel) {
    Check(Argument::Traffic, traffic);
    CheckPatience(aht, patience);
    CheckTimes(aht, targetTime);
    Check(Argument::ServiceLevel, serviceLevel);
    const double A = traffic;
    const double P = serviceLevel;
    if (A == 0) {
        return 0;
    }
    if (P == 0) {
        return 1;
    }
    const double ratio = Ratio(aht, patience);
    const double w = targetTime / ModelPatience(aht, patience);
    const double logMiss = std::log1p(-P);
    // Carried traffic is below the agents, so SL < n / A: up to A P agents never
    // meet the target (one less for the rounding of the product).
    const double lo = std::fmax(0, std::floor(A * P) - 1);
    // For a large traffic the level leaps from nothing to about n / A where
    // the wait of those answered, patience log(A / n) in the fluid limit,
    // falls to the target time: the first guess.
    const double guess = std::ceil(A * std::fmax(P, std::exp(-w)));
    return SmallestCount(lo, std::fmax(lo + 1, guess), [&](std::int64_t n) {
        const auto [level, miss] = Model<double>(A, static_cast<double>(n), ratio).Service(w);
        const auto [nextLevel, nextMiss] =
            Model<double>(A, static_cast<double>(n + 1), ratio).Service(w);
        const bool meets = Decide(
            ServiceVerdict<double>(level, miss, P),
            [&] {
                const auto [l, m] = Model<long double>(A, static_cast<long double>(n), ratio)
                                        .Service(static_cast<long double>(w));
                return ServiceVerdict<long double>(l, m, P);
            },
            [&] {
                // Past long double's precision: its own estimate decides.
                const Model<long double> m(A, static_cast<long double>(n), ratio);
                return m.Service(static_cast<long double>(w)).first >= P;
            });
        // Newton's step on log(1 - SL) where the level is high, on -log SL
        // where it is low: below the traffic it falls steeply to 0 as the
        // queue's wait passes the target (at patience log(A / n) for large A).
        if (level > 0.5) {
            return Bounded(n, meets, std::log(miss) - logMiss, std::log(miss / nextMiss));
        }
        return Bounded(n, meets, std::log(P / level), std::log(nextLevel / level));
    });
}

std::int64_t ErlangAAgentsForWait(double traffic, double aht, double patience, double averageWait) {
    Check(Argument::Traffic, traffic);
    CheckPatience(aht, patience);
    Check(Argument::AverageWait, averageWait);
    const double A = traffic;
    if (A == 0) {
        return 0;
    }
    // Even callers nobody answers wait only their patience on average.
    if (averageWait >= patience) {
        return 1;
    }
    const double ratio = Ratio(aht, patience);
    const double share = averageWait / patience;
    const double lo = std::fmax(0, std::floor(A * (1 - share)) - 1);
    const double target = std::log(averageWait);
    const auto waiting = [&](std::int64_t n) {
        return WaitingPatience(A, static_cast<double>(n), aht, patience);
    };
    const auto logWait = [&](std::int64_t n) {
        return LogAbandon(A, n, ratio) + std::log(waiting(n));
    };
    return SmallestCount(lo, lo + 1 + std::sqrt(A), [&](std::int64_t n) {
        const double here = logWait(n);
        const auto verdict = [&]<typename Real>(Real) {
            const Real abandon = Model<Real>(A, static_cast<Real>(n), ratio).Abandon();
            return LogAtMost(abandon * static_cast<Real>(waiting(n)), averageWait, kError<Real>);
        };
        const bool meets = Decide(
            verdict(0.0), [&] { return verdict(0.0L); },
            [&] {
                const long double abandon =
                    Model<long double>(A, static_cast<long double>(n), ratio).Abandon();
                return abandon * waiting(n) <= averageWait;
            });
        return Bounded(n, meets, here - target, here - logWait(n + 1));
    });
}

Schedule ErlangAScheduleAgents(double traffic, std::int64_t agentsForTarget, double aht,
                               double patience, double shrinkage, double maxOccupancy) {
    CheckFactors(agentsForTarget, shrinkage, maxOccupancy);
    Check(Argument::Traffic, traffic);
    CheckPatience(aht, patience);
    const double ratio = Ratio(aht, patience);
    // Occupancy A (1 - P(Ab)) / n, decided against the cap as a count is.
    const auto within = [&](std::int64_t n, long double cap) {
        const auto verdict = [&]<typename Real>(Real) {
            const Model<Real> m(traffic, static_cast<Real>(n), ratio);
            const Real occupancy = m.Occupancy();
            return AtMost(occupancy, static_cast<Real>(cap), kError<Real> * occupancy);
        };
        return Decide(
            verdict(0.0), [&] { return verdict(0.0L); },
            [&] {
                const Model<long double> m(traffic, static_cast<long double>(n), ratio);
                return m.Occupancy() <= cap;
            });
    };
    return ScheduleByOccupancy(traffic, agentsForTarget, shrinkage, maxOccupancy, within);
}

} // namespace teletraffic
