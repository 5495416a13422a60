#include "calc/mdl_Corvane.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

// Every intermediate result is rounded to double as it is made. Where the
// compiler keeps them wider (x87 on 32-bit x86), the bits would differ.
static_assert(FLT_EVAL_METHOD == 0,
              "the calculation needs double arithmetic without excess precision");

namespace mdl_Corvane {
namespace {

constexpr double kClimbStep = 32;

// Above 2^52 erlangs the counts the search probes would reach 2^53, where a
// double no longer holds every whole number: i + 1 == i and the loops stall.
constexpr double kMaxTraffic = 4503599627370496.0;

// Carries x = 1/B(A, n) - 1 from count n0 (where it is x0) up to count N,
// with exactly the operations of ErlangB, in the same order. Once x passes the
// double range it stays +infinity, which reads as a blocking of 0.
double Continue(double A, double n0, double x0, double N) {
    double x = x0;
    for (double i = n0 + 1; i <= N; i = i + 1) {
        x = (i / A) * (x + 1);
    }
    return x;
}

// ErlangB(A, N) at the counts one search probes, each the same bits that
// ErlangB gives, without rerunning the recurrence from line 1 for every probe.
// The recurrence only ever moves forward from the farthest count reached, and
// keeps its state every `spacing` lines on the way, so that a probe below the
// farthest count continues from the nearest kept state. A whole search thus
// costs about one pass up to the largest count it probes.
class BlockingTable {
public:
    explicit BlockingTable(double A)
        // A few thousand kept states at most, whatever the traffic.
        : A_(A)
        , spacing_(std::fmax(256, std::ceil((A + 1) / 4096)))
        , kept_{0} {}

    double At(double N) {
        if (A_ == 0) {
            return 0;
        }
        if (N >= reached_) {
            MoveTo(N);
            return 1 / (x_ + 1);
        }
        const auto k = static_cast<std::size_t>(std::floor(N / spacing_));
        return 1 / (Continue(A_, static_cast<double>(k) * spacing_, kept_[k], N) + 1);
    }

private:
    void MoveTo(double N) {
        while (reached_ < N) {
            const double nextKept = static_cast<double>(kept_.size()) * spacing_;
            const double stop = std::fmin(N, nextKept);
            x_ = Continue(A_, reached_, x_, stop);
            reached_ = stop;
            if (reached_ == nextKept) {
                kept_.push_back(x_);
            }
        }
    }

    double A_;
    double spacing_;
    std::vector<double> kept_; // kept_[k]: x at count k * spacing_
    double reached_ = 0;       // farthest count the recurrence has reached
    double x_ = 0;             // x at that count
};

std::string Show(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

void CheckArguments(double A, double B) {
    // Written so that NaN fails each test.
    if (!(A >= 0 && A <= kMaxTraffic)) {
        throw std::domain_error("traffic must be a finite number of erlangs from 0 to 2^52, got " +
                                Show(A));
    }
    if (!(B > 0 && B < INFINITY)) {
        throw std::domain_error(
            "blocking probability must be a finite number greater than 0, got " + Show(B));
    }
}

} // namespace

double CalcLines(double A, double B) {
    return SearchLines(A, B);
}

double SearchLines(double A, double B) {
    CheckArguments(A, B);
    BlockingTable blocking(A);

    double hi = RoundUpAt(A, 0);
    double lo = 0;
    while (blocking.At(hi) > B) {
        lo = hi;
        hi = hi + kClimbStep;
    }
    // The 0.9 bias puts every midpoint strictly between lo and hi while they
    // are two or more apart, so this ends with hi the smallest count that
    // meets the target.
    while (hi - lo > 1) {
        const double mid = RoundUpAt((lo + hi) / 2, 0);
        if (blocking.At(mid) > B) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return hi;
}

double ErlangB(double A, double N) {
    if (A == 0) {
        return 0;
    }
    return 1 / (Continue(A, 0, 0, N) + 1);
}

double RoundUpAt(double X, double D) {
    const double c = std::pow(10.0, std::fabs(D));
    if (D > 0) {
        return std::floor(X * c + 0.9) / c;
    }
    return std::floor(X / c + 0.9) * c;
}

} // namespace mdl_Corvane
