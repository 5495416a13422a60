// Erlang X over an uncertain forecast: fresh calls Poisson given their rate,
// the rate Gamma distributed (shape k = calls^2/(variance - calls), mean
// A0), each share a ratio of expected counts over that law, the counts per
// fresh caller so that the rules' error cancels in each ratio.
//
// Method, tried in turn, each to a relative 1e-12 (rough searches 1e-8):
//   the law split at its turns, where the attempts meet the agents or the
//   queue fills its lines, when one is sharp against the law: each piece by
//   Gauss's rules for the law through its turn, the pieces weighed by the
//   incomplete gamma functions;
//   else Gauss's rules of 12 to 64 points for the Gamma law itself
//   (generalized Laguerre, Golub and Welsch), each checked against the one
//   before, trusted only as far as their gaps fall geometrically;
//   else Gauss's rules for the law seen through u = turn + width sinh(s),
//   where a turn of the counts is of width 1, found by Stieltjes' procedure
//   on Gauss-Legendre panels over the law's 1e-20 quantiles;
//   else (the counts not smooth over the law) Gauss-Kronrod in pieces split
//   at the mean and the turn, tanh-sinh from 0 below a shape of 4.
//
// References: G. Jongbloed and G. Koole, Managing uncertainty in call centres
// using Poisson mixtures, Appl. Stoch. Models Bus. Ind. 17 (2001) 307-318;
// G. H. Golub and J. H. Welsch, Math. Comp. 23 (1969) 221-230; W. Gautschi,
// SIAM J. Sci. Stat. Comput. 3 (1982) 289-317.
#include "teletraffic/erlang_x/forecast.h"

#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/gauss_rules.h"
#include "teletraffic/numerics/quadrature.h"

#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/special_functions/log1p.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <numeric>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace teletraffic::erlang_x {
namespace {

// The Gamma law's quantiles and tails, Boost's but where its series gives
// up (a shape from some 1e11 on, the law within a millionth of its mean):
// there Wilson and Hilferty's cube of the normal's quantile, whose error is
// far below what the law's span needs, and the engine's own tails
// (gamma_ratio.h, by Temme's expansion there).
template <typename Real> Real GammaQuantile(Real k, Real q, bool upper) {
    try {
        return upper ? boost::math::gamma_q_inv(k, q) : boost::math::gamma_p_inv(k, q);
    } catch (const boost::math::evaluation_error&) {
        const Real z = std::sqrt(Real(2)) * boost::math::erfc_inv(2 * q) * (upper ? 1 : -1);
        const Real s = 1 / (9 * k);
        const Real cube = 1 - s + z * std::sqrt(s);
        return k * cube * cube * cube;
    }
}
template <typename Real> Real GammaTail(Real k, Real x, bool upper) {
    try {
        return upper ? boost::math::gamma_q(k, x) : boost::math::gamma_p(k, x);
    } catch (const boost::math::evaluation_error&) {
        return upper ? UpperGammaTail(x, k) : LowerGammaTail(x, k);
    }
}

// The fresh traffic's Gamma law seen through u = turn + width sinh(s): a turn
// of the counts sharp against the law (callers waiting once the traffic
// passes the agents, a queue's many lines filling) is of width 1 in s, and
// counts that vary over the law in u vary smoothly in s, so that Gauss's
// rules for the law in s need few points. The law in s has no classical
// rule: it is laid on Gauss-Legendre panels over its quantiles at 1e-20,
// and its recurrence found by Stieltjes' procedure on them.
template <typename Real> class MappedLaw {
public:
    MappedLaw(Real A0, Real k, Real lo, Real hi, Real turn, Real width)
        : turn_(turn)
        , width_(width)
        , rules_(Lay(A0, k, lo, hi, turn, width, most_)) {}

    // The mass of the law the panels hold and its mean, the mass as a
    // logarithm, relative to the density at the law's mean.
    std::pair<Real, Real> LogMassAndMean() const {
        const std::vector<Real>& s = rules_.Points();
        const std::vector<Real>& weight = rules_.Weights();
        Real mass = 0;
        Real mean = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            mass += weight[i];
            mean += weight[i] * Traffic(s[i]);
        }
        return {std::log(mass) + most_, mean / mass};
    }

