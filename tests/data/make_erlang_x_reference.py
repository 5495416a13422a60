#!/usr/bin/env python3
"""Erlang X reference values at 50 digits, with mpmath (Debian's /usr/bin/python3):
    /usr/bin/python3 tests/data/make_erlang_x_reference.py          erlang_x_reference.csv
    /usr/bin/python3 tests/data/make_erlang_x_reference.py check    the closed forms against
                                                                    the chain, nothing written
    /usr/bin/python3 tests/data/make_erlang_x_reference.py spread   only the forecast's spread
                                                                    across its domain, appended
    /usr/bin/python3 tests/data/make_erlang_x_reference.py forecast forecasts turning sharply
                                                                    against their spread, appended
    /usr/bin/python3 tests/data/make_erlang_x_reference.py long     long queues without
                                                                    patience, appended
    /usr/bin/python3 tests/data/make_erlang_x_reference.py far      patient queues too long to
                                                                    sum, without lines, appended
    /usr/bin/python3 tests/data/make_erlang_x_reference.py shape    a forecast of shape 1 to 4
                                                                    turning sharply, appended
    /usr/bin/python3 tests/data/make_erlang_x_reference.py tie      a tie over a forecast,
                                                                    appended
    /usr/bin/python3 tests/data/make_erlang_x_reference.py units    tiny waits and huge units
                                                                    of time, appended
    /usr/bin/python3 tests/data/make_erlang_x_reference.py redial   redials of nearly all the
                                                                    lost on busy agents, appended
    /usr/bin/python3 tests/data/make_erlang_x_reference.py ties     targets within double's
                                                                    rounding of a figure at a
                                                                    count, each figure two ways
                                                                    (some 15 minutes), appended
Rows: region, function, arguments, expected (counts exactly).

The values come from the chain itself: its states summed one by one, and for
each queue position the law of the wait to an agent (a sum of exponentials),
with no closed form of the engine's. `check` holds those sums to the balance
equations solved as a linear system, to the wait's law by the matrix
exponential, and the engine's closed forms and integrals to the sums."""
import math, os, sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_reference as base  # noqa: E402  (log_r, root, smallest)
import mpmath as mp  # noqa: E402

mp.mp.dps = 50
F = mp.mpf
INF = float("inf")
WORK = 70  # digits carried in the sums
BASES = ["offered", "answered", "excluding-short-abandons", "virtual"]


def below(A, c):
    """R(A, c) - 1: the states below the agents, relative to state c."""
    if c == 0:
        return F(0)
    A = F(A)
    if c != int(c):
        with mp.workdps(WORK + 20):
            return mp.exp(base.log_r(A, c)) - 1
    c = int(c)
    if A >= c:  # sum_j c (c-1) ... (c-j+1) / A^j, terms falling
        term, total = F(1), F(0)
        for j in range(c):
            term *= (c - j) / A
            total += term
            if term < total * F(10) ** -(WORK + 5):
                break
        return total
    return mp.exp(base.log_r(A, c)) - 1


def positions(u0, ratio, m):
    """For a count J with P(J = 0) = u0, P(J = j) / P(J = j - 1) = ratio(j): the
    lists P(J <= k) and P(J >= k + 1) for k < m, each summed from its own end."""
    u = [u0]
    for j in range(1, m + 1):
        u.append(u[-1] * ratio(j))
    late, within = [], [F(0)] * m
    acc = F(0)
    for k in range(m):
        acc += u[k]
        late.append(acc)
    if m == 0:
        return late, within
    if late[-1] <= F(0.5):
        top = 1 - late[-1]
    else:  # the tail beyond m - 1, its terms summed until they no longer count
        top, term, j = F(0), u[m], m
        while True:
            top += term
            j += 1
            term *= ratio(j)
            if term <= top * F(10) ** -(WORK + 5) and ratio(j) < 1:
                break
    within[m - 1] = top
    for k in range(m - 2, -1, -1):
        within[k] = within[k + 1] + u[k + 1]
    return late, within


def sums(A, c, S, P, m, t=None):
    """Weights relative to state c of the chain at attempt traffic A (= lambda S):
    below, the queue states an accepted attempt may find (k < m), the blocked
    state (k = m), and over the queue those answered, those who abandon, the
    answered ones' wait, the wait of all, and with a target time t those
    answered within it, answered after it, and the wait to an agent within it
    and beyond it (the virtual wait)."""
    with mp.workdps(WORK):
        A, S = F(A), F(S)
        out = dict(below=below(A, c), queue=F(0), answered=F(0), abandoned=F(0),
                   ans_time=F(0), wait_time=F(0), within=F(0), late=F(0), v_within=F(0),
                   v_late=F(0))
        if m == INF:  # no lines: the sums run until their terms no longer count
            m = None
        patient = P == INF
        if patient:
            rho = A / c
            step = lambda k: rho  # noqa: E731
        else:
            P = F(P)
            x, a = A * P / S, c * P / S
            step = lambda k: x / (a + k)  # noqa: E731
        weights, total = [F(1)], F(1)
        k, cut = 0, False
        while m is None or k < m:
            nxt = weights[-1] * step(k + 1)
            weights.append(nxt)
            total += nxt
            k += 1
            if nxt < F(10) ** -(WORK + 5) * total and step(k + 1) < 1:
                cut = True  # what follows no longer counts
                break
        if m is None:
            n, out["last"] = len(weights), F(0)
        elif not cut:
            n, out["last"] = m, weights[m]
        else:
            n = len(weights)
            out["last"] = (rho ** m if patient else
                           mp.exp(m * mp.log(x) + mp.loggamma(a + 1) - mp.loggamma(a + m + 1)))
        w = weights[:n]
        out["queue"] = mp.fsum(w)
        if patient:
            mu = c / S
            out["answered"] = out["queue"]
            out["wait_time"] = mp.fsum(wk * (k + 1) / mu for k, wk in enumerate(w))
            out["ans_time"] = out["wait_time"]
            if t is not None:
                z = mu * F(t)
                late, within = positions(mp.exp(-z), lambda j: z / j, n)
                out["within"] = out["v_within"] = mp.fsum(wk * within[k] for k, wk in enumerate(w))
                out["late"] = out["v_late"] = mp.fsum(wk * late[k] for k, wk in enumerate(w))
            return out
        answer = [a / (a + k + 1) for k in range(n)]
        out["answered"] = mp.fsum(wk * answer[k] for k, wk in enumerate(w))
        out["abandoned"] = mp.fsum(wk * (k + 1) / (a + k + 1) for k, wk in enumerate(w))
        out["wait_time"] = P * out["abandoned"]
        harmonic, total = F(0), F(0)
        for k, wk in enumerate(w):
            harmonic += 1 / (a + k + 1)
            total += wk * answer[k] * harmonic
        out["ans_time"] = P * total
        if t is not None:
            wt = F(t) / P
            p = -mp.expm1(-wt)
            # The wait to an agent from position k is, in units of P, a sum of
            # exponentials of rates a, a + 1, ..., a + k: 1 - exp(-v) is then
            # Beta(k + 1, a), and with the caller's own patience Beta(k + 1, a + 1)
            # weighted a / (a + k + 1); their tails are negative binomial sums.
            for beta, key, weigh in [(a + 1, "", True), (a, "v_", False)]:
                if beta == 0:  # no agents: nobody reaches one
                    late, within = [F(1)] * n, [F(0)] * n
                else:
                    late, within = positions(mp.exp(-beta * wt),
                                             lambda j: (j + beta - 1) * p / j, n)
                f = answer if weigh else [F(1)] * n
                out[key + "within"] = mp.fsum(wk * f[k] * within[k] for k, wk in enumerate(w))
                out[key + "late"] = mp.fsum(wk * f[k] * late[k] for k, wk in enumerate(w))
        return out


