// The last word on a near-tie of Erlang X's counts, where a figure lies
// within extended precision's error of its target: every figure in GCC's
// quadruple precision (113 bits) from the arguments as given (patience/aht,
// t/patience and N t/aht each rounded once there), by the chain itself, its
// states one by one as the reference sums them, no closed form of the
// double and extended ones: a tie of 1e-18 is settled to some 1e-30.
//
// Method. At an attempt traffic A, with x = A patience/aht and a = N
// patience/aht: the states below the agents weigh R(A, N) - 1 = (N/A) R(A,
// N - 1), by Erlang B's sums (exact.h); the queue's positions k = 0, 1, ...
// weigh t_k = x^k/((a + 1)...(a + k)) (rho^k = (A/N)^k without patience),
// summed up to the cut, or until they fall below every digit past their
// peak (the cut's t_m then from Stirling's series). From position k a
// caller is answered with probability a/(a + k + 1), within w = t/patience
// with P(J >= k + 1), J negative binomial of shape a + 1 and p = 1 - e^-w,
// reaches an agent within it with the same of shape a, and if answered has
// waited H_k = sum_(i<=k) 1/(a + i + 1) patiences on average; without
// patience J is Poisson of mean N t/aht and a position waits k + 1 of the
// agents' completions. The tails: upwards from P(J = 0), downwards from
// P(J >= M), M the positions summed, that from its complement unless it is
// below 2^-20, then from its own terms, or where they fall slowly the
// incomplete beta's continued fraction. Redials: the fixed point A = A0 + r
// A L(A) by the Illinois method from extended precision's root. A
// forecast: Gauss's rules for its Gamma law, of 12 to 64 points in
// quadruple precision, until two agree to 1e-27. At most kFineStates
// positions a traffic (some 40 ms): beyond, no answer, and extended
// precision's own estimate decides.
//
// References: NIST DLMF 8.17.22 (the incomplete beta's continued
// fraction), 5.11.1 (Stirling's series); the sums of the reference's script
// (tests/data/make_erlang_x_reference.py), which these follow.
#include "teletraffic/erlang_x/fine.h"

#include "teletraffic/erlang_x/redials.h"
#include "teletraffic/numerics/exact.h"
#include "teletraffic/numerics/gauss_rules.h"
#include "teletraffic/numerics/lentz.h"
#include "teletraffic/numerics/stirling.h"