    // Whether the panels hold the law: its mean and variance as they give
    // them, to some units in the last place.
    bool Holds(Real A0, Real k) const {
        const std::vector<Real>& s = rules_.Points();
        const std::vector<Real>& weight = rules_.Weights();
        Real mass = 0;
        for (const Real w : weight) {
            mass += w;
        }
        const Real mean = LogMassAndMean().second;
        Real spread = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const Real d = Traffic(s[i]) - mean;
            spread += weight[i] * d * d;
        }
        spread /= mass;
        return std::fabs(mean - A0) <= 16 * kEpsilon<Real> * A0 &&
               std::fabs(spread * k / (A0 * A0) - 1) <= 64 * kEpsilon<Real>;
    }

    // Gauss's rule of n points for the law: traffics and weights (summing
    // to 1).
    bool GaussRule(int n, Real* node, Real* weight) {
        if (!rules_.Rule(n, node, weight)) {
            return false;
        }
        for (int i = 0; i < n; ++i) {
            node[i] = Traffic(node[i]);
        }
        return true;
    }

private:
    Real Traffic(Real s) const { return turn_ + width_ * std::sinh(s); }

    // The law in s on Gauss-Legendre's panels: their nodes, and the weights
    // relative to the largest, whose log is `most`.
    static DiscreteMeasureRules<Real> Lay(Real A0, Real k, Real lo, Real hi, Real turn, Real width,
                                          Real& most) {
        using Legendre = boost::math::quadrature::gauss<Real, 20>;
        const auto& x = Legendre::abscissa();
        const auto& w = Legendre::weights();
        const Real s0 = std::asinh((lo - turn) / width);
        const Real s1 = std::asinh((hi - turn) / width);
        const Real even = (s1 - s0) / kPanels;
        // From 0 (a shape below 4, where the law's power of u is not smooth),
        // the first panel graded towards it by tenths: each then holds a
        // power smooth across it, and the last, 1e-25 of the panel, a mass
        // below every digit from a shape of 1 on.
        std::vector<std::pair<Real, Real>> panels; // middle and width
        for (int q = 0; q < kPanels; ++q) {
            panels.emplace_back(s0 + (q + Real(0.5)) * even, even);
        }
        if (lo == 0) {
            panels.front() = {s0 + even * Real(0.55), even * Real(0.9)};
            for (Real far = even / 10; far > even * Real(1e-25); far /= 10) {
                panels.emplace_back(s0 + far * Real(0.55), far * Real(0.9));
            }
        }
        std::vector<Real> s;
        std::vector<Real> weight;
        most = -INFINITY;
        for (const auto& [mid, panel] : panels) {
            for (std::size_t i = 0; i < x.size(); ++i) {
                for (const int side : {-1, 1}) {
                    if (x[i] == 0 && side > 0) {
                        continue;
                    }
                    const Real sv = mid + side * x[i] * panel / 2;
                    const Real u = turn + width * std::sinh(sv);
                    s.push_back(sv);
                    // The density relative to its value at the mean, as the
                    // pieces take it, times du/ds and the panel's weight.
                    const Real d = (u - A0) / A0;
                    const Real log = !(u > 0) ? -INFINITY
                                     : std::fabs(d) < Real(0.5)
                                         ? (k - 1) * boost::math::log1pmx(d) - d
                                         : (k - 1) * std::log(u / A0) - k * d;
                    weight.push_back(log + std::log(width * std::cosh(sv) * w[i] * panel / 2));
                    most = std::fmax(most, weight.back());
                }
            }
        }
        for (Real& l : weight) {
            l = std::exp(l - most);
        }
        return {std::move(s), std::move(weight)};
    }

    // Enough for the law's moments to the last digits down to a shape of 4
    // (below, with the first panel graded towards 0).
    static constexpr int kPanels = 16;
    Real turn_;
    Real width_;
    Real most_ = 0; // the log of the largest weight, which is kept as 1
    DiscreteMeasureRules<Real> rules_;
};

constexpr std::array<int, 5> kRulePoints{12, 20, 32, 48, 64};

