// Blocks by union-find over the rows' columns; each block a programme of its
// own, its columns renumbered, its solution written back in place.
#include "shifts/mip.h"

#include <chrono>
#include <numeric>

namespace shifts {
namespace {

struct Blocks {
    std::vector<int> parent;

    explicit Blocks(std::size_t n)
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

} // namespace

MipResult SolveByBlocks(const MipSolver& solver, const MipProgramme& programme,
                        const MipControl& control) {
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const std::size_t n = programme.columns.size();
    Blocks blocks(n);
    for (const MipProgramme::Row& row : programme.rows) {
        for (std::size_t i = 1; i < row.columns.size(); ++i) {
            blocks.Join(row.columns[0], row.columns[i]);
        }
    }
    // Blocks in the order of their first column; each column's place in its block.
    std::vector<int> blockOf(n, -1), place(n);
    std::vector<int> rootBlock(n, -1);
    std::vector<MipProgramme> parts;
    std::vector<std::vector<int>> members;
    for (std::size_t j = 0; j < n; ++j) {
        const auto root = static_cast<std::size_t>(blocks.Find(static_cast<int>(j)));
        if (rootBlock[root] < 0) {
            rootBlock[root] = static_cast<int>(parts.size());
            parts.emplace_back();
            parts.back().objectiveStep = programme.objectiveStep;
            members.emplace_back();
        }
        blockOf[j] = rootBlock[root];
        place[j] = parts[static_cast<std::size_t>(blockOf[j])].AddColumn(programme.columns[j]);
        members[static_cast<std::size_t>(blockOf[j])].push_back(static_cast<int>(j));
    }
    if (parts.size() <= 1) {
        return solver.Solve(programme, control);
    }
    for (const MipProgramme::Row& row : programme.rows) {
        if (row.columns.empty()) {
            // A row of no columns: its bounds alone decide.
            if (row.lower > 0 || row.upper < 0) {
                MipResult none;
                none.status = MipResult::Status::Infeasible;
                return none;
            }
            continue;
        }
        MipProgramme& part =
            parts[static_cast<std::size_t>(blockOf[static_cast<std::size_t>(row.columns[0])])];
        MipProgramme::Row& copy = part.AddRow(row.lower, row.upper);
        copy.coefficients = row.coefficients;
        for (const int c : row.columns) {
            copy.columns.push_back(place[static_cast<std::size_t>(c)]);
        }
    }
    MipResult result;
    result.status = MipResult::Status::Optimal;
    result.values.assign(n, 0);
    result.objective = 0;
    result.bound = 0;
    std::size_t sizeLeft = n;
    for (std::size_t b = 0; b < parts.size(); ++b) {
        const std::vector<int>& cols = members[b];
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
        const MipResult part = solver.Solve(parts[b], sub);
        result.nodes += part.nodes;
        result.stopped = result.stopped || part.stopped;
        if (part.status == MipResult::Status::Infeasible ||
            part.status == MipResult::Status::NoSolution) {
            result.status = part.status;
            result.values.clear();
            result.objective = kInfinity;
            result.bound = -kInfinity;
            break;
        }
        if (part.status == MipResult::Status::Feasible) {
            result.status = MipResult::Status::Feasible;
        }
        for (std::size_t i = 0; i < cols.size(); ++i) {
            result.values[static_cast<std::size_t>(cols[i])] = part.values[i];
        }
        result.objective += part.objective;
        result.bound += part.bound;
    }
    result.seconds = elapsed();
    return result;
}

} // namespace shifts
