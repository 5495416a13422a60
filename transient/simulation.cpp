// The day simulated caller by caller (simulation.h): events in time order,
// the calls in service by their ends, the waiting callers first come first
// served, each leaving at its own patience if not answered by then.
#include "transient/simulation.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <queue>
#include <random>

namespace transient {

namespace {

// Sums over the days of X, Y and their products, for the ratio sum X / sum Y.
struct Ratio {
    double x = 0, y = 0, xx = 0, xy = 0, yy = 0;
    void Add(double dx, double dy) {
        x += dx, y += dy, xx += dx * dx, xy += dx * dy, yy += dy * dy;
    }
    Estimate Of(int days, double none) const {
        if (y <= 0) {
            return {none, 0};
        }
        const double r = x / y, n = days, mean = y / n;
        const double spread = std::max(xx - 2 * r * xy + r * r * yy, 0.0);
        return {r, std::sqrt(spread / (n * (n - 1))) / mean};
    }
};

struct Caller {
    double patienceEnd; // when it hangs up if still waiting
    double handling;
    bool waiting = true;
};

using Event = std::pair<double, std::int64_t>; // a time, and a caller's index
using Earliest = std::priority_queue<Event, std::vector<Event>, std::greater<Event>>;

} // namespace

std::vector<SimulatedInterval> SimulateDay(const DayInput& input,
                                           const std::vector<std::int64_t>& agents,
                                           std::uint64_t seed, int days) {
    const DayModel& m = input.model;
    const double tau = 60 * m.intervalMinutes, mu = 1 / m.ahtSeconds;
    const double theta = m.patienceSeconds < INFINITY ? 1 / m.patienceSeconds : 0;
    const double target = input.targets.targetTimeSeconds;
    const std::size_t count = input.calls.size();
    struct Sums {
        Ratio answered, abandoned, blocked, waited, busy, queue;
    };
    std::vector<Sums> sums(count);
    std::mt19937_64 random(seed);
    const auto draw = [&](double rate) {
        return rate > 0 ? std::exponential_distribution<double>(rate)(random) : INFINITY;
    };

    // The fate of a caller finding b in service and q waiting, with c agents
    // held: whether it is answered within the target time, whether it hangs
    // up first (at `patience` from its arrival), and its wait until either.
    struct Fate {
        bool within;
        bool lost;
        double wait;
    };
    const auto fate = [&](std::int64_t c, std::int64_t b, std::int64_t q, double patience) {
        double waited = 0;
        for (std::int64_t e = b - c, j = q;;) {
            const double ends = static_cast<double>(c + e) * mu;
            const double rate = ends + static_cast<double>(j) * theta;
            waited += draw(rate);
            if (!(waited <= patience)) {
                return Fate{false, patience < INFINITY, patience};
            }
            if (std::uniform_real_distribution<double>(0, rate)(random) >= ends) {
                --j; // one ahead hangs up
            } else if (e > 0) {
                --e;
            } else if (j > 0) {
                --j;
            } else {
                return Fate{waited <= target, false, waited};
            }
        }
    };

    for (int day = 0; day < days; ++day) {
        std::vector<Caller> callers;
        Earliest ends, hangUps;
        std::deque<std::int64_t> queue;
        std::int64_t waiting = 0;
        double now = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t c = agents[i];
            const double lambda = input.calls[i] / tau, close = tau * static_cast<double>(i + 1);
            double answered = 0, accepted = 0, abandoned = 0, blocked = 0, arrivals = 0;
            double waited = 0, busyTime = 0, presentTime = 0;
            const auto startNext = [&] {
                while (!queue.empty() &&
                       !callers[static_cast<std::size_t>(queue.front())].waiting) {
                    queue.pop_front();
                }
                const std::int64_t id = queue.front();
                queue.pop_front();
                Caller& caller = callers[static_cast<std::size_t>(id)];
                caller.waiting = false;
                --waiting;
                ends.push({now + caller.handling, id});
            };
            while (waiting > 0 && static_cast<std::int64_t>(ends.size()) < c) {
                startNext();
            }
            double nextArrival = now + draw(lambda);
            for (;;) {
                while (!hangUps.empty() &&
                       !callers[static_cast<std::size_t>(hangUps.top().second)].waiting) {
                    hangUps.pop();
                }
                const double nextEnd = ends.empty() ? INFINITY : ends.top().first;
                const double nextHangUp = hangUps.empty() ? INFINITY : hangUps.top().first;
                const double next = std::min({nextArrival, nextEnd, nextHangUp, close});
                const auto b = static_cast<std::int64_t>(ends.size());
                const double dt = next - now;
                busyTime += static_cast<double>(b) * dt;
                presentTime += static_cast<double>(std::max(b, c)) * dt;
                now = next;
                if (next == close) {
                    break;
                }
                if (next == nextArrival) {
                    nextArrival = now + draw(lambda);
                    ++arrivals;
                    if (static_cast<double>(b + waiting) >= m.lines) {
                        ++blocked;
                        continue;
                    }
                    ++accepted;
                    const Caller caller{now + draw(theta), draw(mu)};
                    callers.push_back(caller);
                    const auto id = static_cast<std::int64_t>(callers.size()) - 1;
                    if (b < c) {
                        ++answered;
                        callers.back().waiting = false;
                        ends.push({now + caller.handling, id});
                    } else {
                        const Fate f = fate(c, b, waiting, caller.patienceEnd - now);
                        answered += f.within;
                        abandoned += f.lost;
                        waited += f.wait;
                        queue.push_back(id);
                        hangUps.push({caller.patienceEnd, id});
                        ++waiting;
                    }
                } else if (next == nextEnd) {
                    ends.pop();
                    if (b <= c && waiting > 0) {
                        startNext(); // else its agent leaves, or stays idle
                    }
                } else {
                    callers[static_cast<std::size_t>(hangUps.top().second)].waiting = false;
                    hangUps.pop();
                    --waiting;
                }
            }
            Sums& s = sums[i];
            s.answered.Add(answered, accepted);
            s.abandoned.Add(abandoned, accepted);
            s.blocked.Add(blocked, arrivals);
            s.waited.Add(waited, accepted);
            s.busy.Add(busyTime, presentTime);
            s.queue.Add(static_cast<double>(waiting), 1);
        }
    }

    std::vector<SimulatedInterval> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Sums& s = sums[i];
        out[i] = {s.answered.Of(days, 1), s.abandoned.Of(days, 0), s.blocked.Of(days, 0),
                  s.waited.Of(days, 0),   s.busy.Of(days, 0),      s.queue.Of(days, 0)};
    }
    return out;
}

} // namespace transient
