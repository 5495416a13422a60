// The mixed-integer programme the schedule is solved as, and the small
// interface a solver implements (cbc_solver.h is the one the room uses), so
// that another solver can take its place without the model changing. The
// programme minimises cost over columns with bounds, some of them integer,
// under rows lo <= a x <= hi given as sparse lists.
#pragma once

#include <atomic>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace shifts {

inline constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct MipProgramme {
    struct Column {
        double lower = 0;
        double upper = kInfinity;
        double cost = 0;
        bool integer = true;
        // Lower branches first (integer columns only).
        int priority = 1000;
    };
    struct Row {
        std::vector<int> columns;
        std::vector<double> coefficients;
        double lower = -kInfinity;
        double upper = kInfinity;
        // A row over the whole horizon (a template's limit over a week, the
        // horizon's service level) that may join blocks the other rows leave
        // apart: SolveByBlocks then shares it out among them.
        bool links = false;
    };
    std::vector<Column> columns;
    std::vector<Row> rows;
    // The objective's values are whole multiples of this where every column
    // with a cost is integer (0: not known to be): a solver may then prune a
    // node that cannot improve on the best by a whole unit.
    double objectiveStep = 0;

    int AddColumn(Column column) {
        columns.push_back(column);
        return static_cast<int>(columns.size()) - 1;
    }
    Row& AddRow(double lower, double upper) {
        rows.push_back({{}, {}, lower, upper});
        return rows.back();
    }
};

// What the search has reached, now and then.
struct MipProgress {
    double seconds = 0;
    double best = kInfinity; // objective of the best solution found; infinite: none yet
    double bound = -kInfinity;
    long nodes = 0;
};

struct MipControl {
    double timeLimit = 60;                     // seconds of wall time, always honoured
    const std::atomic<bool>* cancel = nullptr; // set by another thread to stop early
    std::function<void(const MipProgress&)> progress;
    // A solution to start from (all columns), feasible or empty.
    std::vector<double> start;
};

struct MipResult {
    enum class Status {
        Optimal,    // proven
        Feasible,   // the best found when the time ran out or the search was stopped
        Infeasible, // proven to have no solution
        NoSolution, // none found before the time ran out or the search was stopped
    };
    Status status = Status::NoSolution;
    bool stopped = false; // by the cancel flag
    std::vector<double> values;
    double objective = kInfinity;
    double bound = -kInfinity;
    double seconds = 0;
    long nodes = 0;
};

class MipSolver {
public:
    virtual ~MipSolver() = default;
    // Safe to call from several threads at once, each with its own programme.
    virtual MipResult Solve(const MipProgramme& programme, const MipControl& control) const = 0;
};

} // namespace shifts

namespace shifts {

// Solves the programme's independent blocks (columns linked by no row, as
// the days of a week whose shifts end by midnight) one after another with
// `solver`, each within its share of the time left by its size, and puts
// their answers together: exact, and far faster than one search over all.
// Optimal where every block is; feasible where some block is not proven;
// infeasible or without a solution where some block is.
//
// Rows marked `links` that join blocks (a weekly max over days that are
// otherwise apart) are shared out: the programme's linear relaxation gives
// the bound and each block's share of each such row, rounded to whole
// numbers where the row counts agents; each block is solved under its
// share, and the blocks' answers together are a solution of the whole
// (the shares add up within the row's bounds). Where a block cannot meet its
// share, the shares of `control.start` are tried, which its own solution
// meets. The whole programme is then searched from the best solution for the
// time left, which may improve it or its bound. Optimal where the solution
// is within the objective's step of the bound (or the search proves it);
// otherwise feasible, with the best bound of the relaxation and the search.
MipResult SolveByBlocks(const MipSolver& solver, const MipProgramme& programme,
                        const MipControl& control);

} // namespace shifts