// The law's expected counts by Gauss's rules of 12 to 64 points, `rule(n,
// traffics, weights)`: exact for counts polynomial in the rule's variable,
// so few points where the counts are smooth in it over the law. Each rule
// is checked against the one before; where the counts are analytic about
// the law their gaps fall geometrically in the points, and the last three
// gaps say what the newest rule's own error is. None where they do not fall
// so, or the rule cannot be built.
template <typename Real, typename BuildRule>
std::optional<Counts<Real>> CountsByRuleSequence(const BuildRule& rule, const Centre& c, Real t,
                                                 Basis basis, Need need, Real relative) {
    // Met by a gap a tenth of the error allowed, or by an error foreseen a
    // hundredth of it (the gaps may fall a little slower than geometrically).
    std::optional<Counts<Real>> before;
    Real gapBefore = 0;
    Real rateBefore = 1;
    RuleArray<Real> node{};
    RuleArray<Real> weight{};
    for (std::size_t j = 0; j < kRulePoints.size(); ++j) {
        const int n = kRulePoints[j];
        if (!rule(n, node.data(), weight.data())) {
            return std::nullopt;
        }
        // In the order of the traffics: each redial root bracketed from the
        // one before.
        std::array<int, kMostPoints> order{};
        std::iota(order.begin(), order.begin() + n, 0);
        std::sort(order.begin(), order.begin() + n,
                  [&](int x, int y) { return node[x] < node[y]; });
        Counts<Real> sum(0);
        NearbyRoots<Real> near;
        for (int o = 0; o < n; ++o) {
            const int i = order[o];
            if (node[i] > 0 && weight[i] > 0) {
                sum += CountsAt(node[i], c, t, basis, need, &near) * weight[i];
            }
        }
        if (before) {
            Real gap = 0; // the largest disagreement, relative
            Counts<Real>::EachMember([&](auto m) {
                const Real d = std::fabs(sum.*m - (*before).*m);
                gap = d == 0 ? gap : std::fmax(gap, d / std::fabs(sum.*m));
            });
            if (gap <= (j + 1 == kRulePoints.size() ? relative : relative / 10)) {
                return sum;
            }
            // Far from converging: the counts are not smooth over the law.
            // (Not yet judged at 20 points: a count of 1e-29, a blocking on
            // lines far above the traffic, may be off by a third at 12 and
            // exact at 48.)
            if (j >= 2 && !(gap <= Real(1e-3))) {
                return std::nullopt;
            }
            if (j >= 2) {
                // The error's fall per point, from the last two gaps.
                const Real rate =
                    std::pow(gap / gapBefore,
                             1 / static_cast<Real>(kRulePoints[j - 1] - kRulePoints[j - 2]));
                // Foreseen at the slower of the last two falls, once there are
                // two (a first gap from 12 points may fall by luck), and only
                // the last digits: the falls may slow (a shape below 1 at 0.3
                // per point from a gap of 1e-8 left 1.5e-12, not 4e-15).
                if (gap <= 10 * relative && rate < 1 && rateBefore < 1 &&
                    gap * std::pow(std::fmax(rate, rateBefore), n - kRulePoints[j - 1]) <=
                        relative / 100) {
                    return sum;
                }
                // Not even the last rule would come near, at the faster.
                if (rate < 1 && gap * std::pow(rate, kRulePoints.back() - kRulePoints[j - 1]) >
                                    relative * 1000) {
                    return std::nullopt;
                }
                rateBefore = rate;
            }
            gapBefore = gap;
        }
        before = sum;
    }
    return std::nullopt;
}

// Where the counts turn as the attempts meet the agents, in fresh traffic
// (the redials of the lost raise the attempts above it), and how sharply:
// over the agents' deviation, or the queue's lines' own span where it is
// narrower (a queue of m positions without patience fills across some
// 2 pi N/m of traffic).
template <typename Real> std::pair<Real, Real> TurnOf(const Centre& c) {
    const auto N = static_cast<Real>(c.agents);
    Real width = std::sqrt(N);
    if (c.limited && !c.hangUps && c.queueLines > 0) {
        width =
            std::fmin(width, 2 * std::numbers::pi_v<Real> * N / static_cast<Real>(c.queueLines));
    }
    const auto r = static_cast<Real>(c.redial);
    const Real kept = r == 0 ? Real(1) : SharesOf(ChainAt(N, c), c).kept;
    return {N * ((1 - r) + r * kept), width};
}

