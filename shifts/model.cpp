// The programme of model.h built row by row; the greedy start adds agents
// in batches, each batch on the shift that covers the most agent-periods
// still short per unit of cost; the split sorts each break's starts.
#include "shifts/model.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

namespace shifts {
namespace {

// Increments within this of each other count as equal: the engine's levels
// are good to 1e-12 relative, and a rise of a few units in the last place of
// 1 deep in the tail is its rounding, not a convex stretch of the curve.
constexpr double kIncrementNoise = 4e-16;

} // namespace

ScheduleModel::ScheduleModel(const Horizon& horizon, const std::vector<Shift>& shifts,
                             const std::vector<ShiftTemplate>& templates)
    : horizon_(horizon)
    , shifts_(shifts)
    , templates_(templates)
    , onPhones_(static_cast<std::size_t>(horizon.periods))
    , shortColumn_(static_cast<std::size_t>(horizon.periods), -1)
    , reachable_(static_cast<std::size_t>(horizon.periods), false) {
    std::vector<std::map<int, double>> phones(onPhones_.size());
    for (const Shift& s : shifts) {
        const int x = programme_.AddColumn({0, kInfinity, 0, true, 1});
        shiftColumn_.push_back(x);
        for (int j = 0; j < s.length; ++j) {
            const int p = PeriodOf(s, j, horizon);
            phones[static_cast<std::size_t>(p)][x] += 1;
            if (!reachable_[static_cast<std::size_t>(p)] && CanBeOnPhones(s, j)) {
                reachable_[static_cast<std::size_t>(p)] = true;
            }
        }
        auto& columns = breakColumn_.emplace_back();
        for (const BreakWindow& b : s.breaks) {
            auto& starts = columns.emplace_back();
            MipProgramme::Row& all = programme_.AddRow(0, 0);
            all.columns.push_back(x);
            all.coefficients.push_back(-1);
            for (int r = b.first; r <= b.last; ++r) {
                const int w = programme_.AddColumn({0, kInfinity, 0, true, 2});
                starts.push_back(w);
                // `all` may have moved: rows are appended below only.
                programme_.rows.back().columns.push_back(w);
                programme_.rows.back().coefficients.push_back(1);
                for (int i = 0; i < b.length; ++i) {
                    phones[static_cast<std::size_t>(PeriodOf(s, r + i, horizon))][w] -= 1;
                }
            }
        }
        // Consecutive breaks in order and apart where their windows overlap.
        for (std::size_t k = 0; k + 1 < s.breaks.size(); ++k) {
            const BreakWindow& a = s.breaks[k];
            const BreakWindow& b = s.breaks[k + 1];
            for (int r = b.first; r < a.last + a.length; ++r) {
                MipProgramme::Row& row = programme_.AddRow(-kInfinity, 0);
                for (int q = b.first; q <= std::min(r, b.last); ++q) {
                    row.columns.push_back(columns[k + 1][static_cast<std::size_t>(q - b.first)]);
                    row.coefficients.push_back(1);
                }
                for (int q = a.first; q <= std::min(r - a.length, a.last); ++q) {
                    row.columns.push_back(columns[k][static_cast<std::size_t>(q - a.first)]);
                    row.coefficients.push_back(-1);
                }
            }
        }
    }
    shiftAndBreakColumns_ = programme_.columns.size();
    for (std::size_t p = 0; p < phones.size(); ++p) {
        for (const auto& [column, coefficient] : phones[p]) {
            if (coefficient != 0) {
                onPhones_[p].push_back({column, coefficient});
            }
        }
    }
    for (std::size_t t = 0; t < templates.size(); ++t) {
        if (templates[t].min == 0 && !templates[t].max) {
            continue;
        }
        MipProgramme::Row& row = programme_.AddRow(
            templates[t].min,
            templates[t].max ? static_cast<double>(*templates[t].max) : kInfinity);
        row.links = true;
        for (std::size_t s = 0; s < shifts.size(); ++s) {
            if (shifts[s].templateIndex == static_cast<int>(t)) {
                row.columns.push_back(shiftColumn_[s]);
                row.coefficients.push_back(1);
            }
        }
    }
}

void ScheduleModel::AddCover(const std::vector<double>& required,
                             const std::vector<bool>& allowShort, double shortCost,
                             bool integerShort) {
    for (std::size_t p = 0; p < required.size(); ++p) {
        if (required[p] <= 0 || !reachable_[p]) {
            continue;
        }
        MipProgramme::Row row;
        row.lower = required[p];
        for (const Term& t : onPhones_[p]) {
            row.columns.push_back(t.column);
            row.coefficients.push_back(t.coefficient);
        }
        if (allowShort[p]) {
            shortColumn_[p] = programme_.AddColumn({0, required[p], shortCost, integerShort});
            row.columns.push_back(shortColumn_[p]);
            row.coefficients.push_back(1);
        }
        programme_.rows.push_back(std::move(row));
    }
}

void ScheduleModel::LimitShort(double total) {
    MipProgramme::Row row;
    row.upper = total;
    row.links = true;
    for (const int c : shortColumn_) {
        if (c >= 0) {
            row.columns.push_back(c);
            row.coefficients.push_back(1);
        }
    }
    if (!row.columns.empty()) {
        programme_.rows.push_back(std::move(row));
    }
}

void ScheduleModel::CostShifts(double scale) {
    for (std::size_t s = 0; s < shifts_.size(); ++s) {
        programme_.columns[static_cast<std::size_t>(shiftColumn_[s])].cost =
            scale * shifts_[s].cost;
    }
}

void ScheduleModel::AddService(const std::vector<PeriodLevels>& periods, double target) {
    MipProgramme::Row level;
    double atFloors = 0;
    for (const PeriodLevels& pl : periods) {
        const std::vector<double>& L = pl.curve.levels;
        const auto m = pl.floor;
        const auto top = static_cast<std::int64_t>(L.size()) - 1;
        atFloors += pl.weight * L[static_cast<std::size_t>(m)];
        // n = m + sum z + e
        MipProgramme::Row count;
        count.lower = count.upper = static_cast<double>(m);
        for (const Term& t : onPhones_[static_cast<std::size_t>(pl.period)]) {
            count.columns.push_back(t.column);
            count.coefficients.push_back(t.coefficient);
        }
        // The concave tail starts at j0: increments never rise again after it.
        std::int64_t j0 = top + 1;
        for (std::int64_t j = top; j > m; --j) {
            const double rise = L[static_cast<std::size_t>(j)] - L[static_cast<std::size_t>(j - 1)];
            const double next =
                j < top ? L[static_cast<std::size_t>(j + 1)] - L[static_cast<std::size_t>(j)]
                        : -kInfinity;
            if (next > rise + kIncrementNoise) {
                break;
            }
            j0 = j;
        }
        ServiceColumns& columns = service_.emplace_back();
        columns.period = pl.period;
        columns.floor = m;
        int lastBinary = -1;
        for (std::int64_t j = m + 1; j <= top; ++j) {
            const double rise = L[static_cast<std::size_t>(j)] - L[static_cast<std::size_t>(j - 1)];
            const bool binary = j < j0;
            const int z = programme_.AddColumn({0, 1, 0, binary, 3});
            columns.increments.push_back(z);
            count.columns.push_back(z);
            count.coefficients.push_back(-1);
            if (rise != 0) {
                level.columns.push_back(z);
                level.coefficients.push_back(pl.weight * rise);
            }
            if (lastBinary >= 0) {
                // z_j <= z_{j-1} below j0; after it, each at most the last binary.
                MipProgramme::Row& order = programme_.AddRow(-kInfinity, 0);
                order.columns = {z, lastBinary};
                order.coefficients = {1, -1};
            }
            if (binary) {
                lastBinary = z;
            }
        }
        // Agents taken into e instead of the table only lose credit: the
        // optimum fills the table first.
        const int e = programme_.AddColumn({0, kInfinity, 0, false});
        columns.excess = e;
        count.columns.push_back(e);
        count.coefficients.push_back(-1);
        programme_.rows.push_back(std::move(count));
    }
    level.lower = target - atFloors;
    level.links = true;
    programme_.rows.push_back(std::move(level));
}

std::vector<double>
ScheduleModel::GreedyStart(const std::vector<double>& required,
                           std::chrono::steady_clock::time_point deadline) const {
    std::vector<double> values(programme_.columns.size(), 0);
    std::vector<double> deficit(required.size(), 0);
    for (std::size_t p = 0; p < required.size(); ++p) {
        deficit[p] = reachable_[p] ? required[p] : 0;
    }
    std::vector<int> onTemplate(templates_.size(), 0);
    std::vector<int> phones(required.size(), 0);
    // The breaks of one more agent on `s`, each placed where it leaves the
    // fewest periods short, and the agent-periods short it then covers.
    const auto place = [&](std::size_t s, std::vector<int>& starts) {
        const Shift& shift = shifts_[s];
        const auto shortAt = [&](int offset) {
            return deficit[static_cast<std::size_t>(PeriodOf(shift, offset, horizon_))] > 0 ? 1 : 0;
        };
        starts.clear();
        int free = 0;
        int covered = 0;
        for (int j = 0; j < shift.length; ++j) {
            covered += shortAt(j);
        }
        for (const BreakWindow& b : shift.breaks) {
            int best = -1, bestCost = 0;
            for (int r = std::max(b.first, free); r <= b.last; ++r) {
                int cost = 0;
                for (int i = 0; i < b.length; ++i) {
                    cost += shortAt(r + i);
                }
                if (best < 0 || cost < bestCost) {
                    best = r;
                    bestCost = cost;
                }
            }
            starts.push_back(best);
            covered -= bestCost;
            free = best + b.length;
        }
        return covered;
    };
    // `count` more agents on `s`, their breaks at `starts`.
    const auto add = [&](std::size_t s, const std::vector<int>& starts, int count) {
        const Shift& shift = shifts_[s];
        values[static_cast<std::size_t>(shiftColumn_[s])] += count;
        onTemplate[static_cast<std::size_t>(shift.templateIndex)] += count;
        std::vector<int> delta(static_cast<std::size_t>(shift.length), 1);
        for (std::size_t k = 0; k < starts.size(); ++k) {
            const int r = starts[k];
            values[static_cast<std::size_t>(
                breakColumn_[s][k][static_cast<std::size_t>(r - shift.breaks[k].first)])] += count;
            for (int i = 0; i < shift.breaks[k].length; ++i) {
                delta[static_cast<std::size_t>(r + i)] = 0;
            }
        }
        for (int j = 0; j < shift.length; ++j) {
            const auto p = static_cast<std::size_t>(PeriodOf(shift, j, horizon_));
            deficit[p] -= count * delta[static_cast<std::size_t>(j)];
            phones[p] += count * delta[static_cast<std::size_t>(j)];
        }
    };
    const auto open = [&](std::size_t s) {
        const auto& max = templates_[static_cast<std::size_t>(shifts_[s].templateIndex)].max;
        return !max || onTemplate[static_cast<std::size_t>(shifts_[s].templateIndex)] < *max;
    };
    std::vector<int> starts, bestStarts;
    while (std::ranges::any_of(deficit, [](double d) { return d > 0; }) &&
           std::chrono::steady_clock::now() < deadline) {
        std::size_t best = shifts_.size();
        double bestScore = 0;
        for (std::size_t s = 0; s < shifts_.size(); ++s) {
            if (!open(s)) {
                continue;
            }
            const double score = place(s, starts) / shifts_[s].cost;
            if (score > bestScore) {
                best = s;
                bestScore = score;
                bestStarts = starts;
            }
        }
        if (best == shifts_.size()) {
            break; // the rest is short, where a template's max allows no more
        }
        // As many agents at once as the least of the periods still short
        // that they cover needs (within the template's max): a requirement
        // of thousands takes no more steps than one of a few.
        const Shift& chosen = shifts_[best];
        std::vector<bool> onBreak(static_cast<std::size_t>(chosen.length), false);
        for (std::size_t k = 0; k < bestStarts.size(); ++k) {
            for (int i = 0; i < chosen.breaks[k].length; ++i) {
                onBreak[static_cast<std::size_t>(bestStarts[k] + i)] = true;
            }
        }
        double count = kInfinity;
        for (int j = 0; j < chosen.length; ++j) {
            const double d = deficit[static_cast<std::size_t>(PeriodOf(chosen, j, horizon_))];
            if (!onBreak[static_cast<std::size_t>(j)] && d > 0) {
                count = std::min(count, d);
            }
        }
        const auto& max = templates_[static_cast<std::size_t>(chosen.templateIndex)].max;
        if (max) {
            count = std::min(
                count, static_cast<double>(
                           *max - onTemplate[static_cast<std::size_t>(chosen.templateIndex)]));
        }
        add(best, bestStarts, static_cast<int>(std::max(1.0, std::ceil(count))));
    }
    for (std::size_t t = 0; t < templates_.size(); ++t) {
        for (std::size_t s = 0; s < shifts_.size() && onTemplate[t] < templates_[t].min; ++s) {
            if (shifts_[s].templateIndex == static_cast<int>(t)) {
                place(s, starts);
                add(s, starts, templates_[t].min - onTemplate[t]);
            }
        }
    }
    for (std::size_t p = 0; p < required.size(); ++p) {
        if (shortColumn_[p] >= 0) {
            values[static_cast<std::size_t>(shortColumn_[p])] =
                std::max(0.0, required[p] - phones[p]);
        }
    }
    FillService(values);
    return values;
}

void ScheduleModel::FillService(std::vector<double>& values) const {
    for (const ServiceColumns& c : service_) {
        double phones = 0;
        for (const Term& t : onPhones_[static_cast<std::size_t>(c.period)]) {
            phones += t.coefficient * values[static_cast<std::size_t>(t.column)];
        }
        auto n = static_cast<std::int64_t>(std::llround(phones)) - c.floor;
        for (const int z : c.increments) {
            values[static_cast<std::size_t>(z)] = n > 0 ? 1 : 0;
            --n;
        }
        values[static_cast<std::size_t>(c.excess)] =
            static_cast<double>(std::max<std::int64_t>(n, 0));
    }
}

std::vector<int> ScheduleModel::PhonesAtEarliest(std::size_t shift) const {
    const Shift& s = shifts_[shift];
    std::vector<bool> onBreak(static_cast<std::size_t>(s.length), false);
    for (const BreakWindow& b : s.breaks) {
        for (int i = 0; i < b.length; ++i) {
            onBreak[static_cast<std::size_t>(b.first + i)] = true;
        }
    }
    std::vector<int> periods;
    for (int j = 0; j < s.length; ++j) {
        if (!onBreak[static_cast<std::size_t>(j)]) {
            periods.push_back(PeriodOf(s, j, horizon_));
        }
    }
    return periods;
}

void ScheduleModel::AddAgent(std::vector<double>& values, std::size_t shift) const {
    values[static_cast<std::size_t>(shiftColumn_[shift])] += 1;
    for (const std::vector<int>& starts : breakColumn_[shift]) {
        values[static_cast<std::size_t>(starts.front())] += 1;
    }
    FillService(values);
}

std::vector<int> ScheduleModel::AgentsByTemplate(const std::vector<double>& values) const {
    std::vector<int> agents(templates_.size(), 0);
    for (std::size_t s = 0; s < shifts_.size(); ++s) {
        agents[static_cast<std::size_t>(shifts_[s].templateIndex)] +=
            static_cast<int>(std::llround(values[static_cast<std::size_t>(shiftColumn_[s])]));
    }
    return agents;
}

std::vector<double> ScheduleModel::StartFrom(const std::vector<double>& other) const {
    std::vector<double> values(programme_.columns.size(), 0);
    for (std::size_t j = 0; j < shiftAndBreakColumns_ && j < other.size(); ++j) {
        values[j] = std::round(other[j]);
    }
    FillService(values);
    return values;
}

std::vector<ScheduleModel::Split>
ScheduleModel::Decompose(const std::vector<double>& values) const {
    const auto whole = [&](int column) {
        const double v = values[static_cast<std::size_t>(column)];
        const double r = std::round(v);
        if (!(std::fabs(v - r) < 1e-4) || r < 0) {
            throw std::logic_error("a count of the solution is not whole");
        }
        return static_cast<int>(r);
    };
    std::vector<Split> splits;
    for (std::size_t s = 0; s < shifts_.size(); ++s) {
        Split split;
        split.agents = whole(shiftColumn_[s]);
        const Shift& shift = shifts_[s];
        for (std::size_t k = 0; k < shift.breaks.size(); ++k) {
            std::vector<int>& starts = split.breakStarts.emplace_back();
            const auto& columns = breakColumn_[s][k];
            for (std::size_t i = 0; i < columns.size(); ++i) {
                starts.insert(starts.end(), static_cast<std::size_t>(whole(columns[i])),
                              shift.breaks[k].first + static_cast<int>(i));
            }
            if (static_cast<int>(starts.size()) != split.agents) {
                throw std::logic_error("a shift's breaks do not number its agents");
            }
            if (k > 0) {
                const auto& before = split.breakStarts[k - 1];
                for (std::size_t i = 0; i < starts.size(); ++i) {
                    if (starts[i] < before[i] + shift.breaks[k - 1].length) {
                        throw std::logic_error("a shift's breaks do not follow one another");
                    }
                }
            }
        }
        splits.push_back(std::move(split));
    }
    return splits;
}

} // namespace shifts
