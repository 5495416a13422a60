// Every figure of Erlang X at one fresh traffic. Without a forecast's spread:
// the attempt traffic with redials (redials.h), the chain there (chain.h),
// the service level and waits (waits.h); the fresh callers lost L (1 - r)/(1
// - r L), L lost per attempt. With one: over the fresh traffic's Gamma law
// (forecast.h). The figures ErlangX reports are Erlang C's and Erlang A's own
// (erlang_c.h, erlang_a.h), to the bit, where the centre is theirs: no lines,
// redials or spread.
#include "teletraffic/erlang_x/figures.h"

#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x/checks.h"
#include "teletraffic/erlang_x/forecast.h"
#include "teletraffic/numerics/checks.h"

#include <cmath>
#include <limits>

namespace teletraffic::erlang_x {

template <typename Real>
Point<Real> PointAt(Real A0, const Centre& c, Real targetTime, Basis basis, Need need,
                    NearbyRoots<Real>* near) {
    Point<Real> p{};
    p.attempts = AttemptTraffic(A0, c, near);
    if (p.attempts == 0) {
        p.service = {1, 0, 0, 1};
        return p;
    }
    const Chain<Real> ch = ChainAt(p.attempts, c);
    p.shares = SharesOf(ch, c);
    if (need != Need::Shares) {
        p.service = ServiceOf(ch, c, targetTime, basis, need == Need::All);
    }
    const auto r = static_cast<Real>(c.redial);
    // L (1 - r)/(1 - r L), 1 - r L as (1 - r) + r (1 - L).
    p.callersLost = p.shares.lost * (1 - r) / ((1 - r) + r * p.shares.kept);
    return p;
}

template <typename Real> Figures<Real> FiguresOf(const Point<Real>& p, const Centre& c) {
    Figures<Real> f{};
    f.blocking = p.shares.blocking;
    f.wait = p.shares.wait;
    f.abandon = p.shares.abandon;
    f.averageWait = p.shares.abandon * static_cast<Real>(c.patience);
    f.answeredWait = p.service.answeredWait;
    f.occupancy = p.shares.occupancy;
    f.level = p.service.level;
    f.miss = p.service.miss;
    f.attempts = p.attempts;
    f.callersLost = p.callersLost;
    return f;
}

template <typename Real>
Figures<Real> FiguresAt(Real A0, const Centre& c, Real t, Basis basis, Need need, Real relative) {
    if (A0 == 0) {
        Figures<Real> none{};
        none.level = 1;
        return none;
    }
    // Below double's normal range the law's counts underflow, and its
    // figures are their limit at no traffic: those without the spread.
    if (c.shape < INFINITY && A0 >= static_cast<Real>(std::numeric_limits<double>::min())) {
        return ForecastFigures<Real>(A0, c, t, basis, need, relative);
    }
    return FiguresOf(PointAt<Real>(A0, c, t, basis, need), c);
}

ErlangXFigures PublicFigures(const Figures<double>& f, const Centre& c) {
    ErlangXFigures out{};
    out.blocking = f.blocking;
    out.waitProbability = f.wait;
    out.abandonProbability = c.hangUps ? f.abandon : 0;
    out.averageWait = f.averageWait;
    out.answeredWait = f.answeredWait;
    out.occupancy = f.occupancy;
    out.serviceLevel = f.level;
    out.attemptsTraffic = f.attempts;
    out.callersLost = f.callersLost;
    return out;
}

// The figures as ErlangX gives them, of checked arguments: Erlang C's and A's
// to the bit where the centre is theirs. `need` as FiguresAt's: with a
// forecast's spread every figure is ErlangX's only when all are asked for
// (the rule that integrates them is the first on which they all agree).
ErlangXFigures FiguresAsReported(double traffic, double agents, const ErlangXModel& model,
                                 const Centre& c, double targetTime, Basis basis, Need need) {
    if (traffic == 0) {
        return {0, 0, 0, 0, 0, 0, 1, 0, 0};
    }
    const bool plain = c.redial == 0 && c.shape == INFINITY && !c.limited;
    if (plain && !c.hangUps) {
        // Erlang C, to the bit: nobody hangs up, so every basis is the same.
        ErlangXFigures f{};
        f.waitProbability = ErlangC(traffic, agents);
        f.averageWait = f.answeredWait = ErlangCAverageWait(traffic, agents, model.aht);
        f.occupancy = traffic / agents;
        f.serviceLevel = ErlangCServiceLevel(traffic, agents, model.aht, targetTime);
        f.attemptsTraffic = traffic;
        return f;
    }
    ErlangXFigures f = PublicFigures(FiguresAt<double>(traffic, c, targetTime, basis, need), c);
    if (plain && agents > 0) {
        // Erlang A, to the bit.
        const Abandonment a = ErlangA(traffic, agents, model.aht, model.patience);
        f.waitProbability = a.waitProbability;
        f.abandonProbability = a.abandonProbability;
        f.averageWait = a.averageWait;
        f.occupancy = a.occupancy;
        f.callersLost = a.abandonProbability;
        if (basis == Basis::Offered) {
            f.serviceLevel =
                ErlangAServiceLevel(traffic, agents, model.aht, model.patience, targetTime);
        }
    }
    return f;
}

template Point<double> PointAt(double, const Centre&, double, Basis, Need, NearbyRoots<double>*);
template Point<long double> PointAt(long double, const Centre&, long double, Basis, Need,
                                    NearbyRoots<long double>*);
template Figures<double> FiguresOf(const Point<double>&, const Centre&);
template Figures<long double> FiguresOf(const Point<long double>&, const Centre&);
template Figures<double> FiguresAt(double, const Centre&, double, Basis, Need, double);
template Figures<long double> FiguresAt(long double, const Centre&, long double, Basis, Need,
                                        long double);

} // namespace teletraffic::erlang_x

namespace teletraffic {

using namespace erlang_x;

ErlangXFigures ErlangX(double traffic, double agents, const ErlangXModel& model, double targetTime,
                       Basis basis) {
    CheckTraffic(traffic);
    const Centre c = CheckCentre(agents, model, traffic == 0);
    CheckTimes(model.aht, targetTime);
    if (!c.limited && !c.hangUps) {
        CheckQueue(traffic, agents); // Erlang C: the queue must drain
    }
    ErlangXFigures f = FiguresAsReported(traffic, agents, model, c, targetTime, basis);
    CheckAttempts(traffic, f.attemptsTraffic);
    return f;
}

} // namespace teletraffic
