// Erlang X's waits over a short window, position by position. From position
// k, reaching an agent within w takes k + 1 service completions before the
// virtual wait's e^-V falls to e^-w: P(J >= k + 1), J negative binomial of
// shape a and p = 1 - e^-w; with the caller's own patience, shape a + 1 and
// weight a/(a + k + 1). Without patience (a beyond 1e30) J is Poisson, of
// mean N t/aht.
//
// Method: the lower tails upwards from P(J = 0) = e^(-b w), the upper ones
// downwards from P(J >= m): each a sum of one sign; P(J >= m) from the
// complement below the median, else the tail's own terms while they fall
// fast, else Boost's incomplete beta (in double, not promoted). What each
// position gives does not depend on the traffic: kept, for a queue of at
// most 4096 positions, for the next traffic (a forecast asks the same queue
// at each node of its rules); where the weights fall below every digit well
// inside the window, only the positions up to there.
//
// References: NIST DLMF 8.17 (the incomplete beta function and the negative
// binomial's tails), 8.2 (the Poisson's).
#include "teletraffic/erlang_x/waits.h"

#include "teletraffic/numerics/gamma_ratio.h"

#include <boost/math/special_functions/beta.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace teletraffic::erlang_x {
namespace {

// P(J >= m) for J negative binomial (shape b, p), given P(J <= m - 1) and
// the ratio of its terms: from the complement below the median, else the
// tail's own terms while they fall fast, else Boost's incomplete beta.
template <typename Real>
Real NegativeBinomialTail(std::int64_t m, Real b, Real p, Real below, Real term, bool poisson,
                          Real z) {
    if (below <= Real(0.5)) {
        return 1 - below;
    }
    const auto ratio = [&](std::int64_t j) {
        return poisson ? z / static_cast<Real>(j)
                       : (static_cast<Real>(j) + b - 1) * p / static_cast<Real>(j);
    };
    if (ratio(m) < Real(0.9) && (poisson || b >= 1 || p < Real(0.9))) {
        Real sum = 0;
        for (std::int64_t j = m; j < m + 1000; ++j) {
            term *= ratio(j);
            sum += term;
            if (term <= kEpsilon<Real> / 8 * sum) {
                return sum;
            }
        }
    }
    if (poisson) {
        // P(Poisson(z) >= m) = P(m, z), the lower regularized gamma.
        const Scaled<Real> L = LowerGammaRatio(z, static_cast<Real>(m));
        return L.mantissa * std::exp(L.scale + LogGammaDensity(z, static_cast<Real>(m)));
    }
    // In the type's own precision: Boost would carry a double through long
    // double's powl, several times the cost of the rest of a traffic's figures.
    using Own = boost::math::policies::policy<boost::math::policies::promote_double<false>>;
    return boost::math::ibeta(static_cast<Real>(m), b, p, Own());
}

// The positions one by one, for a short window. From position k, reaching
// an agent within w takes k + 1 service completions before the virtual
// wait's e^-V falls to e^-w: P(J >= k + 1), J negative binomial of shape a
// and p = 1 - e^-w; with the caller's own patience, shape a + 1 and weight
// a/(a + k + 1). The lower tails run upwards from P(J = 0) = e^(-b w), the
// upper ones downwards from P(J >= m): each a sum of one sign. Without
// patience (a beyond 1e30) J is Poisson, of mean N t/aht.
// What each position gives does not depend on the traffic.
template <typename Real> struct Positions {
    Real a = NAN;
    Real w = NAN;
    std::int64_t m = -1;
    std::vector<Real> step;      // 1/(a + k + 1), the weight's factor over the traffic
    std::vector<Real> answered;  // a/(a + k + 1)
    std::vector<Real> abandoned; // (k + 1)/(a + k + 1)
    std::vector<Real> in, out;   // answered within w and after it
    std::vector<Real> reached, unreached;
    std::vector<Real> time; // the answered's wait, in units of patience
};

// The first m positions, their upper tails from P(J >= m).
template <typename Real>
void TabulatePositions(Positions<Real>& q, Real a, std::int64_t m, Real w) {
    q.a = a;
    q.m = m;
    q.w = w;
    const auto size = static_cast<std::size_t>(m);
    for (auto* v :
         {&q.step, &q.answered, &q.abandoned, &q.in, &q.out, &q.reached, &q.unreached, &q.time}) {
        v->resize(size);
    }
    const Real p = -std::expm1(-w);
    const bool poisson = a > Real(1e30);
    std::vector<Real> late(size), within(size), terms(size);
    for (int s = 0; s < 2; ++s) {
        const Real b = s == 0 ? a + 1 : a;
        const Real z = b * std::expm1(w); // the mean, without patience
        // u = P(J = j) e^-uScale, kept in range however small P(J = 0).
        const Real logU0 = poisson ? -z : -b * w;
        Real uScale = std::fmin(logU0 + 600, Real(0));
        Real u = std::exp(logU0 - uScale);
        Real sum = 0;
        Real factor = std::exp(uScale); // changed only with the scale
        for (std::size_t k = 0; k < size; ++k) {
            if (k > 0) {
                u *= poisson ? z / static_cast<Real>(k)
                             : (static_cast<Real>(k) + b - 1) * p / static_cast<Real>(k);
            }
            sum += u;
            if (u > Real(1e250)) {
                u *= Real(1e-250);
                sum *= Real(1e-250);
                uScale += 250 * std::log(Real(10));
                factor = std::exp(uScale);
            }
            late[k] = sum * factor;
            terms[k] = u * factor;
        }
        Real upper = NegativeBinomialTail(m, b, p, late[size - 1], terms[size - 1], poisson, z);
        for (std::size_t k = size; k-- > 0;) {
            within[k] = late[k] <= Real(0.5) ? 1 - late[k] : upper;
            upper += terms[k];
        }
        if (s == 1) {
            q.reached = within;
            q.unreached = late;
            break;
        }
        Real harmonic = 0;
        for (std::size_t k = 0; k < size; ++k) {
            const Real kk = static_cast<Real>(k + 1);
            q.step[k] = 1 / (a + kk);
            const Real share = a / (a + kk);
            harmonic += q.step[k];
            q.answered[k] = share;
            q.abandoned[k] = kk / (a + kk);
            q.in[k] = share * within[k];
            q.out[k] = share * late[k];
            q.time[k] = share * harmonic;
        }
    }
}

// The positions' sums at traffic x: the weight of each relative to the
// first, rescaled while it grows, left out past the queue's last digits.
// False where the positions end before the weights fall so.
template <typename Real> bool SumPositions(const Positions<Real>& q, Real x, Waits<Real>& out) {
    Real tScale = 0;
    Real weight = 1;
    Real seen = 0, answered = 0, abandoned = 0, in = 0, late = 0, reached = 0, unreached = 0;
    Real time = 0;
    bool fell = false;
    for (std::size_t k = 0; k < static_cast<std::size_t>(q.m); ++k) {
        seen += weight;
        answered += weight * q.answered[k];
        abandoned += weight * q.abandoned[k];
        in += weight * q.in[k];
        late += weight * q.out[k];
        reached += weight * q.reached[k];
        unreached += weight * q.unreached[k];
        time += weight * q.time[k];
        weight *= x * q.step[k];
        if (weight > Real(1e250)) {
            for (Real* v :
                 {&weight, &seen, &answered, &abandoned, &in, &late, &reached, &unreached, &time}) {
                *v *= Real(1e-250);
            }
            tScale += 250 * std::log(Real(10));
        }
        if (weight < kEpsilon<Real> / 1024 * seen && x < q.a + static_cast<Real>(k + 2)) {
            fell = true; // the rest no longer counts
            break;
        }
    }
    out.seen = {seen, tScale};
    out.answered = {answered, tScale};
    out.abandoned = {abandoned, tScale};
    out.within = {in, tScale};
    out.late = {late, tScale};
    out.waiting = {unreached * std::exp(-q.w), tScale};
    out.reached = {reached, tScale};
    out.unreached = {unreached, tScale};
    out.time = {time, tScale};
    out.timeAnswered = out.answered;
    return fell;
}

} // namespace

