// Blocks by union-find over the rows' columns, the linking rows aside; each
// block a programme of its own, its columns renumbered, its solution written
// back in place. A linking row's shares: the activity of a solution (the
// relaxation's, or the start's) in each block, where the row counts agents
// rounded by the largest remainders (Hamilton's apportionment), so that
// whole shares add up to a whole total within the row's bounds; a lower
// bound shared in proportion to the upper shares, so that each block's lower
// share is at most its upper one.
#include "shifts/mip.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <optional>
#include <utility>

namespace shifts {
namespace {

using Clock = std::chrono::steady_clock;
using Row = MipProgramme::Row;

struct UnionFind {
    std::vector<int> parent;

    explicit UnionFind(std::size_t n)
        : parent(n) {
        std::iota(parent.begin(), parent.end(), 0);
    }
    int Find(int i) {
        while (parent[static_cast<std::size_t>(i)] != i) {
            i = parent[static_cast<std::size_t>(i)] =
                parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(i)])];
        }
        return i;
    }
    void Join(int a, int b) { parent[static_cast<std::size_t>(Find(a))] = Find(b); }
};

// The blocks of a programme, and where its columns and rows go.
struct Partition {
    std::vector<int> blockOf;                   // per column
    std::vector<int> place;                     // per column: its place in its block
    std::vector<std::vector<int>> members;      // per block: its columns
    std::vector<std::vector<std::size_t>> rows; // per block: the rows wholly within it
    std::vector<std::size_t> linking;           // the rows across blocks
    bool emptyRowFails = false;                 // a row of no columns whose bounds leave out 0

    std::size_t Blocks() const { return members.size(); }
};

Partition Split(const MipProgramme& programme) {
    const std::size_t n = programme.columns.size();
    UnionFind blocks(n);
    for (const Row& row : programme.rows) {
        for (std::size_t i = 1; i < row.columns.size() && !row.links; ++i) {
            blocks.Join(row.columns[0], row.columns[i]);
        }
    }
    Partition part;
    part.blockOf.assign(n, -1);
    part.place.assign(n, 0);
    std::vector<int> blockOfRoot(n, -1); // blocks in the order of their first column
    for (std::size_t j = 0; j < n; ++j) {
        const auto root = static_cast<std::size_t>(blocks.Find(static_cast<int>(j)));
        if (blockOfRoot[root] < 0) {
            blockOfRoot[root] = static_cast<int>(part.members.size());
            part.members.emplace_back();
        }
        const int b = blockOfRoot[root];
        part.blockOf[j] = b;
        part.place[j] = static_cast<int>(part.members[static_cast<std::size_t>(b)].size());
        part.members[static_cast<std::size_t>(b)].push_back(static_cast<int>(j));
    }
    part.rows.resize(part.members.size());
    for (std::size_t r = 0; r < programme.rows.size(); ++r) {
        const Row& row = programme.rows[r];
        if (row.columns.empty()) {
            part.emptyRowFails = part.emptyRowFails || row.lower > 0 || row.upper < 0;
            continue;
        }
        const int first = part.blockOf[static_cast<std::size_t>(row.columns[0])];
        const bool across = std::ranges::any_of(
            row.columns, [&](int c) { return part.blockOf[static_cast<std::size_t>(c)] != first; });
        if (across) {
            part.linking.push_back(r);
        } else {
            part.rows[static_cast<std::size_t>(first)].push_back(r);
        }
    }
    return part;
}

MipProgramme BlockProgramme(const MipProgramme& programme, const Partition& part, std::size_t b) {
    MipProgramme block;
    block.objectiveStep = programme.objectiveStep;
    for (const int c : part.members[b]) {
        block.AddColumn(programme.columns[static_cast<std::size_t>(c)]);
    }
    for (const std::size_t r : part.rows[b]) {
        const Row& row = programme.rows[r];
        Row& copy = block.AddRow(row.lower, row.upper);
        copy.coefficients = row.coefficients;
        for (const int c : row.columns) {
            copy.columns.push_back(part.place[static_cast<std::size_t>(c)]);
        }
    }
    return block;
}