// The quantiles of the Gamma law of shape k and scale 1 the ways take: the
// adaptive pieces' seven, and at 1e-20 below (from a shape of 4) and above.
// Of the last shape asked, as its rules are: a search and a day's intervals
// ask again at one shape, and at a shape of 1e9 Boost's inverse costs as
// much as some hundred centres.
constexpr std::array<double, 7> kUnitQuantiles{1e-3, 0.05, 0.25, 0.5, 0.75, 0.95, 0.999};
template <typename Real> struct LawQuantiles {
    Real shape = -1;
    std::array<Real, kUnitQuantiles.size()> inner{};
    Real lo = 0;
    Real hi = 0;
};
template <typename Real> const LawQuantiles<Real>& QuantilesOf(Real k) {
    thread_local LawQuantiles<Real> last;
    if (last.shape != k) {
        LawQuantiles<Real> q;
        for (std::size_t i = 0; i < kUnitQuantiles.size(); ++i) {
            q.inner[i] = GammaQuantile(k, static_cast<Real>(kUnitQuantiles[i]), false);
        }
        q.lo = k < 4 ? Real(0) : GammaQuantile(k, Real(1e-20), false);
        q.hi = GammaQuantile(k, Real(1e-20), true);
        q.shape = k;
        last = q;
    }
    return last;
}

// The law's quantiles at 1e-20, beyond which nothing counts; below a shape
// of 4, from 0 (where the panels are graded towards it).
template <typename Real> std::pair<Real, Real> LawSpan(Real A0, Real k) {
    const Real theta = A0 / k;
    const LawQuantiles<Real>& q = QuantilesOf(k);
    return {theta * q.lo, theta * q.hi};
}

} // namespace

template <typename Real>
Counts<Real> CountsAt(Real u, const Centre& c, Real t, Basis basis, Need need,
                      NearbyRoots<Real>* near) {
    const Point<Real> p = PointAt<Real>(u, c, t, basis, need, near);
    const Real A = p.attempts;
    const Real accepted = A * p.shares.pass;
    const Real answered = accepted * p.shares.answered;
    const Real kept = accepted * p.service.kept;
    Counts<Real> n = CountEntries<Real>{.attempts = A,
                                        .blocked = A * p.shares.blocking,
                                        .accepted = accepted,
                                        .waiting = accepted * p.shares.wait,
                                        .abandoned = accepted * p.shares.abandon,
                                        .answered = answered,
                                        .answeredWaits = answered * p.service.answeredWait,
                                        .levelMet = kept * p.service.level,
                                        .levelMissed = kept * p.service.miss,
                                        .levelWhole = kept,
                                        .freshLost = u * p.callersLost,
                                        .fresh = u};
    if (c.seenByCalls) {
        Counts<Real>::EachMember([&](auto m) { n.*m /= u; });
    }
    return n;
}