def shares(A, c, S, P, m, t=None):
    """Per attempt at attempt traffic A: the figures, and the counts they are
    ratios of, per unit of A."""
    s = sums(A, c, S, P, m, t)
    accepted = s["below"] + s["queue"]
    total = accepted + s["last"]
    q = dict(blocking=s["last"] / total, wait=s["queue"] / accepted)
    q["abandon"] = s["abandoned"] / accepted
    q["average_wait"] = s["wait_time"] / accepted
    answered = s["below"] + s["answered"]
    q["answered_wait"] = s["ans_time"] / answered if answered else F(0)
    q["occupancy"] = F(A) * answered / (total * c) if c else F(0)
    q["lost"] = (s["last"] + s["abandoned"]) / total
    if t is not None:
        within = s["below"] + s["within"]
        e = F(1) if P == INF else mp.exp(-F(t) / P)
        q["offered"] = within / accepted
        q["answered"] = within / answered if answered else F(0)
        q["excluding-short-abandons"] = within / (within + e * s["v_late"])
        q["virtual"] = (s["below"] + s["v_within"]) / accepted
        q["short_kept"] = (within + e * s["v_late"]) / accepted  # 1 - short abandons
    return q


def attempts(A0, c, S, P, m, r):
    """The attempt traffic with redials: A = A0 + r A L(A), L the share lost."""
    A0 = F(A0)
    if r == 0 or A0 == 0:
        return A0
    r = F(r)
    f = lambda u: mp.log(mp.exp(u) * (1 - r * shares(mp.exp(u), c, S, P, m)["lost"])) - \
        mp.log(A0)  # noqa: E731
    # The bracket's top by steps doubling from A0, not A0/(1 - r) itself: at
    # r near 1 the sums there would hold some A0/(1 - r) states.
    lo, top, step = mp.log(A0), mp.log(A0 / (1 - r)), F(1)
    while lo + step < top and f(lo + step) < 0:
        lo, step = lo + step, step * 2
    return mp.exp(base.root(f, lo, min(top, lo + step)))


def figures_at(A0, c, S, P, K, r, t):
    m = int(K - c) if K != INF else INF
    A = attempts(A0, c, S, P, m, r)
    q = shares(A, c, S, P, m, t)
    q["attempts"] = A * F(S) / F(S)
    L = q["lost"]
    q["callers_lost"] = L * (1 - F(r)) / (1 - F(r) * L)
    return q


# With a forecast's variance the fresh traffic is Gamma distributed; every
# share is a ratio of expected counts. (numerator, denominator) per figure,
# as functions of the fresh traffic u, the attempts A and the figures q.
COUNTS = {
    "blocking": (lambda u, A, q: A * q["blocking"], lambda u, A, q: A),
    "wait_probability": (lambda u, A, q: A * (1 - q["blocking"]) * q["wait"],
                         lambda u, A, q: A * (1 - q["blocking"])),
    "abandon_probability": (lambda u, A, q: A * (1 - q["blocking"]) * q["abandon"],
                            lambda u, A, q: A * (1 - q["blocking"])),
    "average_wait": (lambda u, A, q: A * (1 - q["blocking"]) * q["average_wait"],
                     lambda u, A, q: A * (1 - q["blocking"])),
    "answered_wait": (lambda u, A, q: A * (1 - q["blocking"]) * (1 - q["abandon"]) *
                      q["answered_wait"],
                      lambda u, A, q: A * (1 - q["blocking"]) * (1 - q["abandon"])),
    "occupancy": (lambda u, A, q: A * (1 - q["blocking"]) * (1 - q["abandon"]), None),
    "attempts_traffic": (lambda u, A, q: A, None),
    "callers_lost": (lambda u, A, q: u * q["callers_lost"], lambda u, A, q: u),
    "offered": (lambda u, A, q: A * (1 - q["blocking"]) * q["offered"],
                lambda u, A, q: A * (1 - q["blocking"])),
    "answered": (lambda u, A, q: A * (1 - q["blocking"]) * q["offered"],
                 lambda u, A, q: A * (1 - q["blocking"]) * (1 - q["abandon"])),
    "excluding-short-abandons": (lambda u, A, q: A * (1 - q["blocking"]) * q["offered"],
                                 lambda u, A, q: A * (1 - q["blocking"]) * q["short_kept"]),
    "virtual": (lambda u, A, q: A * (1 - q["blocking"]) * q["virtual"],
                lambda u, A, q: A * (1 - q["blocking"])),
}
PLAIN = {"blocking": "blocking", "wait_probability": "wait", "abandon_probability": "abandon",
         "average_wait": "average_wait", "answered_wait": "answered_wait",
         "callers_lost": "callers_lost", "offered": "offered", "answered": "answered",
         "excluding-short-abandons": "excluding-short-abandons", "virtual": "virtual"}


