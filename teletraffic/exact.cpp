#include "teletraffic/exact.h"

#include <boost/multiprecision/cpp_int.hpp>

#include <quadmath.h>

#include <iterator>

namespace teletraffic::detail {
namespace {

namespace mp = boost::multiprecision;
using Rational = mp::cpp_rational;
// GCC's quadruple precision, 113 bits: 49 more than long double, software
// arithmetic some five times faster than Boost's 50-digit floats.
using Quad = __float128;

// Up to here the exact sums stay small: a few thousand bits.
constexpr std::int64_t kExactLines = 64;

// R(A, N) = S_N / A^N with S_n = n S_(n-1) + A^n = sum_k n!/k! A^k.
Rational InverseBlocking(const Rational& A, std::int64_t N) {
    Rational sum = 1;
    Rational power = 1;
    for (std::int64_t n = 1; n <= N; ++n) {
        power *= A;
        sum = sum * n + power;
    }
    return sum / power;
}

// log N!, by Stirling's series to 1e-31 from 100 on: lgammaq writes the
// global signgam, and the engine runs on many threads.
Quad LogFactorial(std::int64_t N) {
    if (N < 100) {
        Quad product = 1;
        for (std::int64_t k = 2; k <= N; ++k) {
            product *= k;
        }
        return logq(product);
    }
    const Quad g[] = {Quad(1) / 12,   Quad(-1) / 360,      Quad(1) / 1260, Quad(-1) / 1680,
                      Quad(1) / 1188, Quad(-691) / 360360, Quad(1) / 156,  Quad(-3617) / 122400};
    const Quad a = static_cast<Quad>(N) + 1;
    Quad sum = 0;
    for (int i = static_cast<int>(std::size(g)) - 1; i >= 0; --i) {
        sum = sum * (1 / (a * a)) + g[i];
    }
    return (a - Quad(0.5)) * logq(a) - a + logq(2 * acosq(-1)) / 2 + sum / a;
}

// log R(A, N) for whole N > 0, the sums carried until their terms no longer
// count.
Quad LogInverseBlocking(Quad A, std::int64_t N) {
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
    const Quad logD = N * logq(A) - A - LogFactorial(N);
    Quad term = 1;
    Quad sum = 0;
    for (Quad k = N + 1; term > negligible * sum || sum == 0; k += 1) {
        term *= A / k;
        sum += term;
    }
    return logq(1 - expq(logD) * sum) - logD;
}

} // namespace

bool BlockingAtMost(double traffic, double recall, std::int64_t lines, double T) {
    if (lines <= kExactLines) {
        const Rational A = Rational(traffic) / (1 - Rational(recall) * Rational(T));
        return InverseBlocking(A, lines) * Rational(T) >= 1;
    }
    // Past 64 lines an exact tie of the blocking, a ratio of sums of many
    // terms, with a double is not to be met: 113 bits settle the rest.
    const Quad A = traffic / (1 - static_cast<Quad>(recall) * T);
    return -LogInverseBlocking(A, lines) <= logq(T);
}

bool ServiceAtLeast(double traffic, std::int64_t agents, double aht, double targetTime, double P) {
    // 1 - SL = C e^-z, C = N / (A + R (N - A)), z = (N - A) t / h.
    if (agents <= kExactLines && targetTime == 0) {
        const Rational A(traffic);
        const Rational N(agents);
        return N / (A + InverseBlocking(A, agents) * (N - A)) <= 1 - Rational(P);
    }
    const Quad A = traffic;
    const Quad N = agents;
    const Quad logR = LogInverseBlocking(A, agents);
    const Quad logC = logq(N) - logR - logq(N - A + A * expq(-logR));
    const Quad z = (N - A) * targetTime / aht;
    return logC - z <= log1pq(-static_cast<Quad>(P));
}

} // namespace teletraffic::detail