// Each share a ratio of expected counts over the fresh traffic's Gamma law
// (shape k, mean A0): tanh-sinh below the mean (which takes the density's
// pole at 0 for k < 1), exp-sinh above it in units of its standard
// deviation; each count relative to its value at the mean, and per fresh
// caller, so that the quadrature's error cancels in each ratio.
template <typename Real>
Counts<Real> CountsByAdaptivePieces(Real A0, const Centre& c, Real t, Basis basis, Need need,
                                    Real relative) {
    const auto k = static_cast<Real>(c.shape);
    const Real theta = A0 / k;
    // The density relative to its value at the mean, its constant cancelling
    // in every ratio: (k - 1) log(u/A0) - k (u/A0 - 1), whose terms near the
    // mean would each be of the size of k, as (k - 1) log1pmx(d) - d.
    const auto logDensity = [&](Real u) {
        const Real d = (u - A0) / A0;
        return std::fabs(d) < Real(0.5) ? (k - 1) * boost::math::log1pmx(d) - d
                                        : (k - 1) * std::log(u / A0) - k * d;
    };
    // Each count held to its own size: its largest weighted value over
    // seven quantiles of the law (a count may vary by 1e25 across a wide
    // law, the service level's from nearly all to nearly none); one far
    // below the largest (a blocking or a miss of 1e-100, whose digits the
    // forms that give them do not keep) to 1e-30 of the largest's.
    Counts<Real> unit(0);
    const LawQuantiles<Real>& quantiles = QuantilesOf(k);
    for (const Real q : quantiles.inner) {
        const Real u = theta * q;
        const Real weight = u > 0 ? std::exp(logDensity(u)) : 0;
        if (weight > 0) {
            const Counts<Real> n = CountsAt(u, c, t, basis, need);
            Counts<Real>::EachMember(
                [&](auto m) { unit.*m = std::fmax(unit.*m, std::fabs(n.*m) * weight); });
        }
    }
    const Real floor = std::fmax(abs(unit) * Real(1e-30), std::numeric_limits<Real>::min());
    Counts<Real>::EachMember([&](auto m) { unit.*m = 1 / std::fmax(unit.*m, floor); });
    NearbyRoots<Real> near;
    const auto f = [&](Real u) {
        const Real log = u > 0 ? logDensity(u) : -INFINITY;
        if (!(log > -750)) {
            return Counts<Real>(0); // below every digit: no centre evaluated there
        }
        Counts<Real> n = CountsAt(u, c, t, basis, need, &near);
        const Real density = std::exp(log);
        Counts<Real>::EachMember([&](auto m) { n.*m *= unit.*m * density; });
        return n;
    };
    // The law's mass between its quantiles at 1e-20, by Gauss-Kronrod in
    // pieces: split at the mean, and where the traffic meets the agents
    // (within three of their standard deviations, less the redials'
    // share), the counts' one sharp turn.
    // Below a shape of 4 the law reaches down to nearly 0, where its power
    // of u is not smooth: its first piece from 0 by tanh-sinh.
    const bool fromZero = k < 4;
    const Real lo = theta * quantiles.lo;
    const Real hi = theta * quantiles.hi;
    const auto N = static_cast<Real>(c.agents);
    const Real spread = 3 * std::sqrt(N) + 1;
    const auto r = static_cast<Real>(c.redial);
    std::array<Real, 7> points{lo, A0, hi, lo, lo, lo, lo};
    if (theta * std::sqrt(k) > 4 * spread) {
        // A law wide against the turn's own width: otherwise smooth over it.
        points = {lo, A0, hi, N - spread, N + spread, (1 - r) * N - spread, (1 - r) * N + spread};
    }
    for (Real& p : points) {
        p = std::clamp(p, lo, hi);
    }
    std::sort(points.begin(), points.end());
    // Each count is known to some units in its last digits at a node: held
    // to 1e-12, Gauss-Kronrod's estimate falls far short of its error. Deep
    // halvings for a queue of many lines without patience near the agents:
    // its level falls from all to none across some 1/lines of the traffic.
    // Rough figures, for a search's verdicts clear of its targets, to their
    // own error (the gap to Gauss's rule of 15 points overstates it).
    const Real tolerance = std::fmax(std::sqrt(kEpsilon<Real>) * Real(1e-4), relative);
    Counts<Real> total(0);
    bool first = true;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (!(points[i + 1] > points[i])) {
            continue;
        }
        // The counts' own digits: a redial root near 1 or a count of a few
        // units in its last places leaves the rules disagreeing below some
        // 1e-15 of the piece, however short the panels; a thousand such
        // panels at most keep 1e-12.
        total +=
            first && fromZero
                ? TanhSinh<Real>().integrate(f, points[i], points[i + 1], std::sqrt(kEpsilon<Real>))
                : RelativeKronrod(f, points[i], points[i + 1], tolerance, 24, Real(1e-15));
        first = false;
    }
    Counts<Real>::EachMember([&](auto m) { total.*m /= unit.*m; });
    return total;
}