def figures(A0, c, S, P, K, r, calls, variance, t):
    """Every figure, by name (the service level by basis)."""
    if not variance or variance == calls:
        q = figures_at(A0, c, S, P, K, r, t)
        out = {name: q[key] for name, key in PLAIN.items()}
        out["attempts_traffic"] = q["attempts"]
        out["occupancy"] = q["occupancy"]
        return out
    shape = F(calls) ** 2 / (F(variance) - F(calls))
    scale = F(A0) / shape
    cache = {}

    def at(u):
        if u not in cache:
            q = figures_at(u, c, S, P, K, r, t) if u > 0 else None
            cache[u] = (q["attempts"] if q else F(0), q)
        return cache[u]

    density = lambda u: mp.exp((shape - 1) * mp.log(u) - u / scale - mp.loggamma(shape) -  # noqa
                               shape * mp.log(scale))
    # Split where the density peaks and where the traffic meets the agents.
    # Beyond `most` the density has fallen by e^-150: nothing there counts.
    most = scale * (shape + 150 + 20 * mp.sqrt(shape))
    points = sorted(p for p in {F(0), max(F(0), (shape - 1) * scale), F(A0), F(c), most} |
                    ({F(K)} if K != INF else set()) if p <= most)

    def expect(fn):
        with mp.workdps(40):
            return mp.quad(lambda u: density(u) * fn(u, *at(u)) if u > 0 else F(0), points)

    out = {}
    for name, (num, den) in COUNTS.items():
        value = expect(num)
        if name == "occupancy":
            value /= c
        elif den is not None:
            value /= expect(den)
        out[name] = value
    return out


# --- Checks of the derivation -------------------------------------------------------

def balance(A, c, S, P, K):
    """The stationary law of the chain by its balance equations, as a linear system."""
    lam, mu = F(A) / S, 1 / F(S)
    th = 0 if P == INF else 1 / F(P)
    n = K + 1
    Q = mp.zeros(n, n)
    for i in range(n):
        if i < K:
            Q[i, i + 1] = lam
        if i > 0:
            Q[i, i - 1] = min(i, c) * mu + max(i - c, 0) * th
        Q[i, i] = -sum(Q[i, j] for j in range(n) if j != i)
    M = Q.T
    for j in range(n):
        M[n - 1, j] = 1
    rhs = mp.zeros(n, 1)
    rhs[n - 1] = 1
    solution = mp.lu_solve(M, rhs)
    return [solution[i] for i in range(n)]


def position_law(c, S, P, k, t):
    """From position k (k others ahead): P(answered within t) and P(reaching an
    agent within t), by the matrix exponential of the absorbing chain."""
    mu, th = 1 / F(S), (0 if P == INF else 1 / F(P))
    n = k + 1  # transient states: j = k .. 0 ahead
    out = []
    for own in (True, False):
        Qm = mp.zeros(n + 2, n + 2)  # + answered, + gone
        for i in range(n):  # i = others ahead
            rate_ahead = c * mu + i * th
            Qm[i, i - 1 if i > 0 else n] = rate_ahead
            if own:
                Qm[i, n + 1] = th
            Qm[i, i] = -(rate_ahead + (th if own else 0))
        E = mp.expm(Qm * F(t))
        out.append(E[k, n])
    return out


def close(u, v, tol):
    return abs(u - v) <= tol * max(abs(u), abs(v))


def check():
    cases = [(8, 5, 2, 3, 9, 1.5), (3, 4, 1, 0.5, 4, 0.2), (12, 6, 1, 7, 11, 2),
             (2, 3, 1, INF, 6, 0.4), (9, 4, 1, INF, 9, 1), (0.5, 1, 3, 1e-3, 3, 0.01)]
    for A, c, S, P, K, t in cases:
        pi = balance(A, c, S, P, K)
        s = sums(A, c, S, P, K - c, t)
        scale = pi[c]
        assert close(s["last"] * scale, pi[K], 1e-40)
        assert close((s["below"] + 1) * scale, mp.fsum(pi[:c + 1]), 1e-40)
        assert close(s["queue"] * scale, mp.fsum(pi[c:K]), 1e-40)
        # abandon: theta E[max(n - c, 0)] / (lambda (1 - b))
        if P != INF:
            mean_queue = mp.fsum(pi[n] * (n - c) for n in range(c, K + 1))
            q = shares(A, c, S, P, K - c)
            lam = F(A) / S
            assert close(mean_queue / F(P) / (lam * (1 - pi[K])), q["abandon"], 1e-40)
        for k in range(K - c):
            answered, reached = position_law(c, S, P, k, t)
            one = sums(A, c, S, P, k + 1, t)
            less = sums(A, c, S, P, k, t)
            w = one["queue"] - less["queue"]
            assert abs((one["within"] - less["within"]) / w / answered - 1) < 1e-30, (A, c, k)
            assert abs((one["v_within"] - less["v_within"]) / w / reached - 1) < 1e-30
    print("the sums agree with the chain", file=sys.stderr)
    check_closed_forms()


def lower_ratio(x, b):
    """gamma(b, x) e^x / x^(b - 1)."""
    return mp.gammainc(b, 0, x) * mp.exp(x) / x ** (b - 1)


def upper_ratio(x, b):
    return mp.gammainc(b, x) * mp.exp(x) / x ** (b - 1)


