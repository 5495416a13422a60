// The Erlang B search as first written: every probe reruns the recurrence from
// line 1. The module's faster search must agree with it bit for bit; the
// benchmarks measure it as the baseline.
#pragma once

#include <cmath>

namespace literal {

inline double LiteralErlangB(double A, double N) {
    if (A == 0) {
        return 0;
    }
    double x = 0;
    for (double i = 1; i <= N; i = i + 1) {
        x = (i / A) * (x + 1);
    }
    return 1 / (x + 1);
}

inline double LiteralSearchLines(double A, double B) {
    double hi = std::floor(A + 0.9);
    double lo = 0;
    while (LiteralErlangB(A, hi) > B) {
        lo = hi;
        hi = hi + 32;
    }
    while (hi - lo > 1) {
        const double mid = std::floor((lo + hi) / 2 + 0.9);
        if (LiteralErlangB(A, mid) > B) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return hi;
}

} // namespace literal