template <typename Real>
bool WaitsByPositions(Real x, Real a, std::int64_t m, Real w, Waits<Real>& waits) {
    // The weights fall below the queue's last digits within some twelve of
    // their deviations past their peak at x - a: where that leaves most of
    // the window, only the positions up to there, for this traffic alone;
    // else the whole window's (at most kDirect), kept for the next traffic (a
    // forecast's quadrature asks the same queue at each of its nodes).
    // Either way a function of the arguments, whatever was asked before.
    const Real reach = std::fmax(x - a, Real(0)) + 12 * std::sqrt(x + 1) + 64;
    if (reach < std::fmin(static_cast<Real>(m) / 2, static_cast<Real>(kDirect))) {
        thread_local Positions<Real> part;
        TabulatePositions(part, a, static_cast<std::int64_t>(reach), w);
        if (SumPositions(part, x, waits)) {
            return true;
        }
    }
    if (m > kDirect) {
        return false;
    }
    thread_local Positions<Real> whole;
    if (!(whole.a == a && whole.m == m && whole.w == w)) {
        TabulatePositions(whole, a, m, w);
    }
    SumPositions(whole, x, waits);
    return true;
}

template bool WaitsByPositions(double, double, std::int64_t, double, Waits<double>&);
template bool WaitsByPositions(long double, long double, std::int64_t, long double,
                               Waits<long double>&);

} // namespace teletraffic::erlang_x