def check_closed_forms():
    """The forms the engine evaluates, against the sums."""
    for A, c, S, P, K, t in [(8, 5, 2, 3, 9, 1.5), (30, 10, 1, 2, 14, 0.3), (5, 10, 1, 4, 40, 1),
                             (12, 10, 1, 30, 13, 0.2), (0.5, 2, 1, 0.01, 5, 0.001)]:
        with mp.workdps(WORK):
            m = K - c
            s = sums(A, c, S, P, m, t)
            x, a = F(A) * P / S, F(c) * P / S
            t_m = x ** m * mp.gamma(a + 1) / mp.gamma(a + m + 1)
            # the window by what lies beyond it, or by what lies before it
            S_m = 1 + lower_ratio(x, a + 1) - t_m * lower_ratio(x, a + m + 1)
            assert abs((s["queue"] + s["last"]) / S_m - 1) < 1e-40
            back = t_m * upper_ratio(x, a + m + 1) - (a / x) * upper_ratio(x, a)
            assert abs(S_m / back - 1) < 1e-40
            # the mean queue: G = sum k t_k = a + x S_(m-1) - a S_m
            G = a + x * s["queue"] - a * S_m
            assert abs(G / x / s["abandoned"] - 1) < 1e-40
            # the window's first moment from its two ends
            E = lambda n: (n - x) * (1 + (n / x) * upper_ratio(x, n)) + x  # noqa: E731
            R = lambda n: 1 + (n / x) * upper_ratio(x, n)  # noqa: E731
            G2 = t_m * (m * R(a + m) - E(a + m)) + E(a)
            assert abs(G2 / G - 1) < 1e-40
            # the answered within t as an integral over v = theta * time
            w = F(t) / P
            y = lambda v: -x * mp.expm1(-v)  # noqa: E731
            Qm = lambda v: mp.gammainc(m, y(v), regularized=True)  # noqa: E731
            g = lambda v: mp.exp(-(a + 1) * v + y(v)) * Qm(v)  # noqa: E731
            assert abs(a * mp.quad(g, [0, w]) / s["within"] - 1) < 1e-30
            assert abs(a * mp.quad(g, [w, mp.inf]) / s["late"] - 1) < 1e-30
            assert abs(a * mp.quad(lambda v: g(v) * mp.exp(v), [w, mp.inf]) / s["v_late"] - 1) \
                < 1e-30
            assert abs(a * P * mp.quad(lambda v: v * g(v), [0, mp.inf]) / s["ans_time"] - 1) \
                < 1e-30
            # without lines: the virtual wait's tail, a e^x x^-a gamma(a, x e^-w)
            big = sums(A, c, S, P, INF, t)
            xy = x * mp.exp(-w)
            vl = a * mp.exp(x) * x ** -a * mp.gammainc(a, 0, xy)
            assert abs(big["v_late"] / vl - 1) < 1e-30
    print("the closed forms agree with the sums", file=sys.stderr)


# --- The table ----------------------------------------------------------------------

ROWS = []
FIGURES = ["blocking", "wait_probability", "abandon_probability", "average_wait",
           "answered_wait", "occupancy", "attempts_traffic", "callers_lost"]


def row(region, fn, args, value):
    text = value if isinstance(value, int) else mp.nstr(value, 25)
    ROWS.append(",".join([region, fn] + [repr(float(a)) for a in args] + [str(text)]))
    print(ROWS[-1], file=sys.stderr, flush=True)


def figure_rows(region, A0, c, S, P, K, r=0, calls=0, variance=0, t=0):
    q = figures(A0, c, S, P, K, r, calls, variance, t)
    args = (A0, c, S, P, K, r, calls, variance, t)
    for name in FIGURES:
        row(region, "x_" + name, args, q[name])
    for i, basis in enumerate(BASES):
        row(region, "x_service_level", args + (i,), q[basis])


NONE = float("nan")


def meets(q, targets, basis):
    sl, avg, ans, ab, bl = targets
    return ((math.isnan(sl) or q[basis] >= sl) and (math.isnan(avg) or q["average_wait"] <= avg)
            and (math.isnan(ans) or q["answered_wait"] <= ans)
            and (math.isnan(ab) or q["abandon_probability"] <= ab)
            and (math.isnan(bl) or q["blocking"] <= bl))


def agents_row(region, A0, S, P, K, r, calls, variance, t, basis, targets, lo):
    ok = lambda n: n > K or meets(figures(A0, n, S, P, K, r, calls, variance, t),  # noqa: E731
                                  targets, BASES[basis])
    assert lo == 0 or not ok(lo)
    row(region, "x_agents", (A0, S, P, K, r, calls, variance, t, basis) + targets,
        base.smallest(ok, lo))


def lines_row(region, A0, c, S, P, r, T, lo=None):
    ok = lambda K: figures(A0, c, S, P, K, r, 0, 0, 0)["blocking"] <= T  # noqa: E731
    lo = c - 1 if lo is None else lo
    row(region, "x_lines", (A0, c, S, P, r, T), max(c, base.smallest(ok, lo)))


def capacity_row(region, c, S, P, K, r, calls, variance, t, basis, targets):
    """The largest fresh traffic meeting every target: the least of the
    traffics at which each target is met exactly."""
    sl, avg, ans, ab, bl = targets
    best = None
    for index, value in enumerate(targets):
        if math.isnan(value):
            continue
        key = [BASES[basis], "average_wait", "answered_wait", "abandon_probability",
               "blocking"][index]
        sign = -1 if index == 0 else 1
        f = lambda u: sign * (figures(mp.exp(u), c, S, P, K, r, calls, variance, t)[key] -  # noqa
                              F(value))
        hi = mp.log(F(c) * 4 + 10)
        while f(hi) < 0:
            hi += 1
        lo = hi - 2
        while f(lo) > 0:
            lo -= 2
        A = mp.exp(base.root(f, lo, hi))
        best = A if best is None else min(best, A)
    row(region, "x_capacity", (c, S, P, K, r, calls, variance, t, basis) + targets, best)


