// CBC through CbcModel directly rather than its command-line driver
// (CbcMain1), whose static state makes two solves in two threads unsafe;
// each solve here owns its Clp, its model and its handlers, as CBC's own
// parallel search does with its copies. The time limit is wall time, checked
// by CBC itself and by the event handler at every node and solution; the
// cancel flag is read there too.
#include "shifts/cbc_solver.h"

#include <CbcEventHandler.hpp>
#include <CbcModel.hpp>
#include <CbcStrategy.hpp>
#include <ClpEventHandler.hpp>
#include <CoinMessageHandler.hpp>
#include <CoinPackedMatrix.hpp>
#include <OsiClpSolverInterface.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>

namespace shifts {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class Watch final : public CbcEventHandler {
public:
    Watch(const MipControl& control, Clock::time_point start)
        : control_(control)
        , start_(start) {}

    CbcAction event(CbcEvent which) override {
        const double seconds = Since(start_);
        if (seconds >= control_.timeLimit ||
            (control_.cancel != nullptr && control_.cancel->load(std::memory_order_relaxed))) {
            return stop;
        }
        // Now and then, and at each better solution.
        if (control_.progress && model_ != nullptr &&
            (which == solution || which == heuristicSolution || seconds >= nextReport_)) {
            nextReport_ = seconds + 0.5;
            MipProgress progress;
            progress.seconds = seconds;
            // CBC holding only the start says 1e50 for it.
            if (model_->bestSolution() != nullptr && model_->getObjValue() < 1e49) {
                progress.best = model_->getObjValue();
            }
            progress.bound = model_->getBestPossibleObjValue();
            progress.nodes = model_->getNodeCount();
            control_.progress(progress);
        }
        return noAction;
    }
    CbcEventHandler* clone() const override { return new Watch(*this); }

private:
    const MipControl& control_;
    Clock::time_point start_;
    double nextReport_ = 0;
};

// The most any row's activity lies outside its bounds.
double Violation(const MipProgramme& programme, const double* values) {
    double worst = 0;
    for (const MipProgramme::Row& row : programme.rows) {
        double activity = 0;
        for (std::size_t i = 0; i < row.columns.size(); ++i) {
            activity += row.coefficients[i] * values[row.columns[i]];
        }
        worst = std::max({worst, row.lower - activity, activity - row.upper});
    }
    return worst;
}

// The same checks at the end of every iteration of Clp, which CBC runs with
// no event of its own through the root's cuts and heuristics: once the time
// is up or the cancel is set, CBC's own limit is set to now, which it reads
// between its steps, and Clp stops where it is (the root's linear programme
// of a large programme alone may take minutes). The flag it sets lives with
// the solve: CBC and Clp keep clones of the handler.
class ClpWatch final : public ClpEventHandler {
public:
    ClpWatch(const MipControl& control, Clock::time_point start, CbcModel** cbc, bool* stopped)
        : control_(control)
        , start_(start)
        , cbc_(cbc)
        , stopped_(stopped) {}

    int event(Event which) override {
        if (which != endOfIteration) {
            return -1;
        }
        if (!*stopped_ &&
            (Since(start_) >= control_.timeLimit ||
             (control_.cancel != nullptr && control_.cancel->load(std::memory_order_relaxed)))) {
            *stopped_ = true;
            if (*cbc_ != nullptr) {
                (*cbc_)->setMaximumSeconds(0);
            }
        }
        return *stopped_ ? 0 : -1;
    }
    ClpEventHandler* clone() const override { return new ClpWatch(*this); }

private:
    const MipControl& control_;
    Clock::time_point start_;
    CbcModel** cbc_;
    bool* stopped_;
};

} // namespace

