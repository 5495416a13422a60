// The engine's general numerics on their own, against closed forms: Gauss
// rules for a weight function (Golub and Welsch, Stieltjes), the quadratures,
// and the bracketing root finder.
#include "teletraffic/numerics/gauss_rules.h"
#include "teletraffic/numerics/quadrature.h"
#include "teletraffic/numerics/roots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

namespace {

using namespace teletraffic::detail;

// The nodes sorted, with their weights.
std::vector<std::pair<double, double>> Sorted(int n, const double* node, const double* weight) {
    std::vector<std::pair<double, double>> rule;
    for (int i = 0; i < n; ++i) {
        rule.emplace_back(node[i], weight[i]);
    }
    std::sort(rule.begin(), rule.end());
    return rule;
}

// Legendre's Jacobi matrix, orthonormal: d = 0, e_i = (i + 1)/sqrt(4 (i + 1)^2 - 1).
std::vector<std::pair<double, double>> LegendreByGolubWelsch(int n) {
    RuleArray<double> d{}, e{}, node{}, weight{};
    for (int i = 0; i < n; ++i) {
        e[i] = (i + 1) / std::sqrt(4.0 * (i + 1) * (i + 1) - 1);
    }
    EXPECT_TRUE(GolubWelsch(n, d.data(), e.data(), node.data(), weight.data()));
    return Sorted(n, node.data(), weight.data());
}

// Against Boost's tables of Gauss-Legendre (their weights for the measure
// of mass 2 on [-1, 1], ours for mass 1), the positive half of an even rule.
template <unsigned N>
void ExpectBoostsLegendre(const std::vector<std::pair<double, double>>& rule) {
    const auto& x = boost::math::quadrature::gauss<double, N>::abscissa();
    const auto& w = boost::math::quadrature::gauss<double, N>::weights();
    for (std::size_t i = 0; i < x.size(); ++i) {
        const auto& [node, weight] = rule[N / 2 + i];
        EXPECT_NEAR(node, x[i], 4 * DBL_EPSILON) << N << " points, node " << i;
        EXPECT_NEAR(2 * weight, w[i], 16 * DBL_EPSILON) << N << " points, weight " << i;
    }
}

TEST(GaussRules, GolubWelschGivesGaussLegendre) {
    ExpectBoostsLegendre<20>(LegendreByGolubWelsch(20));
    ExpectBoostsLegendre<30>(LegendreByGolubWelsch(30));
}

// A rule of n points integrates every power below 2n exactly against its law,
// which makes it Gauss's: E[X^j] = k (k + 1) ... (k + j - 1)/k^j for the
// Gamma law of shape k, mean 1. At shape 1 (Gauss-Laguerre) two points in
// closed form: 2 -+ sqrt(2), weighing (2 +- sqrt(2))/4.
TEST(GaussRules, TheGammaLawsRuleIsGaussLaguerres) {
    RuleArray<double> node{}, weight{};
    ASSERT_TRUE(GammaLawRule(1.0, 2, node.data(), weight.data()));
    const auto two = Sorted(2, node.data(), weight.data());
    EXPECT_NEAR(two[0].first + 1, 2 - std::sqrt(2.0), 4 * DBL_EPSILON);
    EXPECT_NEAR(two[1].first + 1, 2 + std::sqrt(2.0), 4 * DBL_EPSILON);
    EXPECT_NEAR(two[0].second, (2 + std::sqrt(2.0)) / 4, 4 * DBL_EPSILON);
    for (const double k : {0.3, 1.0, 7.5, 400.0, 1e6}) {
        for (const int n : {12, 20}) {
            ASSERT_TRUE(GammaLawRule(k, n, node.data(), weight.data()));
            long double want = 1;
            for (int j = 0; j < 2 * n; ++j) {
                long double got = 0;
                for (int i = 0; i < n; ++i) {
                    got += weight[i] * std::pow(1.0L + node[i], j);
                }
                EXPECT_NEAR(got / want, 1, 2e-13 * (j + 1))
                    << "shape " << k << ", " << n << " points, power " << j;
                want *= (k + j) / k;
            }
        }
    }
}

// Stieltjes' procedure on a fine rule of the uniform law on [-1, 1] gives back
// Legendre's recurrence: its rules are Golub and Welsch's on the closed form.
TEST(GaussRules, StieltjesFindsLegendresRecurrence) {
    std::vector<double> points, weights;
    constexpr int kPanels = 8;
    const auto& x = boost::math::quadrature::gauss<double, 20>::abscissa();
    const auto& w = boost::math::quadrature::gauss<double, 20>::weights();
    for (int p = 0; p < kPanels; ++p) {
        const double mid = -1 + (2 * p + 1.0) / kPanels;
        for (std::size_t i = 0; i < x.size(); ++i) {
            for (const int side : {-1, 1}) {
                points.push_back(mid + side * x[i] / kPanels);
                weights.push_back(w[i]);
            }
        }
    }
    DiscreteMeasureRules<double> measure(points, weights);
    for (const int n : {12, 32, 20}) { // the recurrence found once, then reused
        RuleArray<double> node{}, weight{};
        ASSERT_TRUE(measure.Rule(n, node.data(), weight.data()));
        const auto got = Sorted(n, node.data(), weight.data());
        const auto want = LegendreByGolubWelsch(n);
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(got[i].first, want[i].first, 1e-14) << n << " points, node " << i;
            EXPECT_NEAR(got[i].second, want[i].second, 1e-14) << n << " points, weight " << i;
        }
    }
    // Of the three points 0, 1, 2 weighing 1, 2, 1 (mean 1, variance 1/2):
    // two points 1 -+ sqrt(1/2), each weighing a half.
    DiscreteMeasureRules<double> three({0, 1, 2}, {1, 2, 1});
    RuleArray<double> node{}, weight{};
    ASSERT_TRUE(three.Rule(2, node.data(), weight.data()));
    const auto two = Sorted(2, node.data(), weight.data());
    EXPECT_NEAR(two[0].first, 1 - std::sqrt(0.5), 4 * DBL_EPSILON);
    EXPECT_NEAR(two[1].first, 1 + std::sqrt(0.5), 4 * DBL_EPSILON);
    EXPECT_NEAR(two[0].second, 0.5, 4 * DBL_EPSILON);
}