#include <quadmath.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace teletraffic::erlang_x {
namespace {

using Q = Quad;

// Positions summed at one traffic, at most: some 40 ms with the waits.
constexpr std::int64_t kFineStates = 1 << 17;
// A position's weight below this share of those before it, past the peak,
// changes no digit.
const Q kNegligible = ldexpq(1, -124);
// Weights past 2^8000 are rescaled by 2^-8000, exactly; the tails by e^-5000.
const Q kHuge = ldexpq(1, 8000);
const Q kLogHuge = 8000 * logq(Q(2));
const Q kInfinity = HUGE_VALQ;

// log Gamma(z), z > 0: Stirling's series from 100 on (to 1e-35), below
// from there by the recurrence.
Q LogGamma(Q z) {
    Q less = 0;
    for (; z < 100; z += 1) {
        less += logq(z);
    }
    return (z - Q(0.5)) * logq(z) - z + logq(2 * Pi<Q>()) / 2 + LogGammaStar(z) - less;
}

// log(1 + u) - u, of its own digits near 0.
Q Log1pmx(Q u) {
    if (fabsq(u) >= Q(0.25)) {
        return log1pq(u) - u;
    }
    Q power = -u;
    Q sum = 0;
    for (int k = 2; k < 200; ++k) {
        power *= -u;
        const Q term = power / k;
        sum -= term;
        if (fabsq(term) <= kEpsilon<Q> * fabsq(sum)) {
            break;
        }
    }
    return sum;
}

// log t_m = log(x^m/((a + 1)...(a + m))): its factors up to 32, beyond by
// Stirling's formula with b = a + 1 (as the chain's own, chain.cpp),
//   -m log((b + m)/x) - b log1pmx(m/b) + log1p(m/b)/2 - (G*(b + m) - G*(b)),
// G* log Gamma less Stirling's leading terms.
Q LogLastWeight(Q x, Q a, std::int64_t m) {
    if (m <= 32) {
        Q product = 1;
        for (std::int64_t i = 1; i <= m; ++i) {
            product *= x / (a + static_cast<Q>(i));
        }
        return logq(product);
    }
    const auto binet = [](Q z) {
        return LogGamma(z) - (z - Q(0.5)) * logq(z) + z - logq(2 * Pi<Q>()) / 2;
    };
    const auto M = static_cast<Q>(m);
    const Q b = a + 1;
    return -M * log1pq(((a - x) + (M + 1)) / x) - b * Log1pmx(M / b) + log1pq(M / b) / 2 -
           (binet(b + M) - binet(b));
}

// The centre in quadruple precision, from its arguments as given.
struct FineCentre {
    Q N;
    std::int64_t m; // queue positions; -1 for no lines
    bool hangUps;
    Q ratio;    // patience/aht, the model's where held at its limits
    Q patience; // the unit of the waits
    Q aht;
    Q w; // the target time in patiences
    Q z; // without patience, the agents' completions within it
    Q redial;
};

FineCentre FineOf(const Centre& c, double t) {
    FineCentre f{};
    f.N = c.agents;
    f.m = c.limited ? static_cast<std::int64_t>(c.queueLines) : -1;
    f.hangUps = c.hangUps;
    f.aht = c.aht;
    f.ratio = !c.hangUps || c.held ? Q(c.ratio) : Q(c.patience) / f.aht;
    f.patience = c.hangUps && !c.held ? Q(c.patience) : f.aht * f.ratio;
    f.w = c.hangUps ? Q(t) / f.patience : 0;
    f.z = f.N * (Q(t) / f.aht);
    f.redial = c.redial;
    return f;
}

// The queue's weights one by one: t_0 = 1, t_(k + 1) = t_k times `Step(k)`.
struct Weights {
    Q x, a, rho;
    bool hangUps;
    Q Step(std::int64_t k) const { return hangUps ? x / (a + static_cast<Q>(k + 1)) : rho; }
};

// How many positions count at traffic A, and the cut's weight: the
// positions up to the cut, or up to where the weights fall below every
// digit past their peak (the cut's weight then from its own formula, as a
// log). None past kFineStates.
struct Span {
    std::int64_t positions;
    Q logLast; // -infinity without lines
};
std::optional<Span> SpanOf(const Weights& q, const FineCentre& f) {
    Q t = 1;
    Q sum = 0;
    Q scale = 0;
    for (std::int64_t k = 0;; ++k) {
        if (k == f.m) {
            return Span{k, logq(t) + scale};
        }
        if (k >= kFineStates) {
            return std::nullopt;
        }
        sum += t;
        const Q step = q.Step(k);
        t *= step;
        if (t > kHuge) {
            t /= kHuge;
            sum /= kHuge;
            scale += kLogHuge;
        }
        if (step < 1 && t < kNegligible * sum) {
            Q logLast = -kInfinity;
            if (f.m >= 0) {
                logLast =
                    q.hangUps ? LogLastWeight(q.x, q.a, f.m) : static_cast<Q>(f.m) * logq(q.rho);
            }
            return Span{k + 1, logLast};
        }
    }
}

// P(J <= k) and P(J >= k + 1) for k < M, J from P(J = 0) = e^logU0 and
// the ratio of its terms `step(j)`; P(J >= M) from `upper` where the
// complement would lose more than 20 bits.
template <typename Step, typename Upper>
void Tails(std::int64_t M, Q logU0, Step step, Upper upper, std::vector<Q>& late,
           std::vector<Q>& within) {
    const auto size = static_cast<std::size_t>(M);
    late.assign(size, 0);
    within.assign(size, 0);
    std::vector<Q> terms(size);
    Q uScale = fminq(logU0 + 5000, 0);
    Q u = expq(logU0 - uScale);
    Q sum = 0;
    Q factor = expq(uScale);
    for (std::size_t k = 0; k < size; ++k) {
        if (k > 0) {
            u *= step(static_cast<std::int64_t>(k));
        }
        sum += u;
        if (u > expq(Q(5000))) {
            u *= expq(Q(-5000));
            sum *= expq(Q(-5000));
            uScale += 5000;
            factor = expq(uScale);
        }
        late[k] = sum * factor;
        terms[k] = u * factor;
    }
    Q up = late[size - 1] <= 1 - ldexpq(1, -20) ? 1 - late[size - 1]
                                                : upper(terms[size - 1] * step(M));
    for (std::size_t k = size; k-- > 0;) {
        within[k] = late[k] <= Q(0.5) ? 1 - late[k] : up;
        up += terms[k];
    }
}

// P(J >= M) from P(J = M) and the ratio of the terms: by the terms while they
// fall fast, else (a negative binomial) the incomplete beta I_p(M, b) by its
// continued fraction.
template <typename Step>
Q UpperTail(std::int64_t M, Q first, Step step, Q b, Q logP, Q w, bool poisson) {
    if (step(M + 1) < Q(0.9) || poisson) {
        Q term = first;
        Q sum = first;
        for (std::int64_t j = M + 1; j < M + kFineStates && term > kNegligible * sum; ++j) {
            term *= step(j);
            sum += term;
        }
        return sum;
    }
    // I_x(a, b) = x^a (1 - x)^b/(a B(a, b)) / (1 + d_1/(1 + d_2/(1 + ...))).
    const auto a = static_cast<Q>(M);
    const Q x = expq(logP);
    const Q fraction = Lentz(Q(1), Q(1), Q(0), [&](int j) {
        const Q i = j / 2;
        const Q d = j % 2 == 1 ? -(a + i) * (a + b + i) * x / ((a + 2 * i) * (a + 2 * i + 1))
                               : i * (b - i) * x / ((a + 2 * i - 1) * (a + 2 * i));
        return std::pair<Q, Q>{d, 1};
    });
    return expq(a * logP - b * w - logq(a) - (LogGamma(a) + LogGamma(b) - LogGamma(a + b))) /
           fraction;
}

// Every figure at one attempt traffic, and the shares the redials need.
struct FinePoint {
    Q blocking = 0, pass = 1, wait = 0, abandon = 0, answered = 1, occupancy = 0, lost = 0,
      kept = 1;
    Q level = 1, miss = 0, basisKept = 1;
    Q averageWait = 0, answeredWait = 0;
};

// The chain's sums relative to state N, in one scale, and the point's
// figures from them; none past kFineStates.
std::optional<FinePoint> PointAt(Q A, const FineCentre& f, Basis basis, Need need) {
    const Weights q{A * f.ratio, f.N * f.ratio, A / f.N, f.hangUps};
    const std::optional<Span> span = SpanOf(q, f);
    if (!span) {
        return std::nullopt;
    }
    const std::int64_t M = span->positions;
    const bool timed = need != Need::Shares && M > 0;
    // The tails: for the answered (shape a + 1) and those reaching an agent
    // (shape a), or both Poisson without patience.
    std::vector<Q> lateB, withinB, lateV, withinV;
    if (timed) {
        if (!f.hangUps) {
            const auto step = [&](std::int64_t j) { return f.z / static_cast<Q>(j); };
            const auto upper = [&](Q first) { return UpperTail(M, first, step, 0, 0, 0, true); };
            Tails(M, -f.z, step, upper, lateB, withinB);
            lateV = lateB;
            withinV = withinB;
        } else {
            const Q logP = logq(-expm1q(-f.w));
            const Q p = -expm1q(-f.w);
            for (const bool answered : {true, false}) {
                const Q b = answered ? q.a + 1 : q.a;
                std::vector<Q>& late = answered ? lateB : lateV;
                std::vector<Q>& within = answered ? withinB : withinV;
                if (b == 0 || f.w == 0) {
                    // Nobody reaches an agent, or none within no time.
                    late.assign(static_cast<std::size_t>(M), 1);
                    within.assign(static_cast<std::size_t>(M), 0);
                    continue;
                }
                const auto step = [&](std::int64_t j) {
                    return (static_cast<Q>(j) + b - 1) * p / static_cast<Q>(j);
                };
                const auto upper = [&](Q first) {
                    return UpperTail(M, first, step, b, logP, f.w, false);
                };
                Tails(M, -b * f.w, step, upper, late, within);
            }
        }
    }
    // The positions again, the same weights, with what each gives.
    Q t = 1, scale = 0, harmonic = 0;
    Q seen = 0, answered = 0, abandoned = 0, within = 0, late = 0, reached = 0, unreached = 0,
      time = 0;
    for (std::int64_t k = 0; k < M; ++k) {
        const auto K = static_cast<std::size_t>(k);
        const auto kk = static_cast<Q>(k + 1);
        const Q share = f.hangUps ? q.a / (q.a + kk) : 1;
        seen += t;
        answered += t * share;
        // Those who hang up; without patience the completions waited for.
        abandoned += t * (f.hangUps ? kk / (q.a + kk) : kk);
        if (timed) {
            within += t * share * withinB[K];
            late += t * share * lateB[K];
            reached += t * withinV[K];
            unreached += t * lateV[K];
            if (need == Need::All && f.hangUps) {
                harmonic += 1 / (q.a + kk);
                time += t * share * harmonic;
            }
        }
        t *= q.Step(k);
        if (t > kHuge) {
            for (Q* v :
                 {&t, &seen, &answered, &abandoned, &within, &late, &reached, &unreached, &time}) {
                *v /= kHuge;
            }
            scale += kLogHuge;
        }
    }
    const auto scaled = [&](Q v) { return Scaled<Q>{v, scale}; };
    const Scaled<Q> below =
        f.N == 0
            ? Scaled<Q>{0}
            : Scaled<Q>{1, logq(f.N / A) +
                               LogInverseBlockingBySums(A, static_cast<std::int64_t>(f.N) - 1)};
    const Scaled<Q> last = f.m >= 0 ? Scaled<Q>{1, span->logLast} : Scaled<Q>{0};
    const Scaled<Q> accepted = Plus(below, scaled(seen));
    const Scaled<Q> total = Plus(accepted, last);
    const Scaled<Q> served = Plus(below, scaled(answered));
    FinePoint p;
    p.blocking = Over(last, total);
    p.pass = Over(accepted, total);
    p.wait = Over(scaled(seen), accepted);
    p.abandon = f.hangUps ? Over(scaled(abandoned), accepted) : 0;
    p.answered = Over(served, accepted);
    p.lost = Over(f.hangUps ? Plus(last, scaled(abandoned)) : last, total);
    p.kept = Over(served, total);
    p.occupancy = f.N == 0 ? 0 : Over(served, total) * (A / f.N);
    p.averageWait =
        f.hangUps ? p.abandon * f.patience : Over(scaled(abandoned), accepted) / f.N * f.aht;
    if (timed) {
        Scaled<Q> level = Plus(below, scaled(within));
        Scaled<Q> miss{0};
        Scaled<Q> whole{0};
        const Q e = f.hangUps ? expq(-f.w) : 1;
        switch (basis) {
        case Basis::Offered:
            whole = accepted;
            miss = scaled(abandoned * (f.hangUps ? 1 : 0) + late);
            break;
        case Basis::Answered:
            whole = served;
            miss = scaled(late);
            break;
        case Basis::ExcludingShortAbandons:
            whole = Plus(level, scaled(e * unreached));
            miss = scaled(e * unreached);
            break;
        case Basis::Virtual:
            level = Plus(below, scaled(reached));
            whole = Plus(level, scaled(unreached));
            miss = scaled(unreached);
            break;
        }
        if (whole.mantissa == 0) {
            p.level = 0;
            p.miss = 1;
        } else {
            p.level = Over(level, whole);
            p.miss = Over(miss, whole);
        }
        p.basisKept = basis == Basis::Virtual ? Q(1) : Over(whole, accepted);
        if (need == Need::All) {
            p.answeredWait = !f.hangUps             ? p.averageWait
                             : served.mantissa == 0 ? 0
                                                    : Over(scaled(time), served) * f.patience;
        }
    } else if (M == 0) {
        // No queue: every accepted caller is answered at once.
        p.level = 1;
        p.miss = 0;
    }
    return p;
}

// The attempt traffic with redials, A = A0 + r A L(A): log A + log((1 - r)
// + r (1 - L)) - log A0, rising in A, is 0 there. From a bracket about
// extended precision's root, widened until it holds, by the Illinois method
// to 1e-32.
std::optional<Q> FineAttempts(Q A0, const Centre& c, const FineCentre& f) {
    if (f.redial == 0 || (!c.hangUps && !c.limited)) {
        return A0;
    }
    const Q r = f.redial;
    const Q logA0 = logq(A0);
    bool tooMany = false;
    const auto g = [&](Q A) {
        const std::optional<FinePoint> p = PointAt(A, f, Basis::Offered, Need::Shares);
        if (!p) {
            tooMany = true;
            return Q(0);
        }
        return logq(A) + logq((1 - r) + r * p->kept) - logA0;
    };
    const Q least = A0;
    const Q most = A0 / (1 - r);
    const Q guess = AttemptTraffic(static_cast<long double>(A0), c);
    Q lo = least;
    Q hi = most;
    Q gLo = 0;
    Q gHi = 0;
    for (Q d = Q(1e-15);; d *= 1000) {
        lo = fmaxq(least, guess * (1 - d));
        hi = fminq(most, guess * (1 + d));
        gLo = g(lo);
        gHi = g(hi);
        if (tooMany) {
            return std::nullopt;
        }
        if ((gLo <= 0 && gHi >= 0) || (lo == least && hi == most)) {
            break;
        }
    }
    if (gLo >= 0) {
        return lo;
    }
    if (gHi <= 0) {
        return hi;
    }
    int side = 0;
    for (int i = 0; i < 200 && hi - lo > Q(1e-32) * hi; ++i) {
        const Q A = (lo * gHi - hi * gLo) / (gHi - gLo);
        const Q gA = g(A);
        if (tooMany) {
            return std::nullopt;
        }
        if (gA == 0) {
            return A;
        }
        // Illinois: the end kept twice running has its value halved.
        if (gA < 0) {
            lo = A;
            gLo = gA;
            gHi /= side == -1 ? 2 : 1;
            side = -1;
        } else {
            hi = A;
            gHi = gA;
            gLo /= side == 1 ? 2 : 1;
            side = 1;
        }
    }
    return lo / 2 + hi / 2;
}

// What a fresh traffic u contributes to a forecast's expected counts, or its
// figures at no spread.
struct FineCounts {
    Q attempts = 0, blocked = 0, accepted = 0, waiting = 0, abandoned = 0, waits = 0, answered = 0,
      answeredWaits = 0, levelMet = 0, levelMissed = 0, levelWhole = 0, freshLost = 0, fresh = 0;
    static constexpr std::array<Q FineCounts::*, 13> kMembers = {
        &FineCounts::attempts,    &FineCounts::blocked,       &FineCounts::accepted,
        &FineCounts::waiting,     &FineCounts::abandoned,     &FineCounts::waits,
        &FineCounts::answered,    &FineCounts::answeredWaits, &FineCounts::levelMet,
        &FineCounts::levelMissed, &FineCounts::levelWhole,    &FineCounts::freshLost,
        &FineCounts::fresh};
};

std::optional<FineCounts> CountsAt(Q u, const Centre& c, const FineCentre& f, Basis basis,
                                   Need need) {
    const std::optional<Q> A = FineAttempts(u, c, f);
    if (!A) {
        return std::nullopt;
    }
    const std::optional<FinePoint> p = PointAt(*A, f, basis, need);
    if (!p) {
        return std::nullopt;
    }
    const Q r = f.redial;
    FineCounts n;
    n.attempts = *A;
    n.blocked = *A * p->blocking;
    n.accepted = *A * p->pass;
    n.waiting = n.accepted * p->wait;
    n.abandoned = n.accepted * p->abandon;
    n.waits = n.accepted * p->averageWait;
    n.answered = n.accepted * p->answered;
    n.answeredWaits = n.answered * p->answeredWait;
    const Q kept = n.accepted * p->basisKept;
    n.levelMet = kept * p->level;
    n.levelMissed = kept * p->miss;
    n.levelWhole = kept;
    n.fresh = u;
    n.freshLost = u * (p->lost * (1 - r) / ((1 - r) + r * p->kept));
    return n;
}

Figures<Q> FiguresOfCounts(const FineCounts& n, double A0, double agents) {
    const auto ratio = [](Q u, Q v) { return v == 0 ? Q(0) : u / v; };
    Figures<Q> fig{};
    fig.attempts = n.attempts / n.fresh * A0;
    fig.blocking = ratio(n.blocked, n.attempts);
    fig.wait = ratio(n.waiting, n.accepted);
    fig.abandon = ratio(n.abandoned, n.accepted);
    fig.averageWait = ratio(n.waits, n.accepted);
    fig.answeredWait = ratio(n.answeredWaits, n.answered);
    fig.occupancy = agents == 0 ? Q(0) : n.answered / n.fresh * A0 / agents;
    fig.level = ratio(n.levelMet, n.levelWhole);
    fig.miss = n.levelWhole == 0 ? Q(1) : n.levelMissed / n.levelWhole;
    fig.callersLost = n.freshLost / n.fresh;
    return fig;
}

// Over the forecast's Gamma law: Gauss's rules of 12 to 64 points, until
// two agree to 1e-27 in every count.
std::optional<FineCounts> CountsOverTheLaw(double A0, const Centre& c, const FineCentre& f,
                                           Basis basis, Need need) {
    constexpr std::array<int, 5> kPoints{12, 20, 32, 48, 64};
    const Q k = c.shape;
    std::optional<FineCounts> before;
    RuleArray<Q> node{};
    RuleArray<Q> weight{};
    for (const int n : kPoints) {
        if (!GammaLawRule(k, n, node.data(), weight.data())) {
            return std::nullopt;
        }
        FineCounts sum;
        for (int i = 0; i < n; ++i) {
            const Q u = Q(A0) * (1 + node[i]);
            if (!(u > 0) || !(weight[i] > 0)) {
                continue;
            }
            const std::optional<FineCounts> at = CountsAt(u, c, f, basis, need);
            if (!at) {
                return std::nullopt;
            }
            for (const auto m : FineCounts::kMembers) {
                sum.*m += (*at).*m * weight[i];
            }
        }
        if (before) {
            Q gap = 0;
            for (const auto m : FineCounts::kMembers) {
                if (sum.*m != 0) {
                    gap = fmaxq(gap, fabsq(sum.*m - (*before).*m) / fabsq(sum.*m));
                }
            }
            if (gap <= Q(1e-27)) {
                return sum;
            }
        }
        before = sum;
    }
    return std::nullopt;
}

} // namespace

std::optional<Figures<Quad>> FineFiguresAt(double A0, const Centre& c, double t, Basis basis,
                                           Need need) {
    const FineCentre f = FineOf(c, t);
    if (A0 == 0) {
        Figures<Q> none{};
        none.level = 1;
        return none;
    }
    if (c.agents != std::floor(c.agents)) {
        return std::nullopt; // the counts' agents are whole
    }
    std::optional<FineCounts> counts;
    // Below double's normal range the forecast's figures are those without its spread.
    if (c.shape < INFINITY && A0 >= std::numeric_limits<double>::min()) {
        counts = CountsOverTheLaw(A0, c, f, basis, need);
    } else {
        counts = CountsAt(Q(A0), c, f, basis, need);
    }
    if (!counts) {
        return std::nullopt;
    }
    return FiguresOfCounts(*counts, A0, c.agents);
}

} // namespace teletraffic::erlang_x
