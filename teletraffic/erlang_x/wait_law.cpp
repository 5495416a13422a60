// The wait's law over Erlang X's queue cut at m positions. From queue
// position k the wait to an agent, in units of patience, is V = sum_(i<=k)
// Exp(a + i), so that 1 - e^-V is Beta(k + 1, a); over the positions the
// wait has the density a e^(-(a+1) v + y) Q(m, y), y = x (1 - e^-v), Q the
// Poisson distribution's (the regularized upper incomplete gamma function),
// with its moments v (the answered's waits) and e^v - 1 (those who hang up).
//
// Method: the density's mode is found where its log's slope, concave in y,
// is 0 (TOMS 748), and the offsets on both sides where it has fallen by
// e^-45, by doubling steps; then Gauss-Kronrod's rules, halved where they
// disagree, on the pieces between those points and the target time, each
// side held to its own size; beyond v = 40 + log x, where y is x to the last
// digit, in closed form (the density falls as e^-(a + 1) v). The log density
// is taken as differences from the mode in extended precision: far into the
// overload its terms run to some 1e5 and would leave double's rounding on
// every node. Used where the cut lies within the spread of a queue of more
// than 4096 positions, where both closed forms of the window cancel.
//
// References: R. Piessens et al., QUADPACK (1983); G. E. Alefeld, F. A.
// Potra and Y. Shi, ACM Trans. Math. Software 21 (1995) 327-344.
#include "teletraffic/erlang_x/wait_law.h"

#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/quadrature.h"
#include "teletraffic/numerics/roots.h"

#include <boost/math/special_functions/log1p.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace teletraffic::erlang_x {
namespace {

// The density of the wait to an agent over the queue, in units of patience,
// a e^(-(a + 1) v + y) Q(m, y) with y = x (1 - e^-v), cut at m queue lines,
// with its moments v and e^v - 1 (the answered wait, and those who hang up).
// Integrated in the offset d from the density's mode, which is found, with
// the points where it has fallen by e^-45, where it is concave: in y.
template <typename Real> class WaitLaw {
public:
    using Parts = WaitLawParts<Real>;

    WaitLaw(Real x, Real a, Real m)
        : x_(x)
        , a_(a)
        , m_(m) {
        // The mode: d/dy of log density = 1 - (a + 1)/(x - y) - h(y), h the
        // Gamma(m) hazard, 1/U(y, m), all falling in y.
        const Real top = x - a - 1; // the mode without a cut
        Real y = std::fmax(top, Real(0));
        const auto slope = [&](Real u) {
            return 1 - (a + 1) / (x - u) - (u > 0 ? 1 / Plain(GammaRatio(u, m)) : 0);
        };
        // Unless the cut lies far beyond the untruncated mode, which it then
        // leaves where it was.
        if (top > 0 && slope(top) < 0) {
            Real hi = std::fmin(top, 2 * std::fmax(m, m * x / (a + m)) + 10 * std::sqrt(m) + 10);
            if (!(slope(hi) < 0)) {
                hi = top;
            }
            y = RootWithin(slope, Real(0), hi);
        }
        yRef_ = y;
        vRef_ = -std::log1p(-y / x);
        // The log density's differences in extended precision: where the cut
        // holds the mode far from the untruncated one, its terms run to some
        // 1e5 and would leave double's rounding on every node.
        wide_.a = a;
        wide_.m = m;
        wide_.yRef = y;
        wide_.xRef = static_cast<Wide>(x) - y; // x e^-vref
        wide_.kappa = wide_.xRef - (wide_.a + 1);
        wide_.logQRef = LogQ(wide_.yRef);
        if (y > m) {
            wide_.gammaRef = Plain(GammaRatio(wide_.yRef, wide_.m));
            wide_.linear = (wide_.a + 1) - (wide_.m - 1) * (wide_.xRef / wide_.yRef);
        }
        const auto logQRef = static_cast<Real>(wide_.logQRef);
        // log a + log density at the mode, -(a + 1) v + y, as (a + 1) log1pmx(-u) + (x - a - 1) u.
        const Real u = y / x;
        scale_ = std::log(a) + (a + 1) * (std::log1p(-u) + u) + (x - a - 1) * u + logQRef;
        if (u < Real(0.5)) {
            scale_ = std::log(a) + (a + 1) * boost::math::log1pmx(-u) + (x - a - 1) * u + logQRef;
        }
        // Beyond vEnd, y is x to the last digit: the density falls as e^-(a + 1) v.
        vEnd_ = 40 + std::fmax(std::log(x), Real(0));
        // Where the density (answered) and its virtual form (times e^v) have
        // fallen by e^-45, the first below the mode, the second above: by
        // steps doubling from the least width the density can have.
        const Real least = 1 / (a + 1 + 2 * x);
        vLo_ = vRef_ - FallOffset([&](Real d) { return LogDensity(-d); }, least, vRef_);
        vHi_ = vRef_ + FallOffset([&](Real d) { return LogDensity(d) + d; }, least, vEnd_ - vRef_);
        // The moments scaled to the density's size near its mass.
        width_ = std::fmax(vRef_, (vHi_ - vLo_) / 9);
        growth_ = std::expm1(width_);
    }

    // The integrals over [0, w] and [w, infinity) (w infinite: all in `within`).
    // Pieces between the mass's ends and its mode; where w lies outside the
    // mass, the piece beyond it counts in full, and a point within the
    // density's fall from w keeps Gauss-Kronrod's nodes on it.
    Parts Integrate(Real w) const {
        if (w == INFINITY) {
            // All of it: the two sides of the mode, each to its own size (past
            // vHi the density is below e^-45 of its peak, save the tail of a
            // virtual wait that falls slowly).
            Parts all{RelativeKronrod([&](Real d) { return MomentsAt(d); }, vLo_ - vRef_, Real(0),
                                      64 * kEpsilon<Real>),
                      WaitMoments<Real>(0), scale_};
            all.within += RelativeKronrod([&](Real d) { return MomentsAt(d); }, Real(0),
                                          vHi_ - vRef_, 64 * kEpsilon<Real>);
            if (vHi_ == vEnd_) {
                all.within += TailBeyond(vEnd_);
            }
            all.within.answeredWaits *= width_;
            all.within.abandoned *= growth_;
            return all;
        }
        const Real lower = w < vLo_ ? 0 : vLo_;
        const Real upper = w > vHi_ ? vEnd_ : vHi_;
        std::array<Real, 8> points{lower, vLo_, vRef_, vHi_, upper, std::fmin(w, vEnd_),
                                   lower, upper};
        if (w < vLo_ || (w > vHi_ && w < vEnd_)) {
            const Real fall = 45 / std::fabs(Slope(w - vRef_));
            points[6] = w < vLo_ ? std::fmax(w - fall, Real(0)) : std::fmin(w + fall, vEnd_);
        }
        std::sort(points.begin(), points.end());
        // Each side held to its own size, from a first estimate of its pieces.
        std::array<std::pair<Real, Real>, 7> pieces{};
        std::array<bool, 7> inside{};
        std::array<Real, 2> size{0, 0};
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            pieces[i] = {std::fmax(points[i], lower), std::fmin(points[i + 1], upper)};
            inside[i] = pieces[i].second <= w;
            if (pieces[i].second > pieces[i].first) {
                size[inside[i] ? 0 : 1] += abs(
                    IntegratePanel(pieces[i].first - vRef_, pieces[i].second - vRef_, INFINITY, 0));
            }
        }
        Parts parts{WaitMoments<Real>(0), WaitMoments<Real>(0), scale_};
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const auto [from, to] = pieces[i];
            if (to > from) {
                (inside[i] ? parts.within : parts.late) += IntegratePanel(
                    from - vRef_, to - vRef_, 64 * kEpsilon<Real> * size[inside[i] ? 0 : 1], 16);
            }
        }
        if (upper == vEnd_) {
            // Beyond vEnd, split at w should it lie there.
            const WaitMoments<Real> beyond = TailBeyond(vEnd_);
            if (w <= vEnd_) {
                parts.late += beyond;
            } else {
                const WaitMoments<Real> after = w < INFINITY ? TailBeyond(w) : WaitMoments<Real>(0);
                parts.within += beyond - after;
                parts.late += after;
            }
        }
        for (WaitMoments<Real>* p : {&parts.within, &parts.late}) {
            p->answeredWaits *= width_;
            p->abandoned *= growth_;
        }
        return parts;
    }

