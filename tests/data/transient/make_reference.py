#!/usr/bin/python3
"""Reference figures of small days whose queue carries over (transient/day.h).

Another way than the room's: the chain's full generator over every state
(b, q) built from the model's rules one transition at a time, each interval
solved by a dense matrix exponential of the generator augmented so that its
corner is the integral of the probabilities over the interval
([[Q, I], [0, 0]] tau); the service level of an arrival from the tagged
caller's own absorbing chain (the count held for its wait), by its matrix
exponential over the target time, and its hang-up and wait at last by linear
solves of that chain's transient block;
the periodic start as the fixed point of the day's map, solved as a linear
system. Days marked "mpmath" are done in 30 digits with mpmath's expm, the
others in double with SciPy's (Al-Mohy and Higham); the script checks that
both agree to 1e-12 on the first day. Without lines the queue is cut where
the script checks that the probability there is below 1e-16.

Writes reference.csv beside it:
  day,NAME,interval minutes,aht,patience,lines,target time,start,service level,max occupancy
  calls,NAME,c1;c2;...
  agents,NAME,a1;a2;...         the schedule evaluated
  figure,NAME,INTERVAL,FIGURE,VALUE
  staffed,NAME,INTERVAL,COUNT   the transient method's counts (days with lines and a level)
Run: /usr/bin/python3 tests/data/transient/make_reference.py
"""

import math
import os

import mpmath
import numpy as np
import scipy.linalg

INF = math.inf

# name, interval minutes, aht s, patience s, lines, target time s, start,
# service level (None: no staffing), max occupancy, calls, agents, queue cut, mpmath
DAYS = [
    ("lines_fall", 10, 240, 300, 8, 20, "empty", 0.7, 1.0,
     [30, 45, 20, 10, 35], [3, 1, 2, 0, 3], None, True),
    ("erlang_c_fall", 15, 180, INF, INF, 15, "empty", 0.8, 1.0,
     [8, 12, 4, 10], [3, 5, 2, 4], 60, False),
    ("patience_rise", 20, 300, 120, INF, 30, "empty", 0.75, 0.9,
     [12, 24, 40, 50], [1, 2, 3, 4], 40, False),
    ("agents_leave_calls", 5, 600, 900, 9, 10, "empty", None, 1.0,
     [12, 3, 0, 0, 6], [4, 0, 0, 1, 2], None, False),
    ("periodic_short_patience", 15, 200, 60, 12, 20, "periodic", 0.8, 0.85,
     [10, 40, 25, 0], [1, 3, 2, 0], None, False),
    ("no_target_time", 10, 120, 400, 10, 0, "empty", 0.5, 1.0,
     [25, 60, 15], [2, 4, 1], None, False),
]


class Exact:
    """Dense matrices and their exponential, in double or in mpmath."""

    def __init__(self, precise):
        self.precise = precise

    def zeros(self, n, m):
        return mpmath.matrix(n, m) if self.precise else np.zeros((n, m))

    def expm(self, a):
        return mpmath.expm(a) if self.precise else scipy.linalg.expm(a)

    def num(self, x):
        return mpmath.mpf(x) if self.precise else float(x)


def states_of(cmax, qcut, lines):
    top = qcut if lines == INF else int(lines)
    out = []
    for b in range(cmax + 1):
        for q in range(top + 1):
            if b + q <= lines and (lines < INF or q <= qcut):
                out.append((b, q))
    return out


def generator(ex, states, index, c, lam, mu, theta, lines, qcut):
    n = len(states)
    g = ex.zeros(n, n)

    def move(s, t, rate):
        if rate:
            g[index[s], index[t]] += rate
            g[index[s], index[s]] -= rate

    for (b, q) in states:
        s = (b, q)
        if b + q < lines and (lines < INF or q < qcut):
            move(s, (b + 1, q) if b < c else (b, q + 1), lam)
        if b > 0:
            if b > c:
                move(s, (b - 1, q), b * mu)       # its agent leaves
            elif q > 0:
                move(s, (b, q - 1), b * mu)       # the next waiting call starts
            else:
                move(s, (b - 1, q), b * mu)
        if q > 0:
            move(s, (b, q - 1), q * theta)
    return g


def boundary(p, states, index, c):
    out = [0 * p[0] for _ in p]
    for k, (b, q) in enumerate(states):
        s = min(q, c - b) if c > b else 0
        out[index[(b + s, q - s)]] += p[k]
    return out