// Two integrands at once, by name.
struct PairEntries {
    using Real = double;
    Real first = 0;
    Real second = 0;
    static constexpr std::array<Real PairEntries::*, 2> Members() {
        return {&PairEntries::first, &PairEntries::second};
    }
};
using Pair = Integrands<PairEntries>;

// Gauss-Kronrod's rule of 2n + 1 points integrates every power up to 3n + 1
// exactly over the interval it is mapped to; its error, against the Gauss
// rule of n, is down to rounding up to 2n - 1 (and, by chance, for 61
// points at 91), not for 31 at 46.
TEST(Quadrature, KronrodPanelsAreExactForTheirPowers) {
    const struct {
        int points, power;
        bool gaussExact;
    } cases[] = {{31, 29, true}, {31, 46, false}, {61, 59, true}, {61, 91, true}};
    for (const auto& c : cases) {
        const auto f = [&](double x) { return Pair(PairEntries{std::pow(x, c.power), 1}); };
        double error = 0;
        const Pair got = c.points == 31 ? KronrodPanel<31>(f, 1.0, 4.0, error)
                                        : KronrodPanel<61>(f, 1.0, 4.0, error);
        const double want = (std::pow(4.0, c.power + 1) - 1) / (c.power + 1);
        EXPECT_NEAR(got.first, want, 1e-14 * want) << c.points << " points, power " << c.power;
        EXPECT_NEAR(got.second, 3, 8 * DBL_EPSILON) << c.points << " points, power " << c.power;
        EXPECT_EQ(error <= 1e-13 * want, c.gaussExact) << c.points << " points, power " << c.power;
    }
}

