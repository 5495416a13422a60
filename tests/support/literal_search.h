// The Erlang B search as first written: every probe reruns the recurrence from
// line 1. The module's faster search must agree with it bit for bit; the
// benchmarks measure it as the baseline.
#pragma once

#include <cmath>

namespace literal {

inline double LiteralSearchLines(double A, double B) {
    const auto blocking = [A](double N) {
        double x = 0;
        for (double i = 1; i <= N; i = i + 1) {
            x = (i / A) * (x + 1);
        }
        return A == 0 ? 0 : 1 / (x + 1);
    };
    double hi = std::floor(A + 0.9);
    double lo = 0;
    while (blocking(hi) > B) {
        lo = hi;
        hi = hi + 32;
    }
    while (hi - lo > 1) {
        const double mid = std::floor((lo + hi) / 2 + 0.9);
        if (blocking(mid) > B) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return hi;
}

} // namespace literal