MipResult CbcSolver::Solve(const MipProgramme& programme, const MipControl& control) const {
    const auto start = Clock::now();
    MipResult result;
    const int n = static_cast<int>(programme.columns.size());
    const int m = static_cast<int>(programme.rows.size());

    // Row-ordered, in one piece: appending rows one by one copies the
    // matrix again and again (minutes for a programme of 300,000 columns).
    std::vector<double> rowLower(m), rowUpper(m);
    std::vector<CoinBigIndex> rowStart(static_cast<std::size_t>(m) + 1, 0);
    std::vector<int> rowLength(m), indices;
    std::vector<double> elements;
    for (int r = 0; r < m; ++r) {
        const MipProgramme::Row& row = programme.rows[r];
        rowStart[r] = static_cast<CoinBigIndex>(indices.size());
        rowLength[r] = static_cast<int>(row.columns.size());
        indices.insert(indices.end(), row.columns.begin(), row.columns.end());
        elements.insert(elements.end(), row.coefficients.begin(), row.coefficients.end());
        rowLower[r] = std::isinf(row.lower) ? -COIN_DBL_MAX : row.lower;
        rowUpper[r] = std::isinf(row.upper) ? COIN_DBL_MAX : row.upper;
    }
    rowStart[m] = static_cast<CoinBigIndex>(indices.size());
    const CoinPackedMatrix matrix(false, n, m, static_cast<CoinBigIndex>(indices.size()),
                                  elements.data(), indices.data(), rowStart.data(),
                                  rowLength.data());
    std::vector<double> lower(n), upper(n), cost(n);
    for (int j = 0; j < n; ++j) {
        lower[j] = programme.columns[j].lower;
        upper[j] =
            std::isinf(programme.columns[j].upper) ? COIN_DBL_MAX : programme.columns[j].upper;
        cost[j] = programme.columns[j].cost;
    }

    OsiClpSolverInterface clp;
    clp.messageHandler()->setLogLevel(0);
    clp.loadProblem(matrix, lower.data(), upper.data(), cost.data(), rowLower.data(),
                    rowUpper.data());
    for (int j = 0; j < n; ++j) {
        if (programme.columns[j].integer) {
            clp.setInteger(j);
        }
    }
    clp.getModelPtr()->setRandomSeed(1234567);
    clp.getModelPtr()->setMaximumSeconds(control.timeLimit);

    CbcModel* running = nullptr;
    bool cut = false; // Clp stopped by the watch: nothing it answered since is proven
    ClpWatch clpWatch(control, start, &running, &cut);
    clp.getModelPtr()->passInEventHandler(&clpWatch);
    CbcModel model(clp);
    running = &model;
    model.messageHandler()->setLogLevel(0);
    model.setLogLevel(0);
    model.setNumberThreads(0);
    model.setRandomSeed(1234567);
    model.setUseElapsedTime(true);
    model.setMaximumSeconds(std::max(0.0, control.timeLimit - Since(start)));
    // CBC's own default tolerance stops at a 1e-4 relative gap; the answer
    // says optimal only when none is left.
    model.setAllowableGap(1e-9);
    model.setAllowableFractionGap(1e-9);
    if (programme.objectiveStep > 0) {
        model.setDblParam(CbcModel::CbcCutoffIncrement, programme.objectiveStep * (1 - 1e-6));
    }
    // No preprocessing: CBC 2.10's, through this strategy, has answered
    // solutions of the preprocessed programme as if of the original (caught
    // by the reference optima); these programmes gain little from it.
    CbcStrategyDefault strategy(1, 5, 5);
    strategy.setupPreProcessing(0);
    model.setStrategy(strategy);
    // CbcModel keeps the integer columns in their order: priorities by it.
    std::vector<int> priorities;
    for (const MipProgramme::Column& column : programme.columns) {
        if (column.integer) {
            priorities.push_back(column.priority);
        }
    }
    model.findIntegers(false);
    if (!priorities.empty()) {
        model.passInPriorities(priorities.data(), false);
    }
    Watch watch(control, start);
    model.passInEventHandler(&watch);
    if (static_cast<int>(control.start.size()) == n) {
        double objective = 0;
        for (int j = 0; j < n; ++j) {
            objective += cost[j] * control.start[j];
        }
        model.setBestSolution(control.start.data(), n, objective, true);
    }

    // Stopped before it starts: the root alone may take longer than a cancel should.
    if (control.cancel == nullptr || !control.cancel->load()) {
        model.branchAndBound();
    }

    result.seconds = Since(start);
    result.nodes = model.getNodeCount();
    result.stopped = control.cancel != nullptr && control.cancel->load();
    if (model.bestSolution() != nullptr) {
        const double* best = model.bestSolution();
        // A solution outside the rows would be split into a schedule that is
        // not the one solved for: a fault, never an answer.
        if (Violation(programme, best) > 1e-5) {
            throw std::logic_error("CBC answered a solution that breaks the programme's rows");
        }
        result.values.assign(best, best + n);
        // From the values: CBC stopped with only the start in hand says 1e50.
        result.objective = 0;
        for (int j = 0; j < n; ++j) {
            result.objective += cost[j] * best[j];
        }
        result.bound = model.getBestPossibleObjValue();
        const bool proven =
            model.isProvenOptimal() && !model.isSecondsLimitReached() && !result.stopped && !cut;
        result.status = proven ? MipResult::Status::Optimal : MipResult::Status::Feasible;
        if (proven) {
            result.bound = result.objective;
        } else if ((cut && result.nodes == 0) || !(result.bound < result.objective)) {
            // Stopped in the root, before its relaxation gave a bound: CBC
            // then says the start's own value, which would read as no gap.
            result.bound = -kInfinity;
        }
    } else if (model.isProvenInfeasible() && !model.isSecondsLimitReached() &&
               !model.isNodeLimitReached() && !result.stopped && !cut) {
        result.status = MipResult::Status::Infeasible;
    } else {
        result.status = MipResult::Status::NoSolution;
    }
    return result;
}

} // namespace shifts