def answered_within(ex, c, emax, jmax, mu, theta, t):
    """P(answered within t) for the tagged caller from every (e, j)."""
    grid = [(e, j) for e in range(emax + 1) for j in range(jmax + 1)]
    at = {s: k for k, s in enumerate(grid)}
    n = len(grid) + 2
    answered, lost = n - 2, n - 1
    g = ex.zeros(n, n)

    def move(k, to, rate):
        if rate:
            g[k, to] += rate
            g[k, k] -= rate

    for (e, j), k in at.items():
        ends = (c + e) * mu
        if e > 0:
            move(k, at[(e - 1, j)], ends)
        elif j > 0:
            move(k, at[(0, j - 1)], ends)
        else:
            move(k, answered, ends)
        if j > 0:
            move(k, at[(e, j - 1)], j * theta)
        move(k, lost, theta)
    # Its fate at last: P(lost) and the mean time to either end, from the
    # transient block T: (-T) x = rates into lost, (-T) m = 1.
    k = len(grid)
    if c == 0 and theta == 0:
        fates = {s: (0, INF) for s in grid}  # no agent held, nobody hangs up
    elif ex.precise:
        t_block = mpmath.matrix(k, k)
        for i in range(k):
            for j in range(k):
                t_block[i, j] = -g[i, j]
        into = mpmath.matrix([g[i, lost] for i in range(k)])
        lost_p = mpmath.lu_solve(t_block, into)
        mean = mpmath.lu_solve(t_block, mpmath.matrix([1] * k))
        fates = {s: (lost_p[at[s]], mean[at[s]]) for s in grid}
    else:
        t_block = -np.array([[g[i, j] for j in range(k)] for i in range(k)])
        lost_p = np.linalg.solve(t_block, np.array([g[i, lost] for i in range(k)]))
        mean = np.linalg.solve(t_block, np.ones(k))
        fates = {s: (lost_p[at[s]], mean[at[s]]) for s in grid}
    if t == 0:
        return {s: (0,) + fates[s] for s in grid}
    m = ex.expm(g * ex.num(t))
    return {s: (m[at[s], answered],) + fates[s] for s in grid}


def interval(ex, p, states, index, c, calls, tau, aht, patience, lines, t, qcut):
    """The state at the interval's end and its figures, from p at its start."""
    lam = ex.num(calls) / tau
    mu = 1 / ex.num(aht)
    theta = 0 if patience == INF else 1 / ex.num(patience)
    n = len(states)
    p = boundary(p, states, index, c)
    q = generator(ex, states, index, c, lam, mu, theta, lines, qcut)
    big = ex.zeros(2 * n, 2 * n)
    for i in range(n):
        for j in range(n):
            big[i, j] = q[i, j] * tau
        big[i, n + i] = tau
    m = ex.expm(big)
    end = [sum(p[i] * m[i, j] for i in range(n)) for j in range(n)]
    integral = [sum(p[i] * m[i, n + j] for i in range(n)) for j in range(n)]
    if lines == INF:
        top = sum(end[k] + integral[k] / tau for k, (b, qq) in enumerate(states) if qq == qcut)
        assert top < 1e-16, top
    accepting = sum(v for v, (b, qq) in zip(integral, states) if b + qq < lines)
    blocked = sum(v for v, (b, qq) in zip(integral, states) if b + qq == lines)
    waiting = sum(v * qq for v, (b, qq) in zip(integral, states))
    busy = sum(v * b for v, (b, qq) in zip(integral, states))
    present = sum(v * max(b, c) for v, (b, qq) in zip(integral, states))
    emax = max(b for b, qq in states) - c
    g = answered_within(ex, c, max(emax, 0), max(qq for b, qq in states), mu, theta, t)
    fate = lambda b, qq, which: (1, 0, 0)[which] if b < c else g[(b - c, qq)][which]
    judged = [(v, b, qq) for v, (b, qq) in zip(integral, states) if b + qq < lines]
    answered = sum(v * fate(b, qq, 0) for v, b, qq in judged)
    lost_sum = sum(v * fate(b, qq, 1) for v, b, qq in judged)
    wait_sum = sum(v * fate(b, qq, 2) for v, b, qq in judged if v > 0)
    f = {"queue-at-end": sum(v * qq for v, (b, qq) in zip(end, states)),
         "occupancy": busy / present if present > 0 else 0}
    if calls > 0:
        f["service-level"] = answered / accepting
        f["blocking"] = blocked / tau
        f["average-wait"] = wait_sum / accepting
        f["abandon-probability"] = lost_sum / accepting
    else:
        f.update({"service-level": 1, "blocking": 0, "average-wait": 0,
                  "abandon-probability": 0})
    waiting_at_start = sum(v for v, (b, qq) in zip(p, states) if qq > 0)
    return end, f, waiting_at_start