// The part of `row` in block b, with the bounds of the block's share.
void AddShare(MipProgramme& block, const Row& row, const Partition& part, std::size_t b,
              std::pair<double, double> share) {
    Row& copy = block.AddRow(share.first, share.second);
    for (std::size_t i = 0; i < row.columns.size(); ++i) {
        const auto c = static_cast<std::size_t>(row.columns[i]);
        if (static_cast<std::size_t>(part.blockOf[c]) == b) {
            copy.columns.push_back(part.place[c]);
            copy.coefficients.push_back(row.coefficients[i]);
        }
    }
}

// Whether the row's activity is whole at every whole solution.
bool CountsWhole(const MipProgramme& programme, const Row& row) {
    for (std::size_t i = 0; i < row.columns.size(); ++i) {
        const double a = row.coefficients[i];
        if (!programme.columns[static_cast<std::size_t>(row.columns[i])].integer ||
            std::trunc(a) != a) {
            return false;
        }
    }
    return true;
}

// `total` shared out as whole numbers in proportion to `weights`: each the
// floor of its part, then one more to the largest remainders.
std::vector<double> Apportioned(const std::vector<double>& weights, double total) {
    const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
    std::vector<double> parts(weights.size(), 0);
    std::vector<double> remainders(weights.size(), 0);
    double given = 0;
    for (std::size_t b = 0; b < weights.size(); ++b) {
        const double exact = sum > 0 ? total * weights[b] / sum : total / weights.size();
        parts[b] = std::floor(exact + 1e-9);
        remainders[b] = exact - parts[b];
        given += parts[b];
    }
    std::vector<std::size_t> order(weights.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::ranges::stable_sort(
        order, [&](std::size_t a, std::size_t b) { return remainders[a] > remainders[b]; });
    for (std::size_t k = 0; given < total && k < order.size(); ++k) {
        parts[order[k]] += 1;
        given += 1;
    }
    for (std::size_t k = order.size(); given > total && k > 0; --k) {
        parts[order[k - 1]] -= 1;
        given -= 1;
    }
    return parts;
}

// Each block's bounds on its part of a linking row, from a solution's
// activity in each (`activity`, of the blocks the row touches; others 0).
std::vector<std::pair<double, double>> Shares(const Row& row, const std::vector<double>& activity,
                                              bool whole, bool relaxed) {
    const std::size_t blocks = activity.size();
    std::vector<double> upper = activity;
    double total = std::accumulate(activity.begin(), activity.end(), 0.0);
    if (whole) {
        total = std::round(total);
        if (std::isfinite(row.upper)) {
            total = std::min(total, std::floor(row.upper + 1e-9));
        }
        if (std::isfinite(row.lower)) {
            total = std::max(total, std::ceil(row.lower - 1e-9));
        }
        upper = Apportioned(activity, total);
    }
    std::vector<double> lower = upper;
    if (std::isfinite(row.lower) && std::isfinite(row.upper)) {
        // The lower bound in proportion to the upper shares.
        if (whole) {
            lower = Apportioned(upper, std::ceil(row.lower - 1e-9));
        } else {
            for (std::size_t b = 0; b < blocks; ++b) {
                lower[b] = total > 0 ? row.lower * upper[b] / total : row.lower / blocks;
            }
        }
    }
    // A real row's lower shares from the relaxation held a little above:
    // each block meets its own to the solver's tolerance (1e-7), and the
    // blocks' misses would add up to the whole row's (a service level a hair
    // below its target). A solution's own shares are left as they are, so
    // that it meets them.
    const double margin = whole || !relaxed ? 0 : 1e-6;
    std::vector<std::pair<double, double>> shares(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        shares[b] = {std::isfinite(row.lower) ? std::min(lower[b], upper[b]) + margin : -kInfinity,
                     std::isfinite(row.upper) ? upper[b] : kInfinity};
    }
    return shares;
}

// A solution of the whole, from its blocks.
struct Assembled {
    std::vector<double> values;
    double objective = 0;
    bool complete = true;
};

class LinkedSolve {
public:
    LinkedSolve(const MipSolver& solver, const MipProgramme& programme, const Partition& part,
                const MipControl& control)
        : solver_(solver)
        , programme_(programme)
        , part_(part)
        , control_(control)
        , start_(Clock::now()) {
        for (const std::size_t r : part.linking) {
            std::vector<bool> touched(part.Blocks(), false);
            for (const int c : programme.rows[r].columns) {
                touched[static_cast<std::size_t>(part.blockOf[static_cast<std::size_t>(c)])] = true;
            }
            for (std::size_t b = 0; b < touched.size(); ++b) {
                if (touched[b] && std::ranges::find(linked_, b) == linked_.end()) {
                    linked_.push_back(b);
                }
            }
        }
        std::ranges::sort(linked_);
    }

    double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
    double Left() const { return control_.timeLimit - Elapsed(); }
    bool Cancelled() const { return control_.cancel != nullptr && control_.cancel->load(); }

    MipResult Run() {
        MipResult result;
        result.values.assign(programme_.columns.size(), 0);
        // The blocks no linking row touches, once for all.
        std::size_t sizeLeft = programme_.columns.size();
        for (std::size_t b = 0; b < part_.Blocks(); ++b) {
            if (std::ranges::find(linked_, b) == linked_.end()) {
                const MipResult own = SolveBlock(BlockProgramme(programme_, part_, b), b,
                                                 Left() * 0.5 * Size(b) / sizeLeft);
                sizeLeft -= Size(b);
                if (own.status == MipResult::Status::Infeasible ||
                    own.status == MipResult::Status::NoSolution) {
                    return Finished(own.status);
                }
                apart_.objective += own.objective;
                Place(own.values, b, result.values);
            }
        }
        apartValues_ = result.values;
        // The relaxation of the whole: the bound, and the first shares.
        MipProgramme relaxed = programme_;
        for (MipProgramme::Column& column : relaxed.columns) {
            column.integer = false;
        }
        MipControl lp;
        lp.timeLimit = std::max(0.0, Left() * 0.2);
        lp.cancel = control_.cancel;
        const MipResult relaxation = solver_.Solve(relaxed, lp);
        stopped_ = stopped_ || relaxation.stopped;
        if (relaxation.status == MipResult::Status::Infeasible) {
            return Finished(MipResult::Status::Infeasible);
        }
        const bool bounded = relaxation.status == MipResult::Status::Optimal;
        bound_ = bounded ? relaxation.objective : -kInfinity;
        Report(kInfinity, 0);
        std::optional<Assembled> best;
        if (bounded) {
            best = UnderShares(relaxation.values, true, 0.6);
        }
        if (!best && control_.start.size() == programme_.columns.size() && !Cancelled()) {
            best = UnderShares(control_.start, false, 0.6);
        }
        if (best && Proven(*best)) {
            return Answer(*best, MipResult::Status::Optimal);
        }
        // The whole from the best found, for the time left.
        MipControl whole;
        whole.cancel = control_.cancel;
        whole.timeLimit = std::max(0.0, Left());
        whole.start = best ? best->values : control_.start;
        const double offset = Elapsed();
        if (control_.progress) {
            whole.progress = [this, offset, &best](const MipProgress& p) {
                MipProgress shown = p;
                shown.seconds += offset;
                shown.best = std::min(p.best, best ? best->objective : kInfinity);
                shown.bound = std::max(p.bound, bound_);
                shown.nodes += nodes_;
                control_.progress(shown);
            };
        }
        const MipResult searched =
            whole.timeLimit > 0 && !Cancelled() ? solver_.Solve(programme_, whole) : MipResult{};
        nodes_ += searched.nodes;
        stopped_ = stopped_ || searched.stopped;
        if (searched.status == MipResult::Status::Infeasible) {
            return Finished(MipResult::Status::Infeasible);
        }
        if (searched.status == MipResult::Status::Optimal) {
            return Answer({searched.values, searched.objective}, MipResult::Status::Optimal);
        }
        if (!searched.values.empty()) {
            bound_ = std::max(bound_, searched.bound);
            if (!best || searched.objective < best->objective) {
                best = Assembled{searched.values, searched.objective};
            }
        }
        if (!best) {
            return Finished(MipResult::Status::NoSolution);
        }
        return Answer(*best,
                      Proven(*best) ? MipResult::Status::Optimal : MipResult::Status::Feasible);
    }

private:
    const MipSolver& solver_;
    const MipProgramme& programme_;
    const Partition& part_;
    const MipControl& control_;
    Clock::time_point start_;
    std::vector<std::size_t> linked_; // the blocks the linking rows touch
    Assembled apart_;                 // the blocks apart from them
    std::vector<double> apartValues_;
    double bound_ = -kInfinity;
    long nodes_ = 0;
    bool stopped_ = false;

    std::size_t Size(std::size_t b) const {
        return std::max<std::size_t>(part_.members[b].size(), 1);
    }

    void Place(const std::vector<double>& own, std::size_t b, std::vector<double>& values) const {
        const std::vector<int>& columns = part_.members[b];
        for (std::size_t i = 0; i < columns.size() && i < own.size(); ++i) {
            values[static_cast<std::size_t>(columns[i])] = own[i];
        }
    }

    MipResult SolveBlock(const MipProgramme& block, std::size_t b, double seconds,
                         const std::vector<double>& start = {}) {
        MipControl sub;
        sub.cancel = control_.cancel;
        sub.timeLimit = std::max(0.0, seconds);
        if (start.size() == programme_.columns.size()) {
            for (const int c : part_.members[b]) {
                sub.start.push_back(start[static_cast<std::size_t>(c)]);
            }
        }
        MipResult own = solver_.Solve(block, sub);
        nodes_ += own.nodes;
        stopped_ = stopped_ || own.stopped;
        return own;
    }

    // Each linked block under its shares of the linking rows by the activity
    // of `from` (the relaxation's, or a solution's), within `share` of the
    // time left.
    std::optional<Assembled> UnderShares(const std::vector<double>& from, bool relaxed,
                                         double share) {
        std::vector<std::vector<std::pair<double, double>>> shares; // [linking row][block]
        for (const std::size_t r : part_.linking) {
            const Row& row = programme_.rows[r];
            std::vector<double> activity(part_.Blocks(), 0);
            for (std::size_t i = 0; i < row.columns.size(); ++i) {
                const auto c = static_cast<std::size_t>(row.columns[i]);
                activity[static_cast<std::size_t>(part_.blockOf[c])] +=
                    row.coefficients[i] * from[c];
            }
            shares.push_back(Shares(row, activity, CountsWhole(programme_, row), relaxed));
        }
        Assembled whole = apart_;
        whole.values = apartValues_;
        const double seconds = Left() * share;
        const double began = Elapsed();
        std::size_t sizeLeft = 0;
        for (const std::size_t b : linked_) {
            sizeLeft += Size(b);
        }
        for (const std::size_t b : linked_) {
            MipProgramme block = BlockProgramme(programme_, part_, b);
            for (std::size_t k = 0; k < part_.linking.size(); ++k) {
                AddShare(block, programme_.rows[part_.linking[k]], part_, b, shares[k][b]);
            }
            const double left = seconds - (Elapsed() - began);
            const MipResult own = SolveBlock(block, b, left * Size(b) / sizeLeft, from);
            sizeLeft -= Size(b);
            if (own.values.empty() || Cancelled()) {
                return std::nullopt;
            }
            whole.objective += own.objective;
            Place(own.values, b, whole.values);
            Report(kInfinity, 0);
        }
        Report(whole.objective, 0);
        return whole;
    }

    // Within the objective's step of the bound, or of the relaxation's
    // optimum to its last digits.
    bool Proven(const Assembled& a) const {
        const double over = a.objective - bound_;
        const double step = programme_.objectiveStep;
        return (step > 0 && over < step * (1 - 1e-6)) ||
               over <= 1e-9 * std::max(1.0, std::fabs(a.objective));
    }

    void Report(double best, long nodes) const {
        if (control_.progress) {
            MipProgress p;
            p.seconds = Elapsed();
            p.best = best;
            p.bound = bound_;
            p.nodes = nodes_ + nodes;
            control_.progress(p);
        }
    }

    MipResult Answer(const Assembled& a, MipResult::Status status) const {
        MipResult result;
        result.status = status;
        result.values = a.values;
        result.objective = a.objective;
        result.bound = status == MipResult::Status::Optimal ? a.objective : bound_;
        result.seconds = Elapsed();
        result.nodes = nodes_;
        result.stopped = stopped_;
        return result;
    }
    MipResult Finished(MipResult::Status status) const {
        MipResult result;
        result.status = status;
        result.seconds = Elapsed();
        result.nodes = nodes_;
        result.stopped = stopped_;
        return result;
    }
};

} // namespace

