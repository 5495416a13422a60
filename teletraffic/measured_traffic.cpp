#include "teletraffic/measured_traffic.h"

#include "teletraffic/erlang_b.h"
#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/solve.h"

#include <cmath>
#include <utility>

namespace teletraffic {

using namespace detail;
using Ext = long double;

double ErlangBOfferedTraffic(double carried, double lines) {
    Check(Argument::Carried, carried);
    Check(Argument::Lines, lines);
    RequireThat(carried < lines, Argument::Carried,
                "below the lines, " + ShowNumber(lines) + ": they never carry that much", carried);
    if (carried == 0) {
        return 0;
    }
    const double Y = carried;
    const double N = lines;
    // carried = A (1 - B(A, N)), increasing in A; d log / d log A =
    // 1 - B (N - A + A B) / (1 - B).
    const auto at = [&]<typename Real>(Real A) {
        const Scaled<Real> R = InverseBlocking(A, static_cast<Real>(N));
        const Real B = R.Reciprocal();
        // log(1 - B) as log1p(-B) below a blocking of 1/2: the difference of
        // log(R - 1) and log R, each the size of log R, would round its digits
        // away where the lines far exceed the traffic (the offered traffic came
        // out below the carried).
        const Real logKept = B < Real(0.5) ? std::log1p(-B) : LogPass(A, static_cast<Real>(N), R);
        return std::pair{std::log(A) + logKept - std::log(static_cast<Real>(Y)),
                         1 - B * Elasticity(A, static_cast<Real>(N), B) / std::exp(logKept)};
    };
    const auto f = [&](double A) {
        const auto [value, slope] = at(A);
        return Slope{value, slope};
    };
    // The carried traffic is at most the offered, and from one line on at
    // least A N / (N + A) (B <= A / (N + A)).
    double hi = Y * std::fmax(N, 1) / (N - Y);
    for (int i = 0; i < 64 && f(hi).value < 0; ++i) {
        hi *= 2;
    }
    double A = IncreasingRoot(f, Y / (1 - ErlangB(Y, N)), Y, hi);
    // The slope falls to (N - Y) / Y as the carried traffic nears the lines,
    // and the error of f grows by its inverse: one last step in long double.
    const Ext x = A;
    const auto [value, slope] = at(x);
    A = static_cast<double>(x * std::exp(-value / slope));
    Require(A <= kMaxTraffic, Argument::Carried,
            "low enough that the offered traffic stays within 1e9 erlangs", carried);
    return A;
}

} // namespace teletraffic