def day_map(ex, states, index, day, agents):
    """The state at the day's end as a linear map of the state at its start."""
    name, minutes, aht, patience, lines, t, start, level, cap, calls, _, qcut, _ = day
    n = len(states)
    columns = []
    for k in range(n):
        p = [ex.num(1 if i == k else 0) for i in range(n)]
        for c, x in zip(agents, calls):
            p, _, _ = interval(ex, p, states, index, c, x, 60 * ex.num(minutes), aht, patience,
                               lines, t, qcut)
        columns.append(p)
    return columns


def periodic_start(ex, states, index, day, agents):
    n = len(states)
    rows = day_map(ex, states, index, day, agents)  # rows[k]: the end from state k
    # p M = p with sum p = 1, solved in double or mpmath.
    if ex.precise:
        a = mpmath.matrix(n + 1, n)
        for i in range(n):
            for j in range(n):
                a[j, i] = rows[i][j] - (1 if i == j else 0)
        for i in range(n):
            a[n, i] = 1
        rhs = mpmath.matrix([0] * n + [1])
        sol = mpmath.lu_solve(a.T * a, a.T * rhs)
        return [sol[i] for i in range(n)]
    a = np.array([[float(rows[i][j]) - (i == j) for i in range(n)] for j in range(n)])
    a = np.vstack([a, np.ones(n)])
    rhs = np.zeros(n + 1)
    rhs[-1] = 1
    return list(np.linalg.lstsq(a, rhs, rcond=None)[0])


def run(ex, day, agents):
    name, minutes, aht, patience, lines, t, start, level, cap, calls, _, qcut, _ = day
    states = states_of(max(max(agents), 1), qcut, lines)
    index = {s: k for k, s in enumerate(states)}
    if start == "periodic":
        p = periodic_start(ex, states, index, day, agents)
    else:
        p = [ex.num(1 if s == (0, 0) else 0) for s in states]
    out = []
    for c, x in zip(agents, calls):
        p, f, _ = interval(ex, p, states, index, c, x, 60 * ex.num(minutes), aht, patience,
                           lines, t, qcut)
        out.append(f)
    return out


def staff(ex, day):
    """The transient method's counts, from an empty start: each interval the
    least count from its minimum up that meets the level and, with calls,
    the cap."""
    name, minutes, aht, patience, lines, t, start, level, cap, calls, agents, qcut, _ = day
    most = int(lines) if lines < INF else max(agents) + 3
    states = states_of(most, qcut, lines)
    index = {s: k for k, s in enumerate(states)}
    p = [ex.num(1 if s == (0, 0) else 0) for s in states]
    counts = []
    for x in calls:
        waiting = sum(v for v, (b, qq) in zip(p, states) if qq > 0)
        least = 1 if x > 0 or waiting > 1e-9 else 0
        for c in range(least, most + 1):
            end, f, _ = interval(ex, p, states, index, c, x, 60 * ex.num(minutes), aht,
                                 patience, lines, t, qcut)
            if least == 0 or (f["service-level"] >= level and (x == 0 or f["occupancy"] <= cap)):
                break
        counts.append(c)
        p = end
    return counts


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    mpmath.mp.dps = 30
    lines_out = []
    for day in DAYS:
        name, minutes, aht, patience, lines, t, start, level, cap, calls, agents, qcut, precise = day
        ex = Exact(precise)
        figures = run(ex, day, agents)
        if precise:
            check = run(Exact(False), day, agents)
            for a, b in zip(figures, check):
                for k in a:
                    assert abs(a[k] - b[k]) <= 1e-12 * max(abs(a[k]), 1e-3), (k, a[k], b[k])
        text = lambda v: "inf" if v == INF else repr(v)
        lines_out.append(",".join(["day", name, text(minutes), text(aht), text(patience),
                                   text(lines), text(t), start,
                                   "-" if level is None else repr(level), repr(cap)]))
        lines_out.append("calls," + name + "," + ";".join(repr(x) for x in calls))
        lines_out.append("agents," + name + "," + ";".join(str(a) for a in agents))
        for i, f in enumerate(figures):
            for k in sorted(f):
                lines_out.append("figure,%s,%d,%s,%s" % (name, i, k, mpmath.nstr(f[k], 17)))
        # Staffed where the lines keep the chain small enough to search.
        if level is not None and start == "empty" and lines < INF:
            for i, c in enumerate(staff(Exact(False), day)):
                lines_out.append("staffed,%s,%d,%d" % (name, i, c))
        print(name, "done", flush=True)
    with open(os.path.join(here, "reference.csv"), "w") as out:
        out.write("\n".join(lines_out) + "\n")


if __name__ == "__main__":
    main()