def main():
    # (traffic, agents, aht, patience, lines, redial, calls, variance, target time)
    figure_rows("lines_at_agents", 10, 12, 180, 300, 12, t=20)
    figure_rows("lines_at_agents", 50, 40, 1, 2, 40, t=0.5)
    figure_rows("lines_at_agents", 0.5, 1, 1, 1, 1, t=1)
    figure_rows("lines_barely_above", 10, 12, 180, 300, 13, t=20)
    figure_rows("lines_barely_above", 30, 25, 1, 0.5, 27, t=0.1)
    figure_rows("lines_barely_above", 100, 100, 1, 1, 101, t=0.05)
    figure_rows("lines_barely_above", 3e3, 2e3, 1, 10, 2003, t=0.01)
    figure_rows("lines_huge", 10, 12, 180, 300, 1e5, t=20)
    figure_rows("lines_huge", 100, 95, 1, 1, 2e5, t=0.3)
    figure_rows("overload", 150, 100, 1, 1, 120, t=0.1)
    figure_rows("overload", 30, 10, 1, 2, 14, t=0.3)
    figure_rows("overload", 1e3, 500, 1, 10, 600, t=0.02)
    figure_rows("overload", 2e3, 1e3, 180, 540, 1e3, t=20)
    figure_rows("overload", 5e3, 100, 1, 1, 400, t=2)
    for ratio in [1e-3, 1e-2, 0.1, 1, 10, 100, 1e3]:
        figure_rows("patience", 20, 20, 1, ratio, 30, t=0.2 * min(ratio, 1))
    figure_rows("no_patience", 12, 10, 1, INF, 15, t=0.1)
    figure_rows("no_patience", 8, 10, 1, INF, 20, t=0.2)
    figure_rows("no_patience", 30, 10, 1, INF, 12, t=0.05)
    figure_rows("no_patience", 100, 100, 180, INF, 110, t=20)
    figure_rows("no_patience", 9.5, 10, 1, INF, INF, t=0.1)
    for r in [0.2, 0.5, 0.8, 0.95]:
        figure_rows("redial", 10, 12, 180, 300, 14, r=r, t=20)
    figure_rows("redial", 120, 100, 1, 2, 110, r=0.95, t=0.1)
    figure_rows("redial", 10, 8, 1, 1, INF, r=0.8, t=0.5)
    figure_rows("redial", 40, 30, 1, INF, 35, r=0.5, t=0.1)
    for v in [100, 200, 500, 1000]:
        figure_rows("variance", 10, 12, 180, 300, 15, calls=100, variance=v, t=20)
    figure_rows("variance", 10, 12, 180, 300, INF, calls=50, variance=500, t=20)
    figure_rows("variance", 10, 12, 180, INF, 16, r=0.5, calls=5, variance=40, t=20)
    figure_rows("large", 1e4, 1e4, 1, 1, 1.02e4, t=0.01)
    figure_rows("large", 1.1e4, 1e4, 180, 180, 1e5, t=20)
    figure_rows("large", 9.9e3, 1e4, 1, 1e3, 1.1e4, t=0.01)
    figure_rows("large", 2e4, 1e4, 1, 1e3, 1.2e4, t=180)
    figure_rows("flat", 1e3, 1e3, 1, 100, 1050, t=0.01)
    figure_rows("flat", 1e4, 1e4, 1, 2e4, 1.15e4, t=1e-3)
    figure_rows("long_queue", 300, 100, 1, 100, 5100, t=40)
    figure_rows("long_queue", 300, 100, 1, 100, 20200, t=110)
    figure_rows("small", 1e-3, 1, 1, 1, 3, t=1)
    figure_rows("small", 3, 2.5, 1, 2, INF, r=0.5, t=0.5)
    figure_rows("small", 0.2, 0, 1, 1, 2)
    # Counts: targets (service level, average wait, answered wait, abandon, blocking).
    agents_row("agents", 10, 180, 300, INF, 0, 0, 0, 20, 0, (0.8, NONE, NONE, NONE, NONE), 0)
    agents_row("agents", 10, 180, 300, 20, 0.5, 0, 0, 20, 1, (0.8, NONE, 15, NONE, 0.01), 0)
    agents_row("agents", 400, 1, 1, 450, 0, 0, 0, 0.1, 3, (0.8, NONE, NONE, 0.05, NONE), 300)
    agents_row("agents", 100, 1, INF, 130, 0, 0, 0, 0.1, 2, (0.9, 0.05, NONE, NONE, 0.001), 90)
    agents_row("agents", 50, 180, 90, 70, 0.3, 100, 300, 20, 0, (0.8, NONE, NONE, NONE, NONE),
               40)
    lines_row("lines", 10, 12, 180, 300, 0, 0.01)
    lines_row("lines", 100, 90, 1, 1, 0.5, 1e-6)
    lines_row("lines", 100, 110, 1, INF, 0, 0.001)
    capacity_row("capacity", 12, 180, 300, INF, 0, 0, 0, 20, 0, (0.8, NONE, NONE, NONE, NONE))
    capacity_row("capacity", 12, 180, 300, 16, 0.5, 0, 0, 20, 2, (0.8, 30, NONE, 0.05, 0.02))
    capacity_row("capacity", 100, 1, INF, 110, 0, 0, 0, 0.1, 0, (0.9, NONE, 0.05, NONE, NONE))
    # Ties: a target equal to the figure at a count, rounded to double.
    for A0, c, S, P, K, t, basis in [(10, 13, 180, 300, 16, 20, 0), (400, 390, 1, 1, 420, 0.1, 3),
                                     (95, 100, 1, INF, 110, 0.05, 1)]:
        q = figures(A0, c, S, P, K, 0, 0, 0, t)
        target = float(q[BASES[basis]])
        agents_row("agents_tie", A0, S, P, K, 0, 0, 0, t, basis,
                   (target, NONE, NONE, NONE, NONE), c - 3)
        lines_row("lines_tie", A0, c, S, P, 0, float(q["blocking"]), c - 1)
    # Both closed forms cancel beyond the positions summed one by one: a cut
    # within the spread of a queue of 1e10 agents' worth of patience, and a
    # queue without patience whose traffic equals its agents.
    figure_rows("flat_long", 1e5, 1e5, 1, 1e5, 1.05e5, t=1e-3)
    figure_rows("flat_long", 1e3, 1e3, 1, INF, 6e3, t=3)
    # Patience a thousandth of a call, a target a thousand patiences away:
    # e^-w is below the double range, its power a^th is not.
    figure_rows("tiny_patience", 20, 20, 1, 1e-3, INF, t=1)
    figure_rows("tiny_patience", 20, 20, 1, 1e-3, 30, t=1)
    spread_rows()
    long_rows()
    forecast_rows()
    far_overload_rows()
    small_shape_rows()
    forecast_tie_rows()
    unit_rows()
    tie_rows()
    write("w")


