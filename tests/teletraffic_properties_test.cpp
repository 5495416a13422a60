// What holds everywhere without a reference value: probabilities in [0, 1],
// the retry fixed point's bounds, counts minimal (decided exactly), monotony,
// and every answer accepted back with its round trip meeting the target.
// Random points each run: CORVANE_SEED repeats one, and a failure prints it.
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/numerics/exact.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

namespace {

using namespace teletraffic;

std::uint64_t Seed() {
    if (const char* seed = std::getenv("CORVANE_SEED")) {
        return std::strtoull(seed, nullptr, 10);
    }
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

class Points {
public:
    explicit Points(std::uint64_t seed)
        : random_(seed) {}
    // Log-uniform in [lo, hi].
    double Log(double lo, double hi) {
        return std::exp(
            std::uniform_real_distribution<double>(std::log(lo), std::log(hi))(random_));
    }
    double Uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random_);
    }
    bool Chance(double p) { return Uniform(0, 1) < p; }
    double Traffic() { return Chance(0.05) ? Log(1e-300, 1e-3) : Log(1e-3, kMaxTraffic); }
    double Target() { return Chance(0.3) ? 1 - Log(1e-15, 0.5) : Log(kMinBlocking, 0.5); }
    double Recall() {
        const double r[] = {0, 0, 1e-17, 0.3, 0.9, 0.999999, 1 - 1e-12};
        return r[std::uniform_int_distribution<int>(0, 6)(random_)];
    }

private:
    std::mt19937_64 random_;
};

// A refusal the engine documents: the answer would leave its domain.
bool LeavesTheDomain(const DomainError& e) {
    return e.rule().find("1e9") != std::string::npos &&
           e.rule().find("from 0") == std::string::npos;
}