// Gauss's rules for the Gamma law itself, of the last shape asked (for the
// searches and the day's intervals that ask again), each built when first
// asked for: their eigenvalues cost as much as some ten points.
template <typename Real>
std::optional<Counts<Real>> CountsByGammaRule(Real A0, const Centre& c, Real t, Basis basis,
                                              Need need, Real relative) {
    struct RulesOfShape {
        Real shape = -1;
        std::array<RuleArray<Real>, kRulePoints.size()> node{}, weight{};
        std::array<int, kRulePoints.size()> found{}; // 0 not built, 1 found, -1 QL stalled
    };
    thread_local RulesOfShape rules;
    const auto k = static_cast<Real>(c.shape);
    if (rules.shape != k) {
        rules.shape = k;
        rules.found.fill(0);
    }
    const auto rule = [&](int n, Real* node, Real* weight) {
        const auto j = static_cast<std::size_t>(
            std::find(kRulePoints.begin(), kRulePoints.end(), n) - kRulePoints.begin());
        if (rules.found[j] == 0) {
            rules.found[j] =
                GammaLawRule(k, n, rules.node[j].data(), rules.weight[j].data()) ? 1 : -1;
        }
        for (int i = 0; i < n; ++i) {
            // The smallest node of a small shape, rounded, may fall below 0.
            node[i] = A0 * std::fmax(1 + rules.node[j][i], Real(0));
            weight[i] = rules.weight[j][i];
        }
        return rules.found[j] > 0;
    };
    return CountsByRuleSequence<Real>(rule, c, t, basis, need, relative);
}

// Gauss's rules for the law through the turn where the attempts meet the
// agents. Not for a shape below 1, whose density is not finite at 0.
template <typename Real>
std::optional<Counts<Real>> CountsThroughTheTurn(Real A0, const Centre& c, Real t, Basis basis,
                                                 Need need, Real relative) {
    const auto k = static_cast<Real>(c.shape);
    const auto N = static_cast<Real>(c.agents);
    if (k < 1 || !(N > 0)) {
        return std::nullopt;
    }
    const auto [lo, hi] = LawSpan(A0, k);
    const auto [turn, width] = TurnOf<Real>(c);
    MappedLaw<Real> law(A0, k, lo, hi, std::clamp(turn, lo, hi), width);
    if (!law.Holds(A0, k)) {
        return std::nullopt;
    }
    const auto rule = [&](int n, Real* node, Real* weight) {
        return law.GaussRule(n, node, weight);
    };
    return CountsByRuleSequence<Real>(rule, c, t, basis, need, relative);
}

// The turns worth splitting the law at, in order, or none: where the
// attempts meet the agents, and with patience where the queue they form
// fills the lines (its mean, (A - N) patience/aht, reaching them), those
// inside the law; worth it where one is sharp against the law, or two lie
// apart within its bulk and one is narrower than it. Rules over the whole
// law, or through one turn, follow neither. None with redials: the turns
// lie where the attempts, not the fresh calls, meet them, known in fresh
// traffic too roughly to split at; none for a shape below 1, whose density
// is not finite at 0. With the law's span, the pieces' outer ends.
template <typename Real> Turns<Real> TurnsWorthSplitting(Real A0, const Centre& c) {
    const auto k = static_cast<Real>(c.shape);
    const auto N = static_cast<Real>(c.agents);
    if (k < 1 || !(N > 0) || c.redial > 0) {
        return {};
    }
    const Real deviation = A0 / std::sqrt(k);
    std::vector<std::pair<Real, Real>> turns{TurnOf<Real>(c)};
    if (c.limited && c.hangUps) {
        // Across the queue's own spread there, of some sqrt(A patience/aht)
        // positions: the more patient the callers, the sharper.
        const Real A = N + static_cast<Real>(c.queueLines) / static_cast<Real>(c.ratio);
        const Real width = std::sqrt(A / static_cast<Real>(c.ratio));
        if (A - N > width) {
            turns.emplace_back(A, width);
        }
    }
    // Within some twelve deviations of the mean first, before the quantiles' cost.
    std::erase_if(turns,
                  [&](const auto& turn) { return !(std::fabs(turn.first - A0) < 12 * deviation); });
    if (turns.empty()) {
        return {};
    }
    Turns<Real> split;
    std::tie(split.lo, split.hi) = LawSpan(A0, k);
    std::erase_if(
        turns, [&](const auto& turn) { return !(turn.first > split.lo && turn.first < split.hi); });
    const bool sharp = turns.size() == 1 && turns[0].second < deviation / 4;
    const bool two =
        turns.size() == 2 &&
        std::fmax(std::fabs(turns[0].first - A0), std::fabs(turns[1].first - A0)) < 4 * deviation &&
        std::fmin(turns[0].second, turns[1].second) < deviation;
    if (!sharp && !two) {
        return {};
    }
    std::sort(turns.begin(), turns.end());
    split.at = std::move(turns);
    return split;
}