def spread_rows():
    """The forecast's spread across its domain: a law wider than its mean
    (shape below 1) and one nearly Poisson, ten times the calls with redials
    near 1, without patience, overloaded, and on many agents."""
    figure_rows("spread", 2, 3, 180, 300, 6, calls=4, variance=40, t=20)
    figure_rows("spread", 20, 22, 180, 180, 30, calls=2000, variance=2000.2, t=20)
    figure_rows("spread", 8, 8, 1, 0.5, 10, r=0.9, calls=20, variance=200, t=0.2)
    figure_rows("spread", 5, 6, 1, INF, 8, calls=30, variance=90, t=0.1)
    figure_rows("spread", 30, 20, 1, 1, 25, calls=100, variance=1000, t=0.3)
    figure_rows("spread", 200, 205, 1, 2, 220, calls=4000, variance=12000, t=0.05)


def forecast_rows():
    """Forecasts whose counts turn sharply against the law's width: patience
    ten times the handling time, redials, lines a quarter above the agents,
    300 queue positions without patience, a queue that fills its lines, a
    shape below 1 with redials."""
    figure_rows("forecast", 100, 106, 180, 1800, INF, calls=1000, variance=5000, t=20)
    figure_rows("forecast", 10, 12, 180, 180, INF, r=0.5, calls=100, variance=500, t=20)
    figure_rows("forecast", 100, 108, 180, INF, 135, calls=1000, variance=5000, t=20)
    figure_rows("forecast", 10, 12, 180, INF, 312, calls=100, variance=500, t=20)
    figure_rows("forecast", 100, 106, 180, 1800, 133, calls=1000, variance=5000, t=20)
    figure_rows("forecast", 0.476, 2, 180, 324, 103, r=0.24, calls=4.97, variance=35.87, t=20)


def long_rows():
    """Without patience, more queue positions than the engine sums one by one:
    overloaded (the 4200 lines of one agent), a long light queue whose target
    reaches past the cut, the traffic a hair above the agents, the cut near
    the agents' completions within the target, and redials."""
    figure_rows("long_no_patience", 3, 1, 180, INF, 4200, t=7.5e5)
    figure_rows("long_no_patience", 90, 100, 180, INF, 1.001e5, t=20)
    figure_rows("long_no_patience", 99.9, 100, 1, INF, 5100, t=10)
    figure_rows("long_no_patience", 1000.01, 1000, 1, INF, 5.1e4, t=3)
    figure_rows("long_no_patience", 2e3, 1e3, 1, INF, 9e3, t=8)
    figure_rows("long_no_patience", 150, 100, 1, INF, 1.01e4, r=0.5, t=100)


def far_overload_rows():
    """Without lines, a queue of patient callers whose positions are too many
    to sum one by one: so far beyond the agents that hardly a caller in it
    is answered (few agents of short patience, and ten thousand), and
    ten thousand agents a little above and a little below the traffic."""
    figure_rows("far_overload", 130, 10, 1, 0.5, INF, t=0.1)
    figure_rows("far_overload", 1.1e4, 1e4, 1, 10, INF, t=0.01)
    figure_rows("long_patient_queue", 1.004e4, 1e4, 1, 10, INF, t=0.01)
    figure_rows("long_patient_queue", 9.9e3, 1e4, 1, 10, INF, t=0.01)


def small_shape_rows():
    """A forecast of shape between 1 and 4 (the law reaching down to 0) whose
    counts turn sharply: 300 queue positions without patience."""
    figure_rows("small_shape", 0.581, 2, 180, INF, 302, calls=9.46, variance=40.81, t=20)


def forecast_tie_rows():
    """Over a forecast, a target equal to the figure at a count, rounded to
    double: decided on the figures in full, not on rough ones."""
    A0, c, S, P, K, calls, variance, t = 10, 13, 180, 300, 16, 100, 500, 20
    q = figures(A0, c, S, P, K, 0, calls, variance, t)
    agents_row("agents_tie", A0, S, P, K, 0, calls, variance, t, 0,
               (float(q["offered"]), NONE, NONE, NONE, NONE), c - 3)


def unit_rows():
    """Without patience, with lines: waits far below the double range's
    start in patiences (some 1e-230 handling times), and handling times of
    1e209, beyond which the model's patience of 1e100 of them overflows."""
    figure_rows("tiny_waits", 0.2, 100, 1, INF, 101, t=1e-3)
    figure_rows("tiny_waits", 0.05, 60, 180, INF, 62, r=0.5, t=1)
    figure_rows("huge_unit", 10, 12, 1e209, INF, 16, t=1.1111111111111112e208)
    figure_rows("huge_unit", 10, 12, 1e300, 2e300, 16, t=1e299)


def redial_rows():
    """Redials of nearly every lost attempt where the agents are nearly
    always busy: the attempts rise some 1/(1 - r) times faster than the fresh
    traffic, and the agents' idle share, a millionth or less, decides them."""
    figure_rows("redial_near_one", 100, 100, 180, 1.8, INF, r=0.999999999, t=20)
    figure_rows("redial_near_one", 100, 100, 180, INF, 110, r=0.999999, t=20)


# --- Near-ties, each figure computed a second way --------------------------------