TEST(EngineProperties, HoldAtRandomPoints) {
    const std::uint64_t seed = Seed();
    SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed));
    Points p(seed);
    for (int i = 0; i < 4000; ++i) {
        const double A = p.Traffic();
        const double N = p.Chance(0.5) ? std::round(p.Log(1, 2e9)) : p.Log(1e-300, 2e9);
        const double T = p.Target();
        const double R = p.Recall();
        std::ostringstream where;
        where.precision(17);
        where << "A=" << A << " N=" << N << " T=" << T << " R=" << R;
        SCOPED_TRACE(where.str());
        try {
            const double B = ErlangB(A, N);
            EXPECT_TRUE(B >= 0 && B <= 1) << B;
            // More traffic blocks more, more lines less.
            EXPECT_LE(B, ErlangB(std::fmin(A * 1.001, kMaxTraffic), N) * (1 + 1e-12));
            EXPECT_GE(B * (1 + 1e-12), ErlangB(A, std::fmin(N * 1.001, kMaxLines)));

            const Retrial none = ExtendedErlangB(A, N, 0);
            EXPECT_EQ(none.offered, A);
            EXPECT_EQ(none.blocking, B);
            if (A / (1 - R) <= kMaxTraffic) {
                const Retrial r = ExtendedErlangB(A, N, R);
                EXPECT_TRUE(r.offered >= A && r.offered <= A / (1 - R)) << r.offered;
                EXPECT_TRUE(r.blocking >= B * (1 - 1e-12) && r.blocking <= 1) << r.blocking;
            }

            if (A < N) {
                const double h = p.Log(1, 600);
                const double t = p.Chance(0.2) ? 0 : p.Log(1e-3, 600);
                const double C = ErlangC(A, N);
                const double level = ErlangCServiceLevel(A, N, h, t);
                EXPECT_TRUE(C >= 0 && C <= 1) << C;
                EXPECT_TRUE(level >= 0 && level <= 1) << level;
                EXPECT_GE(ErlangCServiceLevel(A, N, h, t * 1.01 + 1e-9) * (1 + 1e-12), level);
                EXPECT_GE(ErlangCAverageWait(A, N, h), 0);
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

// Counts meet the target and one fewer does not, decided exactly; more
// traffic or a stricter target never needs fewer.
TEST(EngineProperties, CountsAreMinimal) {
    const std::uint64_t seed = Seed();
    SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed));
    Points p(seed);
    for (int i = 0; i < 3000; ++i) {
        // Up to a million erlangs: the exact sums grow as sqrt(N).
        const double A = p.Log(1e-3, 1e6);
        const double T = p.Target();
        const double R = p.Recall();
        const double h = p.Log(1, 600);
        const double t = p.Chance(0.3) ? 0 : p.Log(1e-3, 600);
        const double P = p.Chance(0.3) ? 1 - p.Log(1e-12, 0.5) : p.Uniform(0.01, 0.99);
        std::ostringstream where;
        where.precision(17);
        where << "A=" << A << " T=" << T << " R=" << R << " h=" << h << " t=" << t << " P=" << P;
        SCOPED_TRACE(where.str());
        try {
            const std::int64_t n = ErlangBLines(A, T);
            EXPECT_TRUE(detail::BlockingAtMost(A, 0, n, T));
            EXPECT_FALSE(n > 0 && detail::BlockingAtMost(A, 0, n - 1, T));
            EXPECT_GE(ErlangBLines(A * 1.01, T), n);
            EXPECT_GE(ErlangBLines(A, std::fmax(T * 0.99, kMinBlocking)), n);

            try {
                const std::int64_t e = ExtendedErlangBLines(A, R, T);
                EXPECT_TRUE(detail::BlockingAtMost(A, R, e, T));
                EXPECT_FALSE(e > 0 && detail::BlockingAtMost(A, R, e - 1, T));
                EXPECT_GE(e, n);
            } catch (const DomainError& e) {
                EXPECT_TRUE(LeavesTheDomain(e)) << e.what();
            }

            const std::int64_t m = ErlangCAgents(A, h, t, P);
            EXPECT_TRUE(detail::ServiceAtLeast(A, m, h, t, P));
            EXPECT_FALSE(m - 1 > A && detail::ServiceAtLeast(A, m - 1, h, t, P));
            EXPECT_GE(ErlangCAgents(A, h, t, std::fmin(P * 1.001, 1 - 1e-16)), m);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

// Every solve over a log grid of the whole domain, its answer fed back: no
// exception but the documented refusal, and the round trip meets the target.
TEST(EngineProperties, AnswersReadBack) {
    for (double N = 1e-300; N <= kMaxLines; N *= N < 1 ? 1e10 : 1.7) {
        for (double T = kMinBlocking; T < 1; T = T < 0.5 ? T * 1e10 : 1 - (1 - T) / 1e2) {
            std::ostringstream where;
            where.precision(17);
            where << "N=" << N << " T=" << T;
            SCOPED_TRACE(where.str());
            try {
                const double A = ErlangBTraffic(N, T);
                ErlangB(A, N);
                LogErlangB(A, N);
                ExtendedErlangB(A, N, 0.5);
                if (A > 1e-300) {
                    // The whole count just above carries at least as much.
                    const std::int64_t n = ErlangBLines(A, T);
                    EXPECT_LE(n, std::ceil(N) + 1);
                    if (N >= 1 && N == std::round(N)) {
                        EXPECT_EQ(n, N); // the traffic N lines carry needs N lines
                    }
                    ExtendedErlangBLines(A, 0, T);
                }
                const double fresh = ExtendedErlangBTraffic(N, 0.9, T);
                if (fresh > 1e-300) {
                    EXPECT_LE(ExtendedErlangBLines(fresh * (1 - 1e-12), 0.9, T), std::ceil(N));
                    EXPECT_LE(ExtendedErlangB(fresh, N, 0.9).offered, kMaxTraffic);
                }
            } catch (const DomainError& e) {
                EXPECT_TRUE(LeavesTheDomain(e)) << e.what();
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        }
    }
    for (double A = 1e-300; A <= kMaxTraffic; A *= A < 1e-3 ? 1e10 : 1.7) {
        for (double T = kMinBlocking; T < 1; T = T < 0.5 ? T * 1e10 : 1 - (1 - T) / 1e2) {
            SCOPED_TRACE(std::to_string(A) + " " + std::to_string(T));
            try {
                const auto n = static_cast<double>(ErlangBLines(A, T));
                EXPECT_LE(ErlangB(A, n), T * (1 + 1e-12));
                EXPECT_GE(ErlangBTraffic(n, T), A * (1 - 1e-12));
                const double P = std::fmin(1 - T, 1 - 1e-15);
                const double agents = static_cast<double>(ErlangCAgents(A, 180, 20, P));
                EXPECT_GE(ErlangCServiceLevel(A, agents, 180, 20), P * (1 - 1e-12));
                const Retrial r = ExtendedErlangB(A, n, 0.9);
                EXPECT_LE(ErlangB(r.offered, n), 1);
            } catch (const DomainError& e) {
                EXPECT_TRUE(LeavesTheDomain(e)) << e.what();
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        }
    }
}

} // namespace