private:
    // The point where f falls through 0 within [lo, hi], to 30 bits.
    template <typename F> static Real RootWithin(F f, Real lo, Real hi) {
        const Real fLo = f(lo);
        const Real fHi = f(hi);
        if (fLo == 0 || fHi == 0) {
            return fLo == 0 ? lo : hi;
        }
        return Root(f, Bracket<Real>{lo, hi, fLo, fHi}, "the wait's mode", 30, 200);
    }

    // The offset, up to `most`, where `drop` (0 at 0, concave) reaches -45.
    template <typename F> static Real FallOffset(F drop, Real least, Real most) {
        if (!(most > 0) || drop(most) >= -45) {
            return std::fmax(most, Real(0));
        }
        Real inner = 0;
        Real outer = std::fmin(least, most);
        for (int i = 0; i < 1100 && drop(outer) >= -45; ++i) {
            inner = outer;
            outer = std::fmin(2 * outer, most);
        }
        return RootWithin([&](Real d) { return drop(d) + 45; }, inner, outer);
    }

    // log Q(m, y): from the lower series below m, where Q is near 1.
    using Wide = long double;

    Wide LogQ(Wide y) const {
        if (y <= 0) {
            return 0;
        }
        const Wide D = LogGammaDensity(y, wide_.m);
        if (y <= wide_.m) {
            const Scaled<Wide> P = LowerGammaRatio(y, wide_.m);
            return std::log1p(-P.mantissa * std::exp(P.scale + D));
        }
        const Scaled<Wide> U = GammaRatio(y, wide_.m);
        return std::log(U.mantissa) + U.scale + D;
    }

    // log density at vref + d less at vref, every term of the local size.
    // Beyond m on both sides, log Q's own y^(m - 1) e^-y is taken with the
    // e^g it cancels: their linear terms, x e^-vref times e^-d - 1 each
    // (some 1e7 far into the overload), leave ((a + 1) - (m - 1) x e^-vref
    // / yref) times it.
    Real LogDensity(Real offset) const {
        const Wide d = offset;
        const Wide em1 = std::expm1(-d);
        const Wide dy = -wide_.xRef * em1;
        const Wide y = std::fmax(wide_.yRef + dy, Wide(0)); // v = 0 within rounding
        if (y > wide_.m && wide_.yRef > wide_.m) {
            const Wide u = dy / wide_.yRef;
            return static_cast<Real>(-(wide_.a + 1) * ExpMinusOneAndLinear(d) + wide_.linear * em1 +
                                     (wide_.m - 1) * boost::math::log1pmx(u) +
                                     std::log(Plain(GammaRatio(y, wide_.m)) / wide_.gammaRef));
        }
        return static_cast<Real>(-(wide_.a + 1) * ExpMinusOneAndLinear(d) - wide_.kappa * em1 +
                                 (LogQ(y) - wide_.logQRef));
    }

    WaitMoments<Real> MomentsAt(Real d) const {
        const Real e = std::exp(LogDensity(d));
        const Real v = vRef_ + d;
        return WaitMomentEntries<Real>{.answered = e,
                                       .answeredWaits = e * v / width_,
                                       .abandoned = e * std::expm1(v) / growth_};
    }

    // Over [lo, hi] in the offset. The density is the exponential of its
    // logarithm, whose rounding grows with its size (some 1e4 far into a
    // tail, 1e-15 of the density): its largest on the piece, at an end
    // (concave, 0 at the mode), sets the digits the rules can agree to.
    WaitMoments<Real> IntegratePanel(Real lo, Real hi, Real tolerance, int depth) const {
        const Real size = std::fmax(std::fabs(LogDensity(lo)), std::fabs(LogDensity(hi)));
        return AdaptiveKronrod([&](Real d) { return MomentsAt(d); }, lo, hi, tolerance, depth,
                               Real(0), (256 + 2 * size) * kEpsilon<Real>);
    }

    // Beyond vEnd the density is e^-(a + 1) v times its value there.
    WaitMoments<Real> TailBeyond(Real from) const {
        const WaitMoments<Real> at = MomentsAt(from - vRef_);
        const Real b = a_ + 1;
        return WaitMomentEntries<Real>{.answered = at.answered / b,
                                       .answeredWaits = at.answeredWaits * (1 + 1 / (from * b)) / b,
                                       .abandoned =
                                           at.answered * (std::exp(from) / a_ - 1 / b) / growth_};
    }

    // d/dv of the log density at vref + d.
    Real Slope(Real d) const {
        const auto xRef = static_cast<Real>(wide_.xRef);
        const Real front = xRef * std::exp(-d); // x e^-v
        const Real y = yRef_ - xRef * std::expm1(-d);
        const Real hazard = y > 0 ? 1 / Plain(GammaRatio(y, m_)) : 0;
        return -(a_ + 1) + front * (1 - hazard);
    }

    Real x_, a_, m_;
    struct {
        Wide a = 0, m = 0, yRef = 0, xRef = 0, kappa = 0, logQRef = 0, gammaRef = 1, linear = 0;
    } wide_;
    Real yRef_ = 0, vRef_ = 0;
    Real scale_ = 0, vLo_ = 0, vHi_ = 0, vEnd_ = 0, width_ = 1, growth_ = 1;
};

} // namespace

