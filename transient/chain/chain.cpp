// One interval of the day's chain by uniformization (chain.h says how).
#include "transient/chain/chain.h"

#include <boost/math/distributions/poisson.hpp>

#include <algorithm>
#include <limits>
#include <utility>

namespace transient::chain {

namespace {

constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
// The queue's first bound beyond the deepest queue at the start.
constexpr std::int64_t kQueueMargin = 32;

// A row of states stepped in place: two buffers, each zero outside its own
// window and padded by a zero at each end, and the sums over the interval.
struct Lane {
    std::int64_t size = 0; // states 0 .. size - 1
    bool capped = false;   // the top is the queue's bound, not the lines
    std::vector<double> buffer[2];
    std::int64_t lo[2] = {kNone, kNone};
    std::int64_t hi[2] = {-1, -1};
    std::vector<double> integral, end;
    std::int64_t seenLo = kNone, seenHi = -1;

    void Resize(std::int64_t n) {
        size = n;
        for (auto& b : buffer) {
            b.assign(static_cast<std::size_t>(n + 2), 0.0);
        }
        integral.assign(static_cast<std::size_t>(n), 0.0);
        end.assign(static_cast<std::size_t>(n), 0.0);
    }
    double* Values(int which) { return buffer[which].data() + 1; }
    bool Empty(int which) const { return lo[which] > hi[which]; }
};

// After the new values of [from, to] are written into buffer `next` (and
// added to the sums over the interval): its edges below the cut dropped, the
// cells it held beyond them cleared. False where probability above the cut
// reaches a capped top: the queue's bound must grow.
bool Finish(Lane& lane, int next, std::int64_t from, std::int64_t to, double cut) {
    double* y = lane.Values(next);
    while (from <= to && y[from] < cut) {
        y[from++] = 0;
    }
    while (to >= from && y[to] < cut) {
        y[to--] = 0;
    }
    const std::int64_t oldLo = lane.lo[next], oldHi = lane.hi[next];
    for (std::int64_t i = oldLo; i <= std::min(oldHi, from - 1); ++i) {
        y[i] = 0;
    }
    for (std::int64_t i = std::max(oldLo, to + 1); i <= oldHi; ++i) {
        y[i] = 0;
    }
    if (from > to) {
        lane.lo[next] = kNone;
        lane.hi[next] = -1;
        return true;
    }
    lane.lo[next] = from;
    lane.hi[next] = to;
    lane.seenLo = std::min(lane.seenLo, from);
    lane.seenHi = std::max(lane.seenHi, to);
    return !(lane.capped && to == lane.size - 1);
}

// Where a step's new values go: the row's buffer, and the sums over the
// interval with their weights at this step (the end's 0 before its Poisson
// window).
// The hot steps are cloned for AVX2, the clone chosen as the program loads by
// an ifunc resolver; under ThreadSanitizer that resolver runs before the
// sanitizer's runtime is set up and crashes the program, so there they are not.
#if defined(__SANITIZE_THREAD__)
#define CORVANE_AVX2_CLONES
#else
#define CORVANE_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#endif

struct Out {
    double* __restrict y;
    double* __restrict integral;
    double* __restrict end;
    double weight;
    double endWeight;
};

// The step of a birth-death row on [from, to]: y[i] = (base + stay[i]) x[i]
// + up x[i - 1] + down[i + 1] x[i + 1], added to the sums as it is written.
// Kept apart and unaliased so that it vectorizes: most of the time goes here.
CORVANE_AVX2_CLONES void Step(const double* __restrict x, const Out& out,
                              const double* __restrict stay, const double* __restrict down,
                              double base, double up, std::int64_t from, std::int64_t to) {
    double* __restrict y = out.y;
    double* __restrict integral = out.integral;
    const double w = out.weight;
    if (out.endWeight > 0) {
        double* __restrict end = out.end;
        const double we = out.endWeight;
        for (std::int64_t i = from; i <= to; ++i) {
            const double v = (base + stay[i]) * x[i] + up * x[i - 1] + down[i + 1] * x[i + 1];
            y[i] = v;
            integral[i] += w * v;
            end[i] += we * v;
        }
    } else {
        for (std::int64_t i = from; i <= to; ++i) {
            const double v = (base + stay[i]) * x[i] + up * x[i - 1] + down[i + 1] * x[i + 1];
            y[i] = v;
            integral[i] += w * v;
        }
    }
}

// The step of a row beyond the count with the calls ending in the row above
// it, z, fused: y[i] = (base + stay[i]) x[i] + up x[i - 1] + down[i + 1]
// x[i + 1] + rate z[i], one pass over the row instead of two. z is read on
// [from, to], where outside its own window it holds zeros.
CORVANE_AVX2_CLONES void StepFed(const double* __restrict x, const double* __restrict z,
                                 const Out& out, const double* __restrict stay,
                                 const double* __restrict down, double base, double up, double rate,
                                 std::int64_t from, std::int64_t to) {
    double* __restrict y = out.y;
    double* __restrict integral = out.integral;
    const double w = out.weight;
    if (out.endWeight > 0) {
        double* __restrict end = out.end;
        const double we = out.endWeight;
        for (std::int64_t i = from; i <= to; ++i) {
            const double v =
                (base + stay[i]) * x[i] + up * x[i - 1] + down[i + 1] * x[i + 1] + rate * z[i];
            y[i] = v;
            integral[i] += w * v;
            end[i] += we * v;
        }
    } else {
        for (std::int64_t i = from; i <= to; ++i) {
            const double v =
                (base + stay[i]) * x[i] + up * x[i - 1] + down[i + 1] * x[i + 1] + rate * z[i];
            y[i] = v;
            integral[i] += w * v;
        }
    }
}

// y[i] += rate z[i] on [from, to], and to the sums: calls ending from the
// row above (z and the out's arrays offset alike).
void Inflow(const double* __restrict z, const Out& out, double rate, std::int64_t from,
            std::int64_t to) {
    for (std::int64_t i = from; i <= to; ++i) {
        const double v = rate * z[i];
        out.y[i] += v;
        out.integral[i] += out.weight * v;
        out.end[i] += out.endWeight * v;
    }
}

// Buffer `which` of the lane emptied.
void Clear(Lane& lane, int which) {
    double* y = lane.Values(which);
    for (std::int64_t i = lane.lo[which]; i <= lane.hi[which]; ++i) {
        y[i] = 0;
    }
    lane.lo[which] = kNone;
    lane.hi[which] = -1;
}

Window Trimmed(const std::vector<double>& values, std::int64_t lo, std::int64_t hi, double cut) {
    while (lo <= hi && values[static_cast<std::size_t>(lo)] < cut) {
        ++lo;
    }
    while (hi >= lo && values[static_cast<std::size_t>(hi)] < cut) {
        --hi;
    }
    Window w;
    if (lo <= hi) {
        w.lo = lo;
        w.value.assign(values.begin() + lo, values.begin() + hi + 1);
    }
    return w;
}

// Every state of `state` as (b, q, p).
template <typename Visit> void ForEachState(const State& state, Visit visit) {
    const std::int64_t c = state.agents;
    for (std::size_t i = 0; i < state.main.value.size(); ++i) {
        const std::int64_t n = state.main.lo + static_cast<std::int64_t>(i);
        const std::int64_t b = std::min(n, c);
        visit(b, n - b, state.main.value[i]);
    }
    for (std::size_t r = 0; r < state.excess.size(); ++r) {
        const Window& row = state.excess[r];
        for (std::size_t i = 0; i < row.value.size(); ++i) {
            visit(c + static_cast<std::int64_t>(r) + 1, row.lo + static_cast<std::int64_t>(i),
                  row.value[i]);
        }
    }
}

// The fate of every caller arriving with e calls beyond the count c and j
// callers ahead, the count held for its wait, for j up to reach[e]. Its
// chain steps down from (e, j) by an end of call (to e - 1, or at e = 0 to
// the next place, or the answer from the head), by a hang-up ahead (j - 1)
// or by its own. A row needs the one below it as far as itself: the rows'
// reach is made to fall with e, and the staircase under it is all that is
// computed. Where it ends and how long it waits, by the chain's first steps
// (each state's from the states below it); the answer within `t`, when
// asked, by uniformization backwards over `t`.
struct Fates {
    std::vector<std::size_t> offset; // row e's values from offset[e]
    std::vector<double> within;      // answered within t (when asked)
    std::vector<double> lost;        // hangs up before it is answered
    std::vector<double> wait;        // until answered or hung up; infinite where neither
    std::size_t At(std::int64_t e, std::int64_t j) const {
        return offset[static_cast<std::size_t>(e)] + static_cast<std::size_t>(j);
    }
};
// One backward step of the tagged caller's chain on a row, places 1 to n:
// out[j] = (stay - ahead[j]) row[j] + ahead[j] row[j - 1] + ends below[j].
// Kept apart and unaliased so that it vectorizes.
CORVANE_AVX2_CLONES void FateStep(const double* __restrict row, const double* __restrict below,
                                  const double* __restrict ahead, double* __restrict out,
                                  double stay, double ends, std::int64_t n) {
    for (std::int64_t j = 1; j <= n; ++j) {
        out[j] = (stay - ahead[j]) * row[j] + ahead[j] * row[j - 1] + ends * below[j];
    }
}

Fates FatesOf(std::int64_t c, std::vector<std::int64_t> reach, const Rates& r, double t,
              bool serviceLevel, const std::function<bool()>& cancelled) {
    const auto eMax = static_cast<std::int64_t>(reach.size()) - 1;
    for (std::int64_t e = eMax; e-- > 0;) {
        reach[static_cast<std::size_t>(e)] =
            std::max(reach[static_cast<std::size_t>(e)], reach[static_cast<std::size_t>(e + 1)]);
    }
    Fates g;
    std::size_t size = 0;
    for (const std::int64_t j : reach) {
        g.offset.push_back(size);
        size += static_cast<std::size_t>(j + 1);
    }
    g.within.assign(size, 0.0);
    g.lost.assign(size, 0.0);
    g.wait.assign(size, 0.0);
    for (std::int64_t e = 0; e <= eMax; ++e) {
        const double ends = static_cast<double>(c + e) * r.service;
        for (std::int64_t j = 0; j <= reach[static_cast<std::size_t>(e)]; ++j) {
            const double ahead = static_cast<double>(j) * r.hangUp;
            const double out = ends + ahead + r.hangUp;
            const std::size_t k = g.At(e, j);
            if (out == 0) {
                g.wait[k] = INFINITY; // no agent and no hang-up: it waits for ever
                continue;
            }
            double lost = r.hangUp, wait = 1;
            // Only the steps it can take: an infinite wait times a rate of 0 adds nothing.
            if (ends > 0 && (e > 0 || j > 0)) {
                const std::size_t after = e > 0 ? g.At(e - 1, j) : g.At(0, j - 1);
                lost += ends * g.lost[after];
                wait += ends * g.wait[after];
            }
            if (ahead > 0) {
                lost += ahead * g.lost[g.At(e, j - 1)];
                wait += ahead * g.wait[g.At(e, j - 1)];
            }
            g.lost[k] = lost / out;
            g.wait[k] = wait / out;
        }
    }
    if (!serviceLevel) {
        return g;
    }
    const double rate = static_cast<double>(c + eMax) * r.service +
                        static_cast<double>(reach[0]) * r.hangUp + r.hangUp;
    if (t <= 0 || rate <= 0 || (c == 0 && eMax == 0)) {
        return g; // nobody reaches an agent: none is free, or no time to wait
    }
    const PoissonWeights weights = Poisson(rate * t);
    std::vector<double> v(size, 0.0), next(size, 0.0);
    // The hang-ups ahead at each place j, and what stays beyond them and the
    // caller's own, by row.
    std::vector<double> ahead(static_cast<std::size_t>(reach[0] + 1));
    for (std::size_t j = 0; j < ahead.size(); ++j) {
        ahead[j] = static_cast<double>(j) * r.hangUp / rate;
    }
    const std::int64_t last = weights.first + static_cast<std::int64_t>(weights.probability.size());
    for (std::int64_t k = 1; k < last; ++k) {
        if ((k & 255) == 0 && cancelled && cancelled()) {
            throw Cancelled{};
        }
        for (std::int64_t e = 0; e <= eMax; ++e) {
            const double ends = static_cast<double>(c + e) * r.service / rate;
            const double stay = 1 - ends - r.hangUp / rate;
            const double* row = v.data() + g.offset[static_cast<std::size_t>(e)];
            // From row 0 an end of call moves the caller one place on, or
            // answers it from the head.
            const double* below =
                e > 0 ? v.data() + g.offset[static_cast<std::size_t>(e - 1)] : row - 1;
            double* out = next.data() + g.offset[static_cast<std::size_t>(e)];
            out[0] = stay * row[0] + ends * (e > 0 ? below[0] : 1.0);
            FateStep(row, below, ahead.data(), out, stay, ends, reach[static_cast<std::size_t>(e)]);
        }
        std::swap(v, next);
        if (k >= weights.first) {
            const double p = weights.probability[static_cast<std::size_t>(k - weights.first)];
            for (std::size_t i = 0; i < v.size(); ++i) {
                g.within[i] += p * v[i];
            }
        }
    }
    return g;
}

} // namespace

PoissonWeights Poisson(double mean) {
    PoissonWeights w;
    if (mean <= 0) {
        w.probability = {1.0};
        w.beyond = {0.0};
        return w;
    }
    // Outward from the mode by the ratios of neighbours (Fox and Glynn), its
    // own probability from Boost, down to 1e-30 of it on each side.
    constexpr double kTail = 1e-30;
    const double mode = std::floor(mean);
    const double top = boost::math::pdf(boost::math::poisson_distribution<double>(mean), mode);
    std::vector<double> left, right = {top};
    for (double k = mode, p = top; k > 0;) {
        p *= k / mean;
        k -= 1;
        if (p < kTail * top) {
            break;
        }
        left.push_back(p);
    }
    for (double k = mode, p = top;;) {
        k += 1;
        p *= mean / k;
        if (p < kTail * top) {
            break;
        }
        right.push_back(p);
    }
    w.first = static_cast<std::int64_t>(mode) - static_cast<std::int64_t>(left.size());
    w.probability.assign(left.rbegin(), left.rend());
    w.probability.insert(w.probability.end(), right.begin(), right.end());
    double sum = 0;
    for (const double p : w.probability) {
        sum += p;
    }
    w.beyond.assign(w.probability.size(), 0.0);
    double tail = 0;
    for (std::size_t i = w.probability.size(); i-- > 0;) {
        w.probability[i] /= sum;
        w.beyond[i] = tail;
        tail += w.probability[i];
    }
    return w;
}

State EmptyState() {
    State s;
    s.main.value = {1.0};
    return s;
}

double WaitingProbability(const State& state) {
    double p = 0;
    ForEachState(state, [&](std::int64_t, std::int64_t q, double v) { p += q > 0 ? v : 0; });
    return p;
}

double Distance(const State& a, const State& b) {
    if (a.agents != b.agents) {
        return INFINITY;
    }
    const auto windows = [](const Window& x, const Window& y) {
        double d = 0;
        const std::int64_t lo = std::min(x.lo, y.lo);
        const std::int64_t hi = std::max(x.lo + static_cast<std::int64_t>(x.value.size()),
                                         y.lo + static_cast<std::int64_t>(y.value.size()));
        const auto at = [](const Window& w, std::int64_t i) {
            const std::int64_t k = i - w.lo;
            return k >= 0 && k < static_cast<std::int64_t>(w.value.size())
                       ? w.value[static_cast<std::size_t>(k)]
                       : 0.0;
        };
        for (std::int64_t i = lo; i < hi; ++i) {
            d = std::max(d, std::abs(at(x, i) - at(y, i)));
        }
        return d;
    };
    double d = windows(a.main, b.main);
    const Window none;
    for (std::size_t r = 0; r < std::max(a.excess.size(), b.excess.size()); ++r) {
        d = std::max(d, windows(r < a.excess.size() ? a.excess[r] : none,
                                r < b.excess.size() ? b.excess[r] : none));
    }
    return d;
}

Interval Advance(const State& start, std::int64_t c, const Rates& r, double targetTime,
                 bool serviceLevel, std::int64_t queueBound, const std::function<bool()>& cancelled,
                 double cut) {
    const double lines = r.lines;
    // The boundary: a state with b <= c goes to the main chain at n = b + q
    // (its waiting calls start on the free agents); one with b > c to row
    // b - c, its queue unmoved.
    std::int64_t rows = 0, deepest = 0;
    ForEachState(start, [&](std::int64_t b, std::int64_t q, double) {
        rows = std::max(rows, b - c);
        deepest = std::max(deepest, q);
    });
    std::int64_t bound = std::max(queueBound, deepest + kQueueMargin);

    for (;;) {
        const auto rowSize = [&](std::int64_t e) {
            const double room = lines - static_cast<double>(c + e);
            return room < static_cast<double>(bound) ? static_cast<std::int64_t>(room) + 1
                                                     : bound + 1;
        };
        Lane main;
        const double mainRoom = lines - static_cast<double>(c);
        main.capped = !(mainRoom <= static_cast<double>(bound));
        main.Resize(main.capped ? c + bound + 1 : static_cast<std::int64_t>(lines) + 1);
        std::vector<Lane> excess(static_cast<std::size_t>(rows));
        for (std::int64_t e = 1; e <= rows; ++e) {
            Lane& lane = excess[static_cast<std::size_t>(e - 1)];
            lane.capped = !(lines - static_cast<double>(c + e) <= static_cast<double>(bound));
            lane.Resize(rowSize(e));
        }
        ForEachState(start, [&](std::int64_t b, std::int64_t q, double p) {
            Lane& lane = b <= c ? main : excess[static_cast<std::size_t>(b - c - 1)];
            const std::int64_t i = b <= c ? b + q : q;
            lane.Values(0)[i] += p;
            lane.lo[0] = std::min(lane.lo[0], i);
            lane.hi[0] = std::max(lane.hi[0], i);
        });

        // The largest rate out of any state the windows may reach.
        const double arrival = r.arrival, mu = r.service, theta = r.hangUp;
        double rate =
            arrival + static_cast<double>(c + rows) * mu + static_cast<double>(bound) * theta;
        rate = std::max(rate, 1 / r.duration);
        const PoissonWeights weights = Poisson(rate * r.duration);
        const std::int64_t last =
            weights.first + static_cast<std::int64_t>(weights.probability.size());
        const auto weightAt = [&](std::int64_t k) {
            return k < weights.first
                       ? 1 / rate
                       : weights.beyond[static_cast<std::size_t>(k - weights.first)] / rate;
        };
        const auto endAt = [&](std::int64_t k) {
            return k < weights.first
                       ? 0.0
                       : weights.probability[static_cast<std::size_t>(k - weights.first)];
        };

        // The main chain's coefficients: to stay, and down from n.
        std::vector<double> stay(static_cast<std::size_t>(main.size)),
            down(static_cast<std::size_t>(main.size + 1), 0.0);
        for (std::int64_t n = 0; n < main.size; ++n) {
            const double served = static_cast<double>(std::min(n, c)) * mu;
            const double leaving = static_cast<double>(std::max<std::int64_t>(n - c, 0)) * theta;
            const double in = static_cast<double>(n) < lines ? arrival : 0.0;
            down[static_cast<std::size_t>(n)] = (served + leaving) / rate;
            stay[static_cast<std::size_t>(n)] = 1 - (in + served + leaving) / rate;
        }
        const double up = arrival / rate;
        // The rows' coefficients beyond their own rate of ends: hang-ups.
        std::vector<double> rowStay(static_cast<std::size_t>(bound + 1)),
            rowDown(static_cast<std::size_t>(bound + 2), 0.0);
        for (std::int64_t q = 0; q <= bound; ++q) {
            rowStay[static_cast<std::size_t>(q)] = -static_cast<double>(q) * theta / rate;
            rowDown[static_cast<std::size_t>(q)] = static_cast<double>(q) * theta / rate;
        }

        bool overflow = false;
        const auto first = [&](Lane& lane) {
            const double* x = lane.Values(0);
            for (std::int64_t i = lane.lo[0]; i <= lane.hi[0]; ++i) {
                lane.integral[static_cast<std::size_t>(i)] += weightAt(0) * x[i];
                lane.end[static_cast<std::size_t>(i)] += endAt(0) * x[i];
            }
            overflow |= !Finish(lane, 0, lane.lo[0], lane.hi[0], cut);
        };
        first(main);
        for (Lane& lane : excess) {
            first(lane);
        }
        std::int64_t bottom = kNone, top = 0;
        for (std::int64_t e = 1; e <= rows; ++e) {
            if (!excess[static_cast<std::size_t>(e - 1)].Empty(0)) {
                bottom = std::min(bottom, e);
                top = e;
            }
        }
        for (std::int64_t k = 1; k < last && !overflow; ++k) {
            if ((k & 255) == 0 && cancelled && cancelled()) {
                throw Cancelled{};
            }
            const int now = (k - 1) & 1, next = k & 1;
            const double weight = weightAt(k), endWeight = endAt(k);
            // The main chain from its own values and row 1's at the last
            // step; then each row from its own and the row above's.
            {
                Lane* row = rows > 0 ? excess.data() : nullptr;
                std::int64_t from =
                    main.Empty(now) ? kNone : std::max<std::int64_t>(main.lo[now] - 1, 0);
                std::int64_t to = main.Empty(now) ? -1 : std::min(main.hi[now] + 1, main.size - 1);
                if (row && !row->Empty(now)) {
                    from = std::min(from, c + row->lo[now]);
                    to = std::max(to, c + row->hi[now]);
                }
                if (from > to) {
                    from = 1, to = 0;
                }
                const Out out{main.Values(next), main.integral.data(), main.end.data(), weight,
                              endWeight};
                Step(main.Values(now), out, stay.data(), down.data(), 0, up, from, to);
                if (row && !row->Empty(now)) {
                    // Row 1's calls end into n = c + q.
                    const Out shifted{out.y + c, out.integral + c, out.end + c, weight, endWeight};
                    Inflow(row->Values(now), shifted, static_cast<double>(c + 1) * mu / rate,
                           row->lo[now], row->hi[now]);
                }
                overflow |= !Finish(main, next, from, to, cut);
            }
            // Only the rows that hold probability, and the one below them
            // that their ends feed: probability only ever moves down.
            std::int64_t low = kNone, high = 0;
            for (std::int64_t e = std::max<std::int64_t>(bottom - 1, 1); e <= top; ++e) {
                Lane& lane = excess[static_cast<std::size_t>(e - 1)];
                Lane* above = e < rows ? &excess[static_cast<std::size_t>(e)] : nullptr;
                std::int64_t from =
                    lane.Empty(now) ? kNone : std::max<std::int64_t>(lane.lo[now] - 1, 0);
                std::int64_t to = lane.Empty(now) ? -1 : std::min(lane.hi[now] + 1, lane.size - 1);
                if (above && !above->Empty(now)) {
                    from = std::min(from, above->lo[now]);
                    to = std::max(to, above->hi[now]);
                }
                if (from > to) {
                    Finish(lane, next, 1, 0, cut);
                    Clear(lane, now);
                    continue;
                }
                const double* x = lane.Values(now);
                const Out out{lane.Values(next), lane.integral.data(), lane.end.data(), weight,
                              endWeight};
                const double b = static_cast<double>(c + e);
                const double base = 1 - (arrival + b * mu) / rate;
                if (above && !above->Empty(now)) {
                    StepFed(x, above->Values(now), out, rowStay.data(), rowDown.data(), base, up,
                            (b + 1) * mu / rate, from, to);
                } else {
                    Step(x, out, rowStay.data(), rowDown.data(), base, up, from, to);
                }
                if (!lane.capped && to == lane.size - 1) {
                    // At the lines no call arrives.
                    Inflow(x, out, up, to, to);
                }
                overflow |= !Finish(lane, next, from, to, cut);
                if (lane.Empty(next)) {
                    Clear(lane, now); // read by nothing after this row
                } else {
                    low = std::min(low, e);
                    high = std::max(high, e);
                }
            }
            bottom = low;
            top = high;
        }
        if (overflow) {
            bound *= 2;
            continue;
        }

        // The sums, and the state at the end.
        Interval out;
        out.queueBound = bound;
        Sums& s = out.sums;
        std::int64_t eMax = -1; // the highest row an accepted arrival may find
        const auto add = [&](std::int64_t b, std::int64_t q, double in, double end) {
            s.time += in;
            const bool accepts = static_cast<double>(b + q) < lines;
            (accepts ? s.accepting : s.blocked) += in;
            s.waiting += static_cast<double>(q) * in;
            s.busy += static_cast<double>(b) * in;
            s.present += static_cast<double>(std::max(b, c)) * in;
            s.queueAtEnd += static_cast<double>(q) * end;
            if (accepts && b < c) {
                s.answered += in;
            }
            if (accepts && b >= c && in > 0) {
                eMax = std::max(eMax, b - c);
            }
        };
        for (std::int64_t n = main.seenLo; n <= main.seenHi; ++n) {
            const std::int64_t b = std::min(n, c);
            add(b, n - b, main.integral[static_cast<std::size_t>(n)],
                main.end[static_cast<std::size_t>(n)]);
        }
        for (std::int64_t e = 1; e <= rows; ++e) {
            const Lane& lane = excess[static_cast<std::size_t>(e - 1)];
            for (std::int64_t q = lane.seenLo; q <= lane.seenHi; ++q) {
                add(c + e, q, lane.integral[static_cast<std::size_t>(q)],
                    lane.end[static_cast<std::size_t>(q)]);
            }
        }
        if (eMax >= 0) {
            std::vector<std::int64_t> reach(static_cast<std::size_t>(eMax + 1), 0);
            reach[0] = std::max<std::int64_t>(main.seenHi - c, 0);
            for (std::int64_t e = 1; e <= eMax; ++e) {
                reach[static_cast<std::size_t>(e)] =
                    std::max<std::int64_t>(excess[static_cast<std::size_t>(e - 1)].seenHi, 0);
            }
            const Fates g = FatesOf(c, reach, r, targetTime, serviceLevel, cancelled);
            const auto judged = [&](std::int64_t b, std::int64_t q, double in) {
                if (static_cast<double>(b + q) < lines && in > 0) {
                    const std::size_t k = g.At(b - c, q);
                    s.answered += in * g.within[k];
                    s.lost += in * g.lost[k];
                    s.waited += in * g.wait[k];
                }
            };
            for (std::int64_t n = std::max(main.seenLo, c); n <= main.seenHi; ++n) {
                judged(c, n - c, main.integral[static_cast<std::size_t>(n)]);
            }
            for (std::int64_t e = 1; e <= eMax; ++e) {
                const Lane& lane = excess[static_cast<std::size_t>(e - 1)];
                for (std::int64_t q = lane.seenLo; q <= lane.seenHi; ++q) {
                    judged(c + e, q, lane.integral[static_cast<std::size_t>(q)]);
                }
            }
        }
        out.end.agents = c;
        out.end.main = Trimmed(main.end, main.seenLo, main.seenHi, cut);
        std::int64_t kept = 0;
        for (std::int64_t e = 1; e <= rows; ++e) {
            const Lane& lane = excess[static_cast<std::size_t>(e - 1)];
            out.end.excess.push_back(Trimmed(lane.end, lane.seenLo, lane.seenHi, cut));
            if (!out.end.excess.back().value.empty()) {
                kept = e;
            }
        }
        out.end.excess.resize(static_cast<std::size_t>(kept));
        return out;
    }
}

} // namespace transient::chain