MipResult SolveByBlocks(const MipSolver& solver, const MipProgramme& programme,
                        const MipControl& control) {
    const auto start = Clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    const Partition part = Split(programme);
    if (part.emptyRowFails) {
        MipResult none;
        none.status = MipResult::Status::Infeasible;
        return none;
    }
    if (part.Blocks() <= 1) {
        return solver.Solve(programme, control);
    }
    if (!part.linking.empty()) {
        return LinkedSolve(solver, programme, part, control).Run();
    }
    const std::size_t n = programme.columns.size();
    MipResult result;
    result.status = MipResult::Status::Optimal;
    result.values.assign(n, 0);
    result.objective = 0;
    result.bound = 0;
    std::size_t sizeLeft = n;
    for (std::size_t b = 0; b < part.Blocks(); ++b) {
        const std::vector<int>& cols = part.members[b];
        MipControl sub;
        sub.cancel = control.cancel;
        sub.timeLimit =
            std::max(0.0, (control.timeLimit - elapsed()) * static_cast<double>(cols.size()) /
                              static_cast<double>(sizeLeft));
        sizeLeft -= cols.size();
        if (control.progress) {
            const double offset = elapsed(), bound = result.bound;
            sub.progress = [&control, offset, bound, &result](const MipProgress& p) {
                MipProgress whole = p;
                whole.seconds += offset;
                whole.best = kInfinity; // not known until the last block has one
                whole.bound = bound + p.bound;
                whole.nodes += result.nodes;
                control.progress(whole);
            };
        }
        if (control.start.size() == n) {
            for (const int c : cols) {
                sub.start.push_back(control.start[static_cast<std::size_t>(c)]);
            }
        }
        const MipResult own = solver.Solve(BlockProgramme(programme, part, b), sub);
        result.nodes += own.nodes;
        result.stopped = result.stopped || own.stopped;
        if (own.status == MipResult::Status::Infeasible ||
            own.status == MipResult::Status::NoSolution) {
            result.status = own.status;
            result.values.clear();
            result.objective = kInfinity;
            result.bound = -kInfinity;
            break;
        }
        if (own.status == MipResult::Status::Feasible) {
            result.status = MipResult::Status::Feasible;
        }
        for (std::size_t i = 0; i < cols.size(); ++i) {
            result.values[static_cast<std::size_t>(cols[i])] = own.values[i];
        }
        result.objective += own.objective;
        result.bound += own.bound;
    }
    result.seconds = elapsed();
    return result;
}

} // namespace shifts