def absorbing(c, S, P, k, t):
    """From position k (k callers ahead), by the waiting caller's absorbing
    chain alone: P(answered), E[wait; answered], P(answered within t), P(hung
    up within t), and P(reaching an agent within t) patience aside; by its
    fundamental matrix and matrix exponential, none of the sums' forms."""
    mu, th = 1 / F(S), (F(0) if P == INF else 1 / F(P))
    n = k + 1

    def generator(own):
        T = mp.zeros(n, n)
        for i in range(n):
            if i > 0:
                T[i, i - 1] = c * mu + i * th
            T[i, i] = -(c * mu + i * th + (th if own else 0))
        return T

    ans, gone = mp.zeros(n, 1), mp.zeros(n, 1)
    ans[0] = c * mu
    for i in range(n):
        gone[i] = th
    T = generator(True)
    first = mp.lu_solve(-T, ans)
    second = mp.lu_solve(-T, first)
    out = dict(answered=first[k], wait=second[k])

    def within(own):
        G = mp.zeros(n + 2, n + 2)
        G[:n, :n] = generator(own)
        for i in range(n):
            G[i, n] = ans[i]
            G[i, n + 1] = gone[i] if own else 0
        E = mp.expm(G * F(t))
        return E[k, n], E[k, n + 1]

    out["within"], out["gone"] = within(True)
    out["reached"] = within(False)[0]
    return out


def second_way(A0, c, S, P, K, r, t):
    """Every figure of a centre with lines from the chain's balance equations
    (a linear system) and the waiting caller's absorbing chain, its redials'
    fixed point by false position on the balance's own losses: the first
    way (figures_at) summed none of it so. In 30 digits more than asked for
    (and at least 90): the matrix exponential over a target time of 1e5
    patiences loses some 20, the Taylor series' derivatives more."""
    with mp.workdps(max(mp.mp.dps, WORK) + 30):
        q = second_way_in(A0, c, S, P, K, r, t)
    return {key: +value for key, value in q.items()}


def second_way_in(A0, c, S, P, K, r, t):
    lam = lambda A: F(A) / S  # noqa: E731
    th = F(0) if P == INF else 1 / F(P)

    def chain(A):
        pi = balance(A, c, S, P, K)
        queue = mp.fsum(pi[n] * (n - c) for n in range(c, K + 1))
        accepted = 1 - pi[K]
        lost = pi[K] + th * queue / lam(A)
        return pi, queue, accepted, lost

    A = F(A0)
    if r:
        f = lambda u: u - F(A0) - F(r) * u * chain(u)[3]  # noqa: E731
        lo, hi = F(A0), F(A0) / (1 - F(r))
        flo, fhi = f(lo), f(hi)
        for i in range(400):
            A = (lo * fhi - hi * flo) / (fhi - flo) if i % 4 != 3 else (lo + hi) / 2
            fA = f(A)
            if fA < 0:
                lo, flo = A, fA
            else:
                hi, fhi = A, fA
            if hi - lo < F(10) ** -45 * hi:
                break
        A = (lo + hi) / 2
    pi, queue, accepted, lost = chain(A)
    below = mp.fsum(pi[:c])
    pos = [absorbing(c, S, P, n - c, t) for n in range(c, K)]
    weigh = lambda key: mp.fsum(pi[c + k] * q[key] for k, q in enumerate(pos))  # noqa: E731
    answered = below + weigh("answered")
    q = dict(blocking=pi[K], wait_probability=mp.fsum(pi[c:K]) / accepted)
    q["abandon_probability"] = th * queue / (lam(A) * accepted)
    q["average_wait"] = queue / (lam(A) * accepted)
    q["answered_wait"] = weigh("wait") / answered
    q["occupancy"] = mp.fsum(pi[n] * min(n, c) for n in range(K + 1)) / c
    q["attempts_traffic"] = A
    q["callers_lost"] = lost * (1 - F(r)) / (1 - F(r) * lost)
    level = below + weigh("within")
    q["offered"] = level / accepted
    q["answered"] = level / answered
    q["excluding-short-abandons"] = level / (accepted - weigh("gone"))
    q["virtual"] = (below + weigh("reached")) / accepted
    return q


def fresh_figures(A0, c, S, P, K, r, t):
    """The first way, with the redials' root to 50 digits."""
    if not r:
        return figures_at(A0, c, S, P, K, r, t)
    m = int(K - c)
    f = lambda u: u - F(A0) - F(r) * u * shares(u, c, S, P, m)["lost"]  # noqa: E731
    lo, hi = F(A0), F(A0) / (1 - F(r))
    flo, fhi = f(lo), f(hi)
    for i in range(400):
        A = (lo * fhi - hi * flo) / (fhi - flo) if i % 4 != 3 else (lo + hi) / 2
        fA = f(A)
        if fA < 0:
            lo, flo = A, fA
        else:
            hi, fhi = A, fA
        if hi - lo < F(10) ** -45 * hi:
            break
    A = (lo + hi) / 2
    q = shares(A, c, S, P, m, t)
    q["attempts"] = A
    L = q["lost"]
    q["callers_lost"] = L * (1 - F(r)) / (1 - F(r) * L)
    return q


def gamma_moments(shape, scale, most):
    """The central moments 0..most of the Gamma law, from its cumulants
    (n - 1)! k theta^n."""
    kappa = [F(0), F(0)] + [mp.factorial(n - 1) * shape * scale ** n for n in range(2, most + 1)]
    mu = [F(1), F(0)]
    for n in range(2, most + 1):
        mu.append(mp.fsum(mp.binomial(n - 1, j - 1) * kappa[j] * mu[n - j]
                          for j in range(2, n + 1)))
    return mu