TEST(Quadrature, AdaptiveRulesHalveTowardsWhatTheyCannotFollow) {
    const auto kink = [](double x) { return std::fabs(x - 1.0 / 3); };
    const auto peak = [](double x) { return 1 / (x * x + 1e-6); };
    const auto gamma = [](double x) { return x * x * x * std::exp(-x); };
    const double tail = 6 - std::exp(-40.0) * (64000 + 4800 + 240 + 6); // the integral over [0, 40]
    const struct {
        double got, want;
    } cases[] = {
        {AdaptiveKronrod(kink, 0.0, 1.0, 1e-13, 40), 5.0 / 18},
        {AdaptiveKronrod(peak, -1.0, 1.0, 1e-9, 40), 2000 * std::atan(1000.0)},
        {RelativeKronrod(gamma, 0.0, 40.0, 1e-14), tail},
        {TanhSinh<double>().integrate([](double x) { return 1 / std::sqrt(x); }, 0.0, 1.0), 2},
        {GaussLegendre<16>([](double x) { return std::pow(x, 31); }, 0.0, 1.0), 1.0 / 32},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.got, c.want, 1e-12 * c.want) << &c - cases;
    }
    // Out of halvings: refused, or with a floor the Kronrod sum as it stands.
    EXPECT_THROW(AdaptiveKronrod(peak, -1.0, 1.0, 1e-9, 8), teletraffic::ConvergenceError);
    EXPECT_GT(AdaptiveKronrod(peak, -1.0, 1.0, 1e-9, 8, 1e-3), 0);
}

TEST(Roots, RootsKnownExactly) {
    const auto square = [](double x) { return x * x - 2; };
    const auto plastic = [](double x) { return x * x * x - x - 1; };
    const auto dottie = [](double x) { return std::cos(x) - x; };
    const auto log = [](double x) { return std::log(x) - std::log(2.0); };
    const struct {
        double got, want, tolerance;
    } cases[] = {
        {Root(square, Bracket<double>{1, 2, -1, 2}, "sqrt 2"), std::numbers::sqrt2, 4},
        {Root(plastic, Bracket<double>{1, 2, -1, 5}, "x^3 = x + 1"), 1.3247179572447460, 4},
        // Decreasing through its root, the cosine's fixed point.
        {Root(dottie, Bracket<double>{0, 1, 1, std::cos(1.0) - 1}, "cos x = x"),
         0.73908513321516064, 4},
        // To 20 bits only.
        {Root(square, Bracket<double>{1, 2, -1, 2}, "sqrt 2", 20), std::numbers::sqrt2, 1 << 23},
        // An end where f is infinite, moved in by halving.
        {Root(log, Bracket<double>{0, 8, -INFINITY, log(8.0)}, "log x = log 2"), 2, 4},
        // 0 at an end: that end.
        {Root(square, Bracket<double>{std::numbers::sqrt2, 2, 0, 2}, "sqrt 2"), std::numbers::sqrt2,
         0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.got, c.want, c.tolerance * DBL_EPSILON * c.want) << &c - cases;
    }
}

TEST(Roots, RefusesWhatIsNotABracketOrDoesNotConverge) {
    const auto square = [](double x) { return x * x - 2; };
    const Bracket<double> refused[] = {{2, 3, 2, 7}, {1, 2, NAN, 2}, {1, 2, -1, NAN}};
    for (const auto& b : refused) {
        EXPECT_THROW(Root(square, b, "sqrt 2"), teletraffic::ConvergenceError) << b.lo << b.fLo;
    }
    EXPECT_THROW(Root(square, Bracket<double>{1, 2, -1, 2}, "sqrt 2", 53, 2),
                 teletraffic::ConvergenceError);
}

TEST(Roots, BracketsAnIncreasingFunctionByDoublingSteps) {
    const auto minus3 = [](double x) { return x - 3; };
    const struct {
        double from;
        double (*f)(double);
        Bracketed found;
    } cases[] = {
        {0, [](double x) { return x - 3; }, Bracketed::Yes},   // up: 1, 3 (0 there), 7
        {100, [](double x) { return x - 3; }, Bracketed::Yes}, // down
        {0, [](double) { return 1.0; }, Bracketed::PositiveEverywhere},
        {0, [](double) { return -1.0; }, Bracketed::NotPositiveUpToTop},
    };
    for (const auto& c : cases) {
        const auto [found, b] = BracketIncreasing(c.f, c.from, c.f(c.from), 1.0, 50.0);
        EXPECT_EQ(found, c.found) << &c - cases;
        if (found == Bracketed::Yes) {
            EXPECT_TRUE(b.lo <= 3 && b.hi >= 3 && b.fLo == minus3(b.lo) && b.fHi == minus3(b.hi))
                << b.lo << " " << b.hi;
        }
    }
}

} // namespace
