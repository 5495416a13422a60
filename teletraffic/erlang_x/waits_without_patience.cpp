// Erlang X's waits without patience, with m queue positions weighing rho^k
// = e^(k l), rho = A/N. From position k the caller reaches an agent within
// the target time when J >= k + 1 agents finish, J Poisson of mean z = N
// t/aht. Over the positions the sums telescope into
//   late   = (T1 - rho^m Q(m, z))/(1 - rho),
//   within = (1 - T1 - rho^m P(m, z))/(1 - rho),
// T1 = e^(z (rho - 1)) Q(m, z rho), Q and P the regularized incomplete gamma
// functions, good to some units in their last place: each difference taken
// where it loses at most a factor 256 (1e-13 kept), the other as what
// remains of the positions seen; where neither keeps its digits (rho a hair
// from 1 against the lines, or the cut near z), term by term over the
// Poisson law's span about z, of one sign, from Temme's density.
//
// References: NIST DLMF 8.2 (incomplete gamma functions); N. M. Temme, The
// asymptotic expansion of the incomplete gamma functions, SIAM J. Math.
// Anal. 10 (1979) 757-766.
#include "teletraffic/erlang_x/waits.h"

#include "teletraffic/numerics/gamma_ratio.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace teletraffic::erlang_x {
namespace {

// The loss the waits' closed forms without patience may take.
constexpr double kWaitsLoss = 256;

// log(1 + rho + ... + rho^(n - 1)), rho = e^l, n >= 1, for any size of n l.
template <typename Real> Real LogGeometricSum(Real n, Real l) {
    if (l == 0) {
        return std::log(n);
    }
    if (n * l > 30) {
        return n * l + std::log(-std::expm1(-n * l)) - std::log(std::expm1(l));
    }
    return std::log(std::expm1(n * l) / std::expm1(l));
}

// Q(a, x) and P(a, x) in scaled form, the smaller from its ratio and the
// density, the larger as its complement: the density's logarithm, of the
// size of a, costs the smaller one digits only where it is negligible.
template <typename Real> std::pair<Scaled<Real>, Scaled<Real>> GammaTails(Real x, Real a) {
    const Real logD = LogGammaDensity(x, a);
    if (x < a) {
        const Scaled<Real> L = LowerGammaRatio(x, a);
        const Scaled<Real> P{L.mantissa, L.scale + logD};
        return {{1 - Plain(P)}, P};
    }
    const Scaled<Real> U = GammaRatio(x, a);
    const Scaled<Real> Q{U.mantissa, U.scale + logD};
    return {Q, {1 - Plain(Q)}};
}

// Whether what remains of the whole, taken as a difference, keeps its
// digits: a remainder that rounding leaves below 0 (a share of 1e-300 taken
// from one of its size) keeps none.
template <typename Real> bool KeepsDigits(const Scaled<Real>& whole, const Scaled<Real>& rest) {
    return rest.mantissa > 0 && Over(whole, rest) <= kWaitsLoss;
}

// Without patience, with m queue positions weighing rho^k = e^(k l): from
// position k the caller reaches an agent within the target time when J >= k +
// 1 agents finish, J Poisson of mean z = N t/aht. Over the positions, the
// late are sum_(j<m) P(J = j) rho^j (1 - rho^(m - j))/(1 - rho) and the rest
// of the seen reach an agent in time; the sums telescope into
//   late   = (T1 - rho^m Q(m, z))/(1 - rho),
//   within = (1 - T1 - rho^m P(m, z))/(1 - rho),
// T1 = e^(z (rho - 1)) Q(m, z rho),
// Q and P the regularized gammas, good to some units in their last place:
// each difference is taken where it loses at most a factor 256 (1e-13
// kept), the other as what remains of the seen; false where neither keeps
// its digits (rho a hair from 1 against the lines, or the cut near z).
template <typename Real>
bool GeometricWaits(Real l, Real m, Real z, const Scaled<Real>& seen, Scaled<Real>& within,
                    Scaled<Real>& late) {
    if (l == 0) {
        // rho = 1: late = sum_(j<m) P(J = j) (m - j) = m Q(m, z) - z Q(m - 1, z)
        // and within = z Q(m - 1, z) + m P(m, z), of one sign.
        const auto [q, p] = GammaTails(z, m);
        const Real before = m > 1 ? z * Plain(GammaTails(z, m - 1).first) : 0;
        within = {before + m * Plain(p)};
        const Real lateSum = m * Plain(q) - before;
        if (m * Plain(q) <= kWaitsLoss * lateSum) {
            late = {lateSum};
            return true;
        }
        late = Minus(seen, within);
        return KeepsDigits(seen, late);
    }
    const auto [q1, p1] = GammaTails(z * std::exp(l), m);
    const auto [q, p] = GammaTails(z, m);
    const Scaled<Real> t1{q1.mantissa, q1.scale + z * std::expm1(l)};
    const Scaled<Real> upper{q.mantissa, q.scale + m * l};
    const Scaled<Real> lower{p.mantissa, p.scale + m * l};
    const Real em = -std::expm1(l); // 1 - rho
    const Scaled<Real> lateSum = Plus(t1, Scaled<Real>{-upper.mantissa, upper.scale});
    const Scaled<Real> withinSum = Plus(Plus(Scaled<Real>{1}, Scaled<Real>{-t1.mantissa, t1.scale}),
                                        Scaled<Real>{-lower.mantissa, lower.scale});
    const auto loss = [](const Scaled<Real>& sum, const Scaled<Real>& part) {
        return std::fabs(Over(part, sum));
    };
    const Real lateLoss = std::fmax(loss(lateSum, t1), loss(lateSum, upper));
    const Real withinLoss = std::fmax(
        std::fmax(loss(withinSum, Scaled<Real>{1}), loss(withinSum, t1)), loss(withinSum, lower));
    const bool lateKept = lateLoss <= kWaitsLoss;
    const bool withinKept = withinLoss <= kWaitsLoss;
    if (lateKept) {
        late = Times(lateSum, 1 / em);
    }
    if (withinKept) {
        within = Times(withinSum, 1 / em);
    }
    if (lateKept && !withinKept) {
        within = Minus(seen, late);
        return KeepsDigits(seen, within);
    }
    if (withinKept && !lateKept) {
        late = Minus(seen, within);
        return KeepsDigits(seen, late);
    }
    return lateKept;
}

// The same sums term by term over the Poisson law's span, about z: their
// terms of one sign, P(J = j) from Temme's density, for rho near 1 or a cut
// near z, where the closed forms cancel.
template <typename Real>
void GeometricWaitsBySpan(Real l, std::int64_t m, Real z, const Scaled<Real>& seen,
                          Scaled<Real>& within, Scaled<Real>& late) {
    const Real spread = 40 * std::sqrt(z) + 40;
    // Clamped in Real before the casts: a target time of 1e300 puts z far
    // beyond any count, where every position is reached in time.
    const Real end = std::fmin(z + spread, static_cast<Real>(m - 1));
    const auto first = static_cast<std::int64_t>(std::fmin(std::fmax(z - spread, Real(0)), end));
    const auto last = static_cast<std::int64_t>(end);
    thread_local std::vector<Real> logs;
    logs.clear();
    Real top = -INFINITY;
    const auto M = static_cast<Real>(m);
    for (std::int64_t j = first; j <= last; ++j) {
        const auto J = static_cast<Real>(j);
        const Real p = LogGammaDensity(z, J + 1);
        const Real in = j == 0 ? -INFINITY : p + LogGeometricSum(J, l);
        const Real out = p + J * l + LogGeometricSum(M - J, l);
        logs.push_back(in);
        logs.push_back(out);
        top = std::fmax(top, std::fmax(in, out));
    }
    Real in = 0;
    Real out = 0;
    for (std::size_t i = 0; i < logs.size(); i += 2) {
        in += std::exp(logs[i] - top);
        out += std::exp(logs[i + 1] - top);
    }
    late = {out, top};
    // J >= m: every position reaches an agent in time.
    const Real reach = last < m - 1 ? 0 : LowerGammaTail(z, M);
    within = Plus(Scaled<Real>{in, top}, Times(seen, reach));
}

} // namespace

// Without patience everyone accepted is answered, and the answered wait is
// the average one: Little's law on the window's mean queue.
template <typename Real>
Waits<Real> WaitsWithoutPatience(const Chain<Real>& ch, std::int64_t m, Real z) {
    const Window<Real>& win = ch.window;
    Waits<Real> q{};
    q.seen = win.seen;
    q.answered = q.timeAnswered = win.answered;
    q.abandoned = q.time = win.abandoned;
    const Real l = ch.logLoad;
    if (z == 0) {
        q.within = {0};
        q.late = win.seen;
    } else if (!GeometricWaits(l, static_cast<Real>(m), z, win.seen, q.within, q.late)) {
        GeometricWaitsBySpan(l, m, z, win.seen, q.within, q.late);
    }
    q.reached = q.within;
    q.unreached = q.waiting = q.late;
    return q;
}

template Waits<double> WaitsWithoutPatience(const Chain<double>&, std::int64_t, double);
template Waits<long double> WaitsWithoutPatience(const Chain<long double>&, std::int64_t,
                                                 long double);

} // namespace teletraffic::erlang_x
