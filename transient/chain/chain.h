// One interval of the day's chain (day.h states the model): from the state
// at its start, with a count of agents held through it, the state at its end
// and the sums over it that every figure is formed from.
//
// Storage. For a count c the states are laid out in two parts: the main
// chain over n = b + q with b = min(n, c) (below the count nobody waits), a
// birth-death chain; and, only after a fall, one row per call in service
// beyond the count, b = c + e, over its queue q. A row feeds the one below
// it as its calls end (no waiting call starts there), row 1 feeding the main
// chain at n = c + q. Each part keeps only the window of states whose
// probability is above the cut (1e-20): most of the probability lies in a
// narrow band.
//
// Method. Uniformization at the largest rate out of a state, Lambda: the
// state after k jumps of the chain sampled at rate Lambda, weighted by the
// Poisson probabilities of k at Lambda tau for the end, and by P(N > k) /
// Lambda for the integral over the interval (each term positive, so the
// sums lose nothing to cancellation). The queue's window is bounded for the
// rate; where probability above the cut reaches the bound, it is doubled and
// the interval done again.
//
// Each arrival's fate: a caller arriving in (b, q) with b >= c waits for
// b - c + 1 ends of calls and then its place in the queue, those ahead
// hanging up, the count held. Its chain over (e, j) (calls beyond the count,
// callers ahead) only ever steps down, to its answer or its own hang-up:
// whether it hangs up and how long it waits by that chain's first steps,
// each (e, j) from those below it; the probability of the answer within the
// target time, for every (e, j) at once, by uniformization of that chain
// backwards over the target time.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace transient::chain {

// Probability below which a state's is left out at a window's edge.
inline constexpr double kCut = 1e-20;

struct Rates {
    double arrival;  // calls per second
    double service;  // 1 / aht
    double hangUp;   // 1 / patience, 0 for none
    double lines;    // infinite for none
    double duration; // the interval, in seconds
};

// A window of probabilities: value[i] is the state lo + i.
struct Window {
    std::int64_t lo = 0;
    std::vector<double> value;
};

// A distribution over (b, q), laid out for `agents` (c).
struct State {
    std::int64_t agents = 0;
    Window main;                // over n = b + q, b = min(n, c)
    std::vector<Window> excess; // excess[e - 1] over q, b = c + e
};

// The centre with no call: all probability in (0, 0).
State EmptyState();
// Probability that callers wait in the state (q > 0).
double WaitingProbability(const State& state);
// The largest difference of one state's probability between two states.
double Distance(const State& a, const State& b);

// Sums over the interval of the probabilities times what each figure counts.
struct Sums {
    double time = 0;      // the integral of all probability: tau less the cut's loss
    double accepting = 0; // over the states with b + q < lines
    double blocked = 0;   // over b + q = lines
    double waiting = 0;   // of q
    double busy = 0;      // of b
    double present = 0;   // of max(b, c)
    // Over the accepting states, times each arrival's fate there with the
    // count held: answered within the target time, hung up before it is
    // answered, and its wait until either (infinite where neither comes).
    double answered = 0;
    double lost = 0;
    double waited = 0;
    double queueAtEnd = 0;
};

struct Interval {
    State end;
    Sums sums;
    std::int64_t queueBound = 0; // the queue's bound it settled on, a hint for the next
};

// Cancelled work stops by throwing this from inside the steps.
struct Cancelled {};

// The interval with `agents` held, from `start` (laid out for any count: the
// boundary rule moves waiting calls to free agents). The service level for
// `targetTime` seconds is summed when `serviceLevel`. `queueBound` is a hint
// (0: none); `cut` is kCut except in tests. Throws Cancelled when
// `cancelled` says so.
Interval Advance(const State& start, std::int64_t agents, const Rates& rates, double targetTime,
                 bool serviceLevel, std::int64_t queueBound = 0,
                 const std::function<bool()>& cancelled = {}, double cut = kCut);

// The Poisson probabilities at `mean`, over [first, first + size) where the
// rest weighs below 1e-30, normalized to 1.
struct PoissonWeights {
    std::int64_t first = 0;
    std::vector<double> probability;
    std::vector<double> beyond; // beyond[k - first] = P(N > k); P(N > k) = 1 below first
};
PoissonWeights Poisson(double mean);

} // namespace transient::chain
