// Erlang X's service level on each basis, and the answered wait. Every
// share is over accepted attempts, those not blocked, and each basis is its
// numerator and denominator from the waits (waits.h):
//   offered:                  answered within t over all accepted;
//   answered:                 answered within t over those answered;
//   excluding short abandons: over the accepted less those who hung up within
//                             t (answered within t or still waiting at t,
//                             e^-w times the virtual wait's tail);
//   virtual:                  the share whose wait to an agent is within t,
//                             patience aside.
// The waits by region: no agents, a traffic below the double range, no cut
// (Erlang A's forms), no queue, no patience (geometric sums), a short window
// (positions one by one), else the quadrature of the wait's law. A basis is
// added here and in erlang_x.h's Basis.
#include "teletraffic/erlang_x/waits.h"

#include "teletraffic/erlang_x/wait_law.h"

#include <cmath>
#include <cstdint>

namespace teletraffic::erlang_x {

template <typename Real>
Waits<Real> WaitsOf(const Chain<Real>& ch, const Centre& c, Real w, bool timed) {
    const Real x = ch.x;
    const Real a = ch.a;
    if (c.agents == 0) {
        Waits<Real> none{};
        none.seen = none.abandoned = ch.window.seen;
        none.waiting = Times(ch.window.seen, std::exp(-w));
        none.unreached = ch.window.seen;
        none.within = none.late = none.reached = none.answered = none.time =
            none.timeAnswered = {0};
        return none;
    }
    if (ch.vanishing) {
        const Real b = a + 1;
        const auto m = static_cast<Real>(c.queueLines);
        Waits<Real> v{};
        const bool one = !c.limited || m > 0;
        const Real share = one ? a / b : 0;
        v.seen = {one ? Real(1) : Real(0)};
        v.answered = v.timeAnswered = {share};
        v.abandoned = {one ? 1 / b : 0};
        v.within = {-share * std::expm1(-b * w)};
        v.late = {share * std::exp(-b * w)};
        v.reached = {one ? -std::expm1(-a * w) : 0};
        v.unreached = {one ? std::exp(-a * w) : 0};
        v.waiting = Times(v.unreached, std::exp(-w));
        v.time = {share / b};
        return v;
    }
    if (ch.window.whole) {
        Waits<Real> q = WaitsUntruncated(x, a, ch.perCall, w, timed && c.hangUps, ch.window);
        if (!c.hangUps) {
            // Everyone is answered: the answered wait is the average one.
            q.time = ch.window.abandoned;
            q.timeAnswered = ch.window.answered;
        }
        return q;
    }
    if (c.queueLines == 0) {
        Waits<Real> none{};
        none.seen = none.answered = none.abandoned = none.within = none.late = none.waiting =
            none.reached = none.unreached = none.time = none.timeAnswered = {0};
        return none;
    }
    if (!c.hangUps && c.agents > 0) {
        return WaitsWithoutPatience(ch, static_cast<std::int64_t>(c.queueLines),
                                    static_cast<Real>(c.agents) * w * static_cast<Real>(c.ratio));
    }
    Waits<Real> direct;
    if (WaitsByPositions(x, a, static_cast<std::int64_t>(c.queueLines), w, direct)) {
        return direct;
    }
    return WaitsByQuadrature(x, a, static_cast<Real>(c.queueLines), w);
}

template <typename Real>
Service<Real> ServiceOf(const Chain<Real>& ch, const Centre& c, Real targetTime, Basis basis,
                        bool timed) {
    const Real w = targetTime / static_cast<Real>(c.patience);
    const Waits<Real> q = WaitsOf(ch, c, w, timed);
    const Scaled<Real>& below = ch.below;
    Scaled<Real> level = Plus(below, q.within);
    Scaled<Real> miss{0};
    Scaled<Real> whole{0};
    switch (basis) {
    case Basis::Offered:
        whole = Plus(below, q.seen);
        miss = Plus(q.abandoned, q.late);
        break;
    case Basis::Answered:
        whole = Plus(below, q.answered);
        miss = q.late;
        break;
    case Basis::ExcludingShortAbandons:
        whole = Plus(level, q.waiting);
        miss = q.waiting;
        break;
    case Basis::Virtual:
        level = Plus(below, q.reached);
        whole = Plus(level, q.unreached);
        miss = q.unreached;
        break;
    }
    Service<Real> s;
    if (whole.mantissa == 0) {
        s.level = 0; // nobody answered, on the answered basis
        s.miss = 1;
    } else {
        s.level = std::fmin(Over(level, whole), Real(1));
        s.miss = Over(miss, whole);
    }
    const Scaled<Real> answered = Plus(below, q.timeAnswered);
    // Not asked for: 0 whichever form gave the rest.
    s.answeredWait = !timed || answered.mantissa == 0
                         ? 0
                         : Over(q.time, answered) * static_cast<Real>(c.patience);
    s.kept = basis == Basis::Virtual ? Real(1) : Over(whole, Plus(below, q.seen));
    return s;
}

template Waits<double> WaitsOf(const Chain<double>&, const Centre&, double, bool);
template Waits<long double> WaitsOf(const Chain<long double>&, const Centre&, long double, bool);
template Service<double> ServiceOf(const Chain<double>&, const Centre&, double, Basis, bool);
template Service<long double> ServiceOf(const Chain<long double>&, const Centre&, long double,
                                        Basis, bool);

} // namespace teletraffic::erlang_x