// The law split at those turns, each piece by Gauss's rules through the
// turn at its end; each piece weighs its share of the law, from the
// incomplete gamma functions, and the panels must give those shares and
// each piece's mean.
template <typename Real>
std::optional<Counts<Real>> CountsInRuledPieces(Real A0, const Centre& c, Real t, Basis basis,
                                                Need need, const Turns<Real>& split,
                                                Real relative) {
    const auto k = static_cast<Real>(c.shape);
    const Real theta = A0 / k;
    const auto& turns = split.at;
    // Pieces [lo, t1], [t1, t2], ..., [tn, hi], each through its own turn:
    // the first's right end, every other's left one.
    Counts<Real> total(0);
    std::vector<Real> ends{split.lo};
    for (const auto& turn : turns) {
        ends.push_back(turn.first);
    }
    ends.push_back(split.hi);
    std::vector<Real> masses;
    std::vector<Real> logs; // the panels' masses, relative
    std::vector<Counts<Real>> counts;
    for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
        const Real a = ends[i];
        const Real b = ends[i + 1];
        const auto& turn = turns[i == 0 ? 0 : i - 1];
        // The law's share and mean over [a, b], each difference of the
        // smaller tails.
        const bool upper = a > A0;
        const auto tail = [&](Real shape, Real u) { return GammaTail(shape, u / theta, upper); };
        const Real mass = upper ? tail(k, a) - tail(k, b) : tail(k, b) - tail(k, a);
        const Real first =
            upper ? tail(k + 1, a) - tail(k + 1, b) : tail(k + 1, b) - tail(k + 1, a);
        MappedLaw<Real> law(A0, k, a, b, turn.first, turn.second);
        const auto [logMass, mean] = law.LogMassAndMean();
        if (!(mass > 0) || !(std::fabs(mean / (A0 * first / mass) - 1) <= 16 * kEpsilon<Real>)) {
            return std::nullopt;
        }
        const auto rule = [&](int n, Real* node, Real* weight) {
            return law.GaussRule(n, node, weight);
        };
        const std::optional<Counts<Real>> piece =
            CountsByRuleSequence<Real>(rule, c, t, basis, need, relative);
        if (!piece) {
            return std::nullopt;
        }
        masses.push_back(mass);
        logs.push_back(logMass);
        counts.push_back(*piece);
    }
    // The panels' shares as the law's.
    Real sumMass = 0;
    Real sumPanels = 0;
    for (std::size_t i = 0; i < masses.size(); ++i) {
        sumMass += masses[i];
        sumPanels += std::exp(logs[i] - logs[0]);
    }
    for (std::size_t i = 0; i < masses.size(); ++i) {
        if (!(std::fabs(std::exp(logs[i] - logs[0]) / sumPanels / (masses[i] / sumMass) - 1) <=
              16 * kEpsilon<Real>)) {
            return std::nullopt;
        }
        total += counts[i] * (masses[i] / sumMass);
    }
    return total;
}

template <typename Real>
LawCounts<Real> CountsOverTheLaw(Real A0, const Centre& c, Real t, Basis basis, Need need,
                                 Real relative) {
    const auto k = static_cast<Real>(c.shape);
    if (k < static_cast<Real>(kSeenShape) && !c.seenByCalls) {
        // Below this shape the law's density, u^(k - 1) near 0, holds nearly
        // all its mass where almost no calls come: each count is its fresh
        // traffic u times a share, and E[u g(u)] = A0 E'[g(u)] over the law
        // of shape k + 1 and mean A0 (k + 1)/k, the traffic the calls meet,
        // whose density is finite. Every figure is a ratio of such counts.
        Centre seen = c;
        seen.shape = c.shape + 1;
        seen.seenByCalls = true;
        return CountsOverTheLaw(A0 * (k + 1) / k, seen, t, basis, need, relative);
    }
    const Turns<Real> turns = TurnsWorthSplitting(A0, c);
    if (!turns.at.empty()) {
        if (auto pieces = CountsInRuledPieces(A0, c, t, basis, need, turns, relative)) {
            return {*pieces, ForecastMethod::RuledPieces};
        }
    } else if (auto gamma = CountsByGammaRule(A0, c, t, basis, need, relative)) {
        return {*gamma, ForecastMethod::GammaRule};
    } else if (auto mapped = CountsThroughTheTurn(A0, c, t, basis, need, relative)) {
        return {*mapped, ForecastMethod::ThroughTheTurn};
    }
    return {CountsByAdaptivePieces(A0, c, t, basis, need, relative),
            ForecastMethod::AdaptivePieces};
}