def narrow_forecast(A0, c, S, P, K, r, calls, variance, t, key):
    """A figure over a forecast nearly Poisson (its law some 1e-7 of its mean
    wide), two ways: Gauss-Legendre over the law's 40 deviations with the
    sums, and the Taylor series of each count about the mean over the law's
    central moments with the balance equations."""
    shape = F(calls) ** 2 / (F(variance) - F(calls))
    scale = F(A0) / shape
    deviation = F(A0) / mp.sqrt(shape)
    num, den = COUNTS[key]

    def q_of(way, u):
        q = way(u, c, S, P, K, r, t)
        q = dict(q)
        q.setdefault("attempts", q.get("attempts_traffic"))
        q.setdefault("wait", q.get("wait_probability"))
        q.setdefault("abandon", q.get("abandon_probability"))
        return q

    def counts(way, u):
        q = q_of(way, u)
        A = q["attempts"]
        return num(u, A, q), (den(u, A, q) if den else None)

    density = lambda u: mp.exp((shape - 1) * mp.log(u) - u / scale - mp.loggamma(shape) -  # noqa
                               shape * mp.log(scale))
    with mp.workdps(60):
        lo, hi = F(A0) - 40 * deviation, F(A0) + 40 * deviation
        nodes = mp.linspace(lo, hi, 9)
        first = [mp.quad(lambda u: density(u) * counts(fresh_figures, u)[i], nodes)
                 for i in range(2 if den else 1)]
        mu = gamma_moments(shape, scale, 10)
        second = []
        for i in range(2 if den else 1):
            d = mp.diffs(lambda u: counts(second_way, u)[i], F(A0), 10)
            second.append(mp.fsum(dj * mu[j] / mp.factorial(j) for j, dj in enumerate(d)))
    one = first[0] / first[1] if den else first[0]
    two = second[0] / second[1] if den else second[0]
    assert abs(one / two - 1) < F(10) ** -40, (key, one, two)
    return one


def tie_figure(A0, c, S, P, K, r, t, key, calls=0, variance=0):
    """A figure at count c two ways, held to agree to 1e-40."""
    if variance:
        return narrow_forecast(A0, c, S, P, K, r, calls, variance, t, key)
    one = fresh_figures(A0, c, S, P, K, r, t)
    two = second_way(A0, c, S, P, K, r, t)
    name = {"abandon_probability": "abandon", "wait_probability": "wait"}.get(key, key)
    a, b = one[name] if name in one else one[key], two[key]
    assert abs(a - b) <= F(10) ** -40 * abs(b), (key, a, b)
    return a


TARGET_KEYS = ["service-level", "average_wait", "answered_wait", "abandon_probability",
               "blocking"]


def agents_tie_row(region, A0, S, P, K, r, t, basis, which, c, calls=0, variance=0):
    """The target of kind `which` (0 service level .. 4 blocking) equal to its
    figure at c agents rounded to double, the answer the least count meeting
    it, each count's figure computed two ways."""
    key = BASES[basis] if which == 0 else TARGET_KEYS[which]
    target = float(tie_figure(A0, c, S, P, K, r, t, key, calls, variance))
    targets = [NONE] * 5
    targets[which] = target
    meets = lambda n: (tie_figure(A0, n, S, P, K, r, t, key, calls, variance) >= target  # noqa
                       if which == 0 else
                       tie_figure(A0, n, S, P, K, r, t, key, calls, variance) <= target)
    lo = c - 1
    while lo > 0 and meets(lo):
        lo -= 1
    n = base.smallest(meets, lo)
    row(region, "x_agents", (A0, S, P, K, r, calls, variance, t, basis) + tuple(targets), n)


def lines_tie_row(region, A0, c, S, P, r, K):
    """A blocking equal to the blocking on K lines rounded to double: the
    fewest lines meeting it, each computed two ways."""
    target = float(tie_figure(A0, c, S, P, K, r, 0, "blocking"))
    meets = lambda k: tie_figure(A0, c, S, P, k, r, 0, "blocking") <= target  # noqa: E731
    lo = K - 1
    while lo > c and meets(lo):
        lo -= 1
    row(region, "x_lines", (A0, c, S, P, r, target), max(c, base.smallest(meets, lo)))


def tie_rows():
    """Targets within a few units in double's last place of a figure at a
    count, where double and extended precision decided wrongly: each target
    kind and basis, redials of a half and 0.99, a patience typed as a
    decimal (0.00018 of an aht of 180, not 180 times their ratio), a forecast
    whose variance is its calls times 1 + 1e-12, and the fewest lines."""
    # (traffic, aht, patience, lines, redial, target time, basis, target, count)
    for args in [(10, 180, 300, 16, 0.5, 20, 0, 0, 13), (20, 180, 300, 26, 0, 20, 1, 0, 21),
                 (12.5, 180, 300, 18, 0, 20, 2, 0, 15), (20, 180, INF, 27, 0.5, 20, 3, 0, 21),
                 (20, 180, 0.00018, 26, 0.99, 20, 3, 0, 22), (10, 180, INF, 20, 0, 0, 0, 1, 13),
                 (3.7, 180, 60, 9, 0.99, 20, 0, 1, 7), (12.5, 180, 0.00018, 20, 0, 20, 0, 1, 16),
                 (3.7, 180, 1000, 12, 0.99, 20, 0, 2, 6), (12.5, 180, 1000, 21, 0, 20, 0, 3, 14),
                 (20, 180, 300, 28, 0.3, 20, 0, 3, 22), (5, 180, 300, 10, 0.99, 20, 0, 4, 6)]:
        agents_tie_row("near_tie", *args)
    agents_tie_row("near_tie_forecast", 10, 180, 300, 18, 0, 20, 0, 0, 11, 100,
                   100.00000000010002)
    for args in [(2, 5, 180, 300, 0, 11), (20, 23, 180, 300, 0.3, 29), (5, 7, 180, 1000, 0.5, 10)]:
        lines_tie_row("near_tie_lines", *args)


def write(mode):
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                           "erlang_x_reference.csv"), mode) as f:
        f.write("\n".join(ROWS) + "\n")


# Groups of rows added to the table since it was first made, each appended
# by its own mode: `make_erlang_x_reference.py forecast`.
APPENDED = {"spread": spread_rows, "forecast": forecast_rows, "long": long_rows,
            "far": far_overload_rows, "shape": small_shape_rows, "tie": forecast_tie_rows,
            "units": unit_rows, "ties": tie_rows, "redial": redial_rows}

if __name__ == "__main__":
    if sys.argv[1:] == ["check"]:
        check()
    elif len(sys.argv) == 2 and sys.argv[1] in APPENDED:
        APPENDED[sys.argv[1]]()
        write("a")
    else:
        main()