template <typename Real> WaitLawParts<Real> IntegrateWaitLaw(Real x, Real a, Real m, Real w) {
    return WaitLaw<Real>(x, a, m).Integrate(w);
}

// From the quadrature of the wait's density, cut at m.
template <typename Real> Waits<Real> WaitsByQuadrature(Real x, Real a, Real m, Real w) {
    const typename WaitLaw<Real>::Parts law = WaitLaw<Real>(x, a, m).Integrate(w);
    const Real s = law.scale;
    const WaitMoments<Real>& in = law.within;
    const WaitMoments<Real>& out = law.late;
    Waits<Real> waits;
    waits.answered = {in.answered + out.answered, s};
    waits.abandoned = {in.abandoned + out.abandoned, s};
    waits.seen = {in.answered + out.answered + in.abandoned + out.abandoned, s};
    waits.within = {in.answered, s};
    waits.late = {out.answered, s};
    waits.reached = {in.answered + in.abandoned, s};
    waits.unreached = {out.answered + out.abandoned, s};
    waits.waiting = Times(waits.unreached, std::exp(-w));
    waits.time = {in.answeredWaits + out.answeredWaits, s};
    waits.timeAnswered = waits.answered;
    return waits;
}

template WaitLawParts<double> IntegrateWaitLaw(double, double, double, double);
template WaitLawParts<long double> IntegrateWaitLaw(long double, long double, long double,
                                                    long double);
template Waits<double> WaitsByQuadrature(double, double, double, double);
template Waits<long double> WaitsByQuadrature(long double, long double, long double, long double);

} // namespace teletraffic::erlang_x