template <typename Real>
Figures<Real> FiguresOfCounts(const Counts<Real>& total, Real A0, const Centre& c) {
    // Shares of their wholes: at most 1, whatever the rounding.
    const auto ratio = [](Real u, Real v) { return v == 0 ? Real(0) : std::fmin(u / v, Real(1)); };
    Figures<Real> fig{};
    fig.attempts = total.attempts / total.fresh * A0;
    fig.blocking = ratio(total.blocked, total.attempts);
    fig.wait = ratio(total.waiting, total.accepted);
    fig.abandon = ratio(total.abandoned, total.accepted);
    const Real patience = ModelPatience<Real>(c);
    // Without patience beyond an aht of 1.8e208, in handling times first.
    fig.averageWait = std::isfinite(patience)
                          ? fig.abandon * patience
                          : fig.abandon * RatioIn<Real>(c) * static_cast<Real>(c.aht);
    fig.answeredWait = total.answered == 0 ? 0 : total.answeredWaits / total.answered;
    fig.occupancy =
        c.agents == 0
            ? 0
            : std::fmin(total.answered / total.fresh * A0 / static_cast<Real>(c.agents), Real(1));
    fig.level = ratio(total.levelMet, total.levelWhole);
    fig.miss = total.levelWhole == 0 ? Real(1) : total.levelMissed / total.levelWhole;
    fig.callersLost = total.freshLost / total.fresh;
    return fig;
}

template <typename Real>
Figures<Real> ForecastFigures(Real A0, const Centre& c, Real t, Basis basis, Need need,
                              Real relative) {
    return FiguresOfCounts(CountsOverTheLaw(A0, c, t, basis, need, relative).counts, A0, c);
}

template Counts<double> CountsAt(double, const Centre&, double, Basis, Need, NearbyRoots<double>*);
template Counts<long double> CountsAt(long double, const Centre&, long double, Basis, Need,
                                      NearbyRoots<long double>*);
template Counts<double> CountsByAdaptivePieces(double, const Centre&, double, Basis, Need, double);
template Counts<long double> CountsByAdaptivePieces(long double, const Centre&, long double, Basis,
                                                    Need, long double);
template std::optional<Counts<double>> CountsByGammaRule(double, const Centre&, double, Basis, Need,
                                                         double);
template std::optional<Counts<long double>>
CountsByGammaRule(long double, const Centre&, long double, Basis, Need, long double);
template std::optional<Counts<double>> CountsThroughTheTurn(double, const Centre&, double, Basis,
                                                            Need, double);
template std::optional<Counts<long double>>
CountsThroughTheTurn(long double, const Centre&, long double, Basis, Need, long double);
template Turns<double> TurnsWorthSplitting(double, const Centre&);
template Turns<long double> TurnsWorthSplitting(long double, const Centre&);
template std::optional<Counts<double>> CountsInRuledPieces(double, const Centre&, double, Basis,
                                                           Need, const Turns<double>&, double);
template std::optional<Counts<long double>> CountsInRuledPieces(long double, const Centre&,
                                                                long double, Basis, Need,
                                                                const Turns<long double>&,
                                                                long double);
template LawCounts<double> CountsOverTheLaw(double, const Centre&, double, Basis, Need, double);
template LawCounts<long double> CountsOverTheLaw(long double, const Centre&, long double, Basis,
                                                 Need, long double);
template Figures<double> FiguresOfCounts(const Counts<double>&, double, const Centre&);
template Figures<long double> FiguresOfCounts(const Counts<long double>&, long double,
                                              const Centre&);
template Figures<double> ForecastFigures(double, const Centre&, double, Basis, Need, double);
template Figures<long double> ForecastFigures(long double, const Centre&, long double, Basis, Need,
                                              long double);

} // namespace teletraffic::erlang_x
