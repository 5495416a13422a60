// The schedule as a mixed-integer programme (mip.h), breaks placed inside it
// in the manner of Aykin (1996): for each shift s an integer count x_s of
// agents working it, and for each of its breaks k and each start r in the
// break's window an integer count w_skr of them taking that break there, with
// sum_r w_skr = x_s. Where the windows of two consecutive breaks overlap, the
// agents whose break k+1 starts by r number at most those whose break k
// ends by r, for every r in the overlap: then the i-th earliest break k+1 of
// the shift follows the i-th earliest break k (Hall's condition on sorted
// lists), so the counts always split into agents, each with breaks in order
// and apart (Decompose). Agents on the phones in period p: the shifts
// covering p less the breaks covering it, a linear expression.
//
// Cover adds, per period, on-phones + short >= required. Service adds the
// period's level as its level at the floor count m (the fewest meeting the
// floor q) plus ordered increments: n = m + sum_j z_j + e, the level
// L(m) + sum_j (L(j) - L(j - 1)) z_j, z_j binary and z_j >= z_j+1 where the
// increments still rise (below the traffic, where the curve is convex),
// continuous in [0, 1] over the concave tail, where filling them in order is
// what the optimum does anyway, each allowed only once the rising part is
// full; e, agents past the tabulation's end, where the level no longer rises,
// earn nothing.
//
// The search branches on the shifts' counts first, then the breaks', then
// the service's increments: once the counts are whole the breaks mostly
// follow (a hard day of service: 27 s to 5 s).
#pragma once

#include "shifts/mip.h"
#include "shifts/service.h"
#include "shifts/shift_set.h"

#include <chrono>
#include <utility>
#include <vector>

namespace shifts {

struct Term {
    int column;
    double coefficient;
};

class ScheduleModel {
public:
    ScheduleModel(const Horizon& horizon, const std::vector<Shift>& shifts,
                  const std::vector<ShiftTemplate>& templates);

    // Periods some shift can be on the phones for.
    const std::vector<bool>& Reachable() const { return reachable_; }

    // Each period's on-phones + short >= required, short a column of cost
    // `shortCost` (at most the requirement) where `allowShort[p]`; periods
    // out of reach get no row (they are short by their requirement).
    void AddCover(const std::vector<double>& required, const std::vector<bool>& allowShort,
                  double shortCost, bool integerShort);
    // sum of short <= `total`.
    void LimitShort(double total);
    // Makes the cost of the shifts the objective (or drops it: 0).
    void CostShifts(double scale);

    struct PeriodLevels {
        int period;
        double weight;      // calls / all calls
        std::int64_t floor; // m
        LevelCurve curve;
    };
    // sum over periods of weight * level >= target.
    void AddService(const std::vector<PeriodLevels>& periods, double target);

    MipProgramme& Programme() { return programme_; }
    const MipProgramme& Programme() const { return programme_; }

    // The agents of each shift, and for each of its breaks the starts (periods
    // from the shift's start) of theirs, one a person, earliest first: agent i
    // takes the i-th start of each. Throws std::logic_error if the values do
    // not split so (never, for values meeting the programme's rows).
    struct Split {
        int agents = 0;
        std::vector<std::vector<int>> breakStarts; // [break][agent]
    };
    std::vector<Split> Decompose(const std::vector<double>& values) const;

    // A schedule built one agent at a time, each time the shift (with its
    // breaks placed clear of the periods still short where they can be) that
    // covers the most agent-periods still short per unit of cost, until
    // every period in reach has `required` or the templates' max stop it;
    // then the templates' mins. As all the programme's columns, for the
    // solver to start from (CBC checks it, and drops one that breaks a row).
    // At `deadline` it stops adding agents: what it has then is the start,
    // the rest short.
    std::vector<double> GreedyStart(const std::vector<double>& required,
                                    std::chrono::steady_clock::time_point deadline =
                                        std::chrono::steady_clock::time_point::max()) const;

    // The periods of the horizon an agent of `shift` is on the phones for,
    // each break at its earliest start (a placement in order, as the
    // windows are narrowed).
    std::vector<int> PhonesAtEarliest(std::size_t shift) const;
    // One agent more on `shift`, its breaks so; the service's increments
    // filled again.
    void AddAgent(std::vector<double>& values, std::size_t shift) const;
    // The agents of each template in `values`.
    std::vector<int> AgentsByTemplate(const std::vector<double>& values) const;

    // A solution of another programme over the same templates and horizon
    // (its shift and break columns come first, in the same order), as this
    // one's: the service's increments filled in order from its on-phones.
    std::vector<double> StartFrom(const std::vector<double>& other) const;

    // Each period's short column, -1 where it has none.
    const std::vector<int>& ShortColumns() const { return shortColumn_; }

private:
    const Horizon& horizon_;
    const std::vector<Shift>& shifts_;
    const std::vector<ShiftTemplate>& templates_;
    MipProgramme programme_;
    std::vector<int> shiftColumn_;
    std::vector<std::vector<std::vector<int>>> breakColumn_; // [shift][break][r - first]
    std::vector<std::vector<Term>> onPhones_;                // per period
    std::vector<int> shortColumn_;
    struct ServiceColumns {
        int period;
        std::int64_t floor;
        std::vector<int> increments; // z for floor + 1, floor + 2, ...
        int excess;
    };
    std::vector<ServiceColumns> service_;
    std::size_t shiftAndBreakColumns_ = 0;

    // The service's increments and excess from the on-phones of `values`.
    void FillService(std::vector<double>& values) const;
    std::vector<bool> reachable_;
};

} // namespace shifts
