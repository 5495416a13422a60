// Recomputes everything from the groups by its own arithmetic: the
// templates' windows checked directly (not through the shifts laid on the
// grid), the coverage summed period by period, the levels from Erlang C's
// and A's own functions where the centre is theirs, Erlang X's otherwise.
#include "shifts/verify.h"

#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x.h"

#include <cmath>
#include <map>

namespace shifts {
namespace {

bool Close(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// The engine's level, by the model the centre is.
double EngineLevel(double calls, int interval, int agents, const Centre& c) {
    const double traffic = calls * c.aht / (interval * 60.0);
    const auto n = static_cast<double>(std::min<double>(agents, c.lines));
    if (n <= 0) {
        return 0;
    }
    const bool plain =
        c.redial == 0 && std::isinf(c.lines) && c.basis == teletraffic::Basis::Offered;
    if (plain && std::isinf(c.patience)) {
        return n <= traffic ? 0 : teletraffic::ErlangCServiceLevel(traffic, n, c.aht, c.targetTime);
    }
    if (plain) {
        return teletraffic::ErlangAServiceLevel(traffic, n, c.aht, c.patience, c.targetTime);
    }
    teletraffic::ErlangXModel model;
    model.aht = c.aht;
    model.patience = c.patience;
    model.lines = c.lines;
    model.redial = c.redial;
    if (std::isinf(c.patience) && std::isinf(c.lines) && n <= traffic) {
        return 0;
    }
    return teletraffic::ErlangX(traffic, n, model, c.targetTime, c.basis).serviceLevel;
}

// Whether the template lets a shift start at `offset` minutes into the horizon.
bool StartAllowed(const ShiftTemplate& t, const Horizon& h, int offset) {
    const int clock = ((h.first + offset) % h.Cycle() + h.Cycle()) % h.Cycle();
    const int span = t.weekClock ? kMinutesPerWeek : kMinutesPerDay;
    const int inSpan = t.weekClock || h.span == Span::Day ? clock : clock % kMinutesPerDay;
    // The start may be in the window opened on its own day or (past
    // midnight) the day before.
    for (const int back : {0, span}) {
        const int since = inSpan + back - t.earliest;
        const int window = ((t.latest - t.earliest) % span + span) % span;
        if (since < 0 || since > window || since % (t.step > 0 ? t.step : h.interval) != 0) {
            continue;
        }
        if (t.weekClock || h.span == Span::Day) {
            return true;
        }
        const int day = (clock / kMinutesPerDay + (back > 0 ? 6 : 0)) % 7;
        if (t.days[static_cast<std::size_t>(day)]) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<std::string> Verify(const Problem& problem, const Schedule& schedule) {
    std::vector<std::string> faults;
    const Horizon& h = problem.requirements.horizon;
    const Settings& s = problem.settings;
    const int periods = h.periods;
    std::vector<int> phones(static_cast<std::size_t>(periods), 0);
    std::vector<int> breaks(static_cast<std::size_t>(periods), 0);
    std::map<std::string, int> byTemplate;
    double cost = 0, paid = 0;
    int agents = 0;
    const auto cover = [&](int from, int minutes, int count, std::vector<int>& into) {
        for (int m = 0; m < minutes; m += h.interval) {
            const int p = (from + m) / h.interval;
            if (!h.cyclic && p >= periods) {
                faults.push_back("a shift runs past the horizon's end");
                return;
            }
            into[static_cast<std::size_t>(p % periods)] += count;
        }
    };
    for (const Group& g : schedule.groups) {
        const std::string at = "group " + g.shift + " at " + h.Label(g.start) + ": ";
        const ShiftTemplate* t = nullptr;
        for (const ShiftTemplate& candidate : problem.templates) {
            t = candidate.name == g.shift ? &candidate : t;
        }
        if (t == nullptr) {
            faults.push_back(at + "no template of that name");
            continue;
        }
        if (g.agents < 1) {
            faults.push_back(at + "no agents");
        }
        if (g.start < 0 || g.start >= h.Minutes() || g.start % h.interval != 0 ||
            !StartAllowed(*t, h, g.start)) {
            faults.push_back(at + "the template does not start then");
        }
        const int lengthStep =
            t->lengthStep == ShiftTemplate::kEveryPeriod ? h.interval : t->lengthStep;
        const bool lengthAllowed = g.length >= t->minLength && g.length <= t->maxLength &&
                                   (lengthStep == 0 ? g.length == t->minLength
                                                    : (g.length - t->minLength) % lengthStep == 0);
        if (!lengthAllowed) {
            faults.push_back(at + "the template has no length " + DurationText(g.length));
        }
        if (g.breaks.size() != t->breaks.size()) {
            faults.push_back(at + "not the template's breaks");
            continue;
        }
        int free = 0;
        int unpaid = 0;
        for (std::size_t k = 0; k < g.breaks.size(); ++k) {
            const BreakRule& rule = t->breaks[k];
            const int from = g.breaks[k].start - g.start;
            if (g.breaks[k].length != rule.length || from < rule.after ||
                from + rule.length > rule.before || from + rule.length > g.length || from < free) {
                faults.push_back(at + "break " + std::to_string(k) + " outside its rules");
            }
            free = from + rule.length;
            unpaid += rule.paid ? 0 : rule.length;
        }
        cover(g.start, g.length, g.agents, phones);
        for (const BreakTime& b : g.breaks) {
            cover(b.start, b.length, -g.agents, phones);
            cover(b.start, b.length, g.agents, breaks);
        }
        byTemplate[g.shift] += g.agents;
        agents += g.agents;
        const double hours = (g.length - unpaid) / 60.0;
        paid += g.agents * hours;
        cost += g.agents * (t->cost ? *t->cost : hours);
    }
    for (const ShiftTemplate& t : problem.templates) {
        const int n = byTemplate[t.name];
        if (n < t.min || (t.max && n > *t.max)) {
            faults.push_back("template " + t.name + ": " + std::to_string(n) +
                             " agents, outside its min and max");
        }
    }
    if (schedule.coverage.size() != static_cast<std::size_t>(periods)) {
        faults.push_back("the coverage has not one row a period");
        return faults;
    }
    const bool service = s.objective == Objective::Service;
    int shortTotal = 0;
    double calls = 0, answered = 0;
    for (int p = 0; p < periods; ++p) {
        const auto i = static_cast<std::size_t>(p);
        const PeriodCoverage& c = schedule.coverage[i];
        const std::string at = "period " + h.Label(p * h.interval) + ": ";
        if (c.onPhones != phones[i] || c.onBreak != breaks[i] || c.start != p * h.interval) {
            faults.push_back(at + "the coverage is not the groups'");
        }
        if (!service) {
            shortTotal += std::max(0, static_cast<int>(problem.requirements.values[i]) - phones[i]);
            if (c.required != problem.requirements.values[i]) {
                faults.push_back(at + "not the requirement");
            }
            continue;
        }
        const double v = problem.requirements.values[i];
        if (v <= 0) {
            continue;
        }
        const double level = EngineLevel(v, h.interval, phones[i], s.centre);
        calls += v;
        answered += v * level;
        const double q = s.minServiceLevel.value_or(*s.serviceLevel / 2);
        if (level < q) {
            faults.push_back(at + "level below the minimum");
        }
        if (!Close(level, c.serviceLevel)) {
            faults.push_back(at + "the level is not the engine's");
        }
    }
    const Summary& sum = schedule.summary;
    if (!service && s.shortageCost) {
        cost += *s.shortageCost * shortTotal;
    }
    if (!service && sum.agentPeriodsShort != shortTotal) {
        faults.push_back("the agent-periods short are not the coverage's");
    }
    if (service) {
        const double level = calls > 0 ? answered / calls : 1;
        if (level < *s.serviceLevel) {
            faults.push_back("the horizon's level " + std::to_string(level) +
                             " is below the target");
        }
        if (!Close(level, sum.serviceLevel)) {
            faults.push_back("the horizon's level is not the engine's");
        }
    }
    if (!Close(cost, sum.cost) || !Close(paid, sum.paidHours) || agents != sum.agents) {
        faults.push_back("the summary's cost, paid hours or agents are not the groups'");
    }
    return faults;
}

} // namespace shifts
