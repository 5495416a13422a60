#include "teletraffic/numerics/exact.h"

#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/stirling.h"

#include <boost/math/special_functions/gamma.hpp>
#include <boost/multiprecision/cpp_int.hpp>

#include <quadmath.h>

#include <iterator>

namespace teletraffic::detail {
namespace {

namespace mp = boost::multiprecision;
using Rational = mp::cpp_rational;
// With A = p/q, R(A, N) = S_N / A^N, S_n = n S_(n-1) + A^n, is U_N / p^N for
// the integers U_n = n q U_(n-1) + p^n: whole numbers throughout, with none
// of a rational's reductions, which at the thousand-bit denominators of tiny
// doubles would take seconds.
struct Sums {
    mp::cpp_int U;     // U_N
    mp::cpp_int power; // p^N
};
Sums InverseBlocking(const Rational& A, std::int64_t N) {
    const mp::cpp_int p = mp::numerator(A);
    const mp::cpp_int q = mp::denominator(A);
    Sums s{1, 1};
    for (std::int64_t n = 1; n <= N; ++n) {
        s.power *= p;
        s.U = s.U * q * n + s.power;
    }
    return s;
}

} // namespace

Quad LogInverseBlockingBySums(Quad A, std::int64_t N) {
    const Quad negligible = ldexpq(1, -122);
    if (A >= N) {
        // R = sum_j N (N - 1) ... (N - j + 1) / A^j, terms falling from the first.
        Quad term = 1;
        Quad sum = 1;
        for (std::int64_t j = 0; j < N && term > negligible * sum; ++j) {
            term *= (N - j) / A;
            sum += term;
        }
        return logq(sum);
    }
    // R = (1 - P) / D, D = A^N e^-A / N!, P = D (A/(N+1) + A^2/((N+1)(N+2)) + ...).
    const Quad logD = N * logq(A) - A - LogFactorial<Quad>(N);
    Quad term = 1;
    Quad sum = 0;
    for (Quad k = N + 1; term > negligible * sum || sum == 0; k += 1) {
        term *= A / k;
        sum += term;
    }
    return logq(1 - expq(logD) * sum) - logD;
}

namespace {

// log R(A, N) as the engine computes it, in quadruple precision: Temme's
// expansion near the traffic, some microseconds where the sums above take
// up to 100 ms, but only to 4e-21 at 65 lines, falling about as 1/sqrt(N)
// (its coefficients are long doubles), so taken as sure only beyond
// 4e-20 sqrt(65/N), three to ten times the worst seen against the sums.
Quad FastError(std::int64_t N) {
    return 4e-20 * sqrtq(Quad(65) / N);
}
Quad FastLogInverseBlocking(Quad A, std::int64_t N) {
    const Scaled<Quad> R = GammaRatio(A, static_cast<Quad>(N) + 1);
    return logq(R.mantissa) + R.scale;
}

// log R, from the fast evaluation when `excess(log R)` is farther from 0 than
// its error, else from the sums.
template <typename Excess> Quad Decided(Quad A, std::int64_t N, Excess excess) {
    if (N > kExactLines) {
        const Quad fast = FastLogInverseBlocking(A, N);
        if (fabsq(excess(fast)) > FastError(N)) {
            return fast;
        }
    }
    return LogInverseBlockingBySums(A, N);
}

} // namespace

// Quadruple precision decides unless the two sides are within 1e-30 of each
// other (its own error is below 1e-32); there, up to 64 lines, whole numbers
// do (some milliseconds for the longest doubles), beyond, a tie of a ratio
// of sums of many terms with a double is not to be met.
constexpr double kQuadTolerance = 1e-30;

namespace {

// Whether B(A, N) <= T exactly: R T >= 1.
bool ExactlyAtMost(const Rational& A, std::int64_t lines, double T) {
    const Rational target(T);
    const Sums R = InverseBlocking(A, lines);
    return R.U * mp::numerator(target) >= R.power * mp::denominator(target);
}

} // namespace

bool BlockingAtMost(double traffic, double recall, std::int64_t lines, double T) {
    const Quad A = Effective<Quad>(traffic, recall, T);
    const Quad logT = logq(T);
    const auto over = [&](Quad logR) { return -logR - logT; };
    const Quad excess = over(Decided(A, lines, over));
    if (lines > kExactLines || fabsq(excess) > kQuadTolerance * fmaxq(1, fabsq(logT))) {
        return excess <= 0;
    }
    return ExactlyAtMost(Rational(traffic) / (1 - Rational(recall) * Rational(T)), lines, T);
}

Fifty FineLogInverseBlocking(const Fifty& A, const Fifty& N) {
    // D = A^N e^-A / N! below even fifty digits' range (A tiny, N in the
    // billions) is 0: R is infinite to them, as good as the decision needs.
    namespace policies = boost::math::policies;
    using Quiet = policies::policy<policies::overflow_error<policies::ignore_error>,
                                   policies::underflow_error<policies::ignore_error>>;
    const Fifty a = N + 1;
    return log(boost::math::gamma_q(a, A, Quiet())) -
           log(boost::math::gamma_p_derivative(a, A, Quiet()));
}

bool HaywardBlockingAtMost(double mean, double variance, std::int64_t lines, double T) {
    const Fifty m = mean;
    const Fifty logT = log(Fifty(T));
    const Fifty excess =
        -FineLogInverseBlocking(m * m / variance, Fifty(lines) * m / variance) - logT;
    // Fifty digits decide unless the two sides are within 1e-40 of each
    // other; there only a whole number of lines, whose R is rational, can
    // meet the target exactly, and up to 64 whole numbers say whether it does.
    if (abs(excess) > 1e-40 * (1 + abs(logT))) {
        return excess <= 0;
    }
    const Rational N = Rational(lines) * Rational(mean) / Rational(variance);
    if (mp::denominator(N) != 1 || N > kExactLines) {
        return excess <= 0;
    }
    return ExactlyAtMost(Rational(mean) * Rational(mean) / Rational(variance),
                         static_cast<std::int64_t>(mp::numerator(N)), T);
}

bool ServiceAtLeast(double traffic, std::int64_t agents, double aht, double targetTime, double P) {
    // 1 - SL = C e^-z, C = N / (A + R (N - A)), z = (N - A) t / h.
    const Quad A = traffic;
    const Quad N = agents;
    const Quad z = (N - A) * targetTime / aht;
    const Quad logMiss = log1pq(-static_cast<Quad>(P));
    // Positive while the level falls short: on log(1 - SL) = log C - z for a
    // level near 1, on log SL itself below 1/2, with 1 - C = (1 - B)(N - A) /
    // (N - A + A B), whose digits the first would lose there.
    const auto over = [&](Quad logR) {
        const Quad logC = LogWait(A, N, logR, expq(-logR));
        if (P > 0.5) {
            return logC - z - logMiss;
        }
        return logq(static_cast<Quad>(P)) -
               logq(ErlangCLevel(A, N, -expm1q(-logR), expq(-logR), logC, z));
    };
    const Quad excess = over(Decided(A, agents, over));
    if (agents > kExactLines || targetTime != 0 ||
        fabsq(excess) > kQuadTolerance * (1 + fabsq(logMiss))) {
        return excess <= 0;
    }
    // With A = p/q: C = N p^N q / (p^(N+1) + U_N (N q - p)) <= 1 - P = m / d.
    const Rational exact(traffic);
    const mp::cpp_int p = mp::numerator(exact);
    const mp::cpp_int q = mp::denominator(exact);
    const Rational miss = 1 - Rational(P);
    const Sums R = InverseBlocking(exact, agents);
    const mp::cpp_int n = agents;
    return n * R.power * q * mp::denominator(miss) <=
           mp::numerator(miss) * (R.power * p + R.U * (n * q - p));
}

} // namespace teletraffic::detail
