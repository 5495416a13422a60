#!/usr/bin/env python3
"""Writes the engine's reference values, at 50 digits with mpmath:
    python3 tests/data/make_reference.py            both tables (some minutes)
    python3 tests/data/make_reference.py erlang     erlang_reference.csv alone
    python3 tests/data/make_reference.py erlang_a   erlang_a_reference.csv alone
Rows: function, its arguments, the expected result (counts exactly)."""
import math, os, sys
import mpmath as mp

mp.mp.dps = 50
F = mp.mpf


def log_r(A, N):
    """log 1/B(A, N) = log(Gamma(N+1, A) e^A / A^N)."""
    a, x = F(N) + 1, F(A)
    if x >= a * F("0.99"):  # mpmath is quick here, slow below
        return mp.log(mp.gammainc(a, x)) + x - (a - 1) * mp.log(x)
    log_d = (a - 1) * mp.log(x) - x - mp.loggamma(a)
    term = total = x / a
    k = a
    while term > F(10) ** -60 * total:
        k += 1
        term *= x / k
        total += term
    return mp.log(1 - mp.exp(log_d) * total) - log_d


def blocking(A, N):
    return mp.exp(-log_r(A, N))


def smallest(meets, lo):
    """Smallest whole n > lo with meets(n), lo not meeting."""
    step = 1
    while not meets(lo + step):
        lo, step = lo + step, step * 2
    hi = lo + step
    while hi - lo > 1:
        mid = (lo + hi) // 2
        lo, hi = (lo, mid) if meets(mid) else (mid, hi)
    return hi


def traffic(N, T):
    f = lambda u: -log_r(mp.exp(u), N) - mp.log(T)
    hi = mp.log(F(N) / (1 - F(T)))
    lo = hi - 1
    while f(lo) > 0:
        lo -= 2 * (hi - lo)
    return mp.exp(mp.findroot(f, (lo, hi), solver="anderson"))


def offered(A, N, R):
    if R == 0:
        return F(A)
    f = lambda s: s * (1 - R * blocking(s, N)) - A
    return mp.findroot(f, (F(A), F(A) / (1 - F(R))), solver="anderson")


def wait(A, N):
    B = blocking(A, N)
    return N * B / (N - A * (1 - B))


def service(A, N, h, t):
    return 1 - wait(A, N) * mp.exp(-(F(N) - A) * t / h)


ROWS = []


def row(fn, args, value):
    text = value if isinstance(value, int) else mp.nstr(value, 25)
    ROWS.append(",".join([fn] + [repr(float(a)) for a in args] + [str(text)]))
    print(ROWS[-1], file=sys.stderr, flush=True)


def erlang():
    ROWS.clear()
    # Erlang B on both sides of every switch of method (a = N + 1: below 20
    # the series or the fraction; above, the series below a/2, the fraction
    # beyond a + min(a/2, 6 sqrt(a)), Temme's expansion between), and at sizes
    # from a thousandth of an erlang to a billion.
    pairs = [(0.001, 0), (0.001, 1), (0.5, 0.5), (7.3, 5), (30, 18.9), (10, 18.9), (10, 19.1),
             (5, 19.5), (10.2, 19.5), (10.3, 19.5), (30.7, 19.5), (30.8, 19.5), (10, 18),
             (123.4, 100.5), (1000, 3000), (1e4, 1e4), (1e4, 9990.5), (10600.4, 1e4),
             (10601.6, 1e4), (1e6, 1002000), (1e6, 998000), (1e9, 1e9), (1e9, 1000100000),
             (1e9, 999000000), (1e9, 10), (4999.9, 1e4), (5000.6, 1e4), (0.02, 1e3)]
    for A, N in pairs:
        row("blocking", (A, N), blocking(A, N))
    for A, N in [(1, 1e9), (0.001, 1e9), (1e9, 1.5e9), (1e6, 2e6), (5e-324, 3)]:
        row("log_blocking", (A, N), -log_r(A, N))
    for A, T in [(10, 0.01), (100, 0.01), (0.05, 0.01), (5, 0.0001), (999999, 0.9999),
                 (1e6, 0.01), (1e9, 1e-300), (1e9, 0.9999), (0.001, 0.5), (1234.5, 0.02),
                 (3, 0.75), (1, 0.5), (1, 0.0625), (9999, 0.9999), (5e-324, 1e-300)]:
        lo = max(0, math.floor(A * (1 - T)) - 1)
        row("lines", (A, T), smallest(lambda n: blocking(A, n) <= T, lo))
    # The target equal to the blocking rounded to double: a tie at every size.
    for A, N in [(100, 117), (1e4, 10100), (1e6, 1000500), (12.5, 7)]:
        T = float(blocking(A, N))
        row("lines", (A, T), smallest(lambda n: blocking(A, n) <= T, N - 3))
    for N, T in [(10, 0.01), (1, 1e-300), (1e9, 0.01), (0.5, 0.3), (1, 0.9999999999),
                 (200, 0.001), (1e6, 0.5), (1e4, 0.99)]:
        row("traffic", (N, T), traffic(N, T))
    for A, N, R in [(10, 15, 0.5), (100, 90, 0.9), (0.5, 1, 0.25), (1e6, 1e6, 0.5)]:
        s = offered(A, N, R)
        row("extended_offered", (A, N, R), s)
        row("extended_blocking", (A, N, R), blocking(s, N))
    for A, T, R in [(10, 0.01, 0.5), (100, 0.05, 0.9), (0.5, 0.1, 0)]:
        meets = lambda n: blocking(offered(A, n, R), n) <= T
        row("extended_lines", (A, T, R), smallest(meets, 0))
    for A, N in [(10, 12), (0.5, 1), (99.5, 100), (1e6, 1001000), (1e9, 1.0001e9)]:
        row("wait_probability", (A, N), wait(A, N))
    for A, N, h, t in [(10, 12, 180, 20), (99.5, 100, 300, 0), (1e6, 1000100, 180, 20),
                       (2, 30, 1, 1e-9)]:
        row("service_level", (A, N, h, t), service(A, N, h, t))
        row("average_wait", (A, N, h), wait(A, N) * h / (F(N) - A))
    for A, h, t, P in [(10, 180, 20, 0.8), (1e6, 180, 20, 0.8), (0.01, 60, 0, 0.999),
                       (450.5, 240, 15, 0.95)]:
        meets = lambda n: service(A, n, h, t) >= P
        row("agents", (A, h, t, P), smallest(meets, math.floor(A)))
    write("erlang_reference.csv")


def write(name):
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), name), "w") as f:
        f.write("\n".join(ROWS) + "\n")


# --- Erlang A ---------------------------------------------------------------------
# With x = A p/h and a = N p/h (p the patience, h the handling time), the states
# N + k weigh t_k = x^k / ((a+1)...(a+k)) against state N, those below it
# R - 1 = 1/B(A, N) - 1; G = sum k t_k is the mean queue. Worked at 100 digits,
# which the differences below (G where x < a, D over short times) need.


def lower(x, b):
    """gamma(b, x) e^x / x^(b-1)."""
    if x == 0:
        return F(0)
    # The series, quick here; the difference below would cancel.
    if x < b - 12 * mp.sqrt(b) or (x < b and b < 10**4):
        term = total = x / b
        k = b
        while term > F(10) ** -110 * total:
            k += 1
            term *= x / k
            total += term
        return total
    try:
        whole = mp.exp(mp.loggamma(b) + x - (b - 1) * mp.log(x))
        return whole - mp.gammainc(b, x) * mp.exp(x - (b - 1) * mp.log(x))
    except mp.libmp.NoConvergence:  # mpmath gives up on some sizes: the series in full
        return x / b * mp.hyp1f1(1, b + 1, x, maxterms=10**8)


def erlang_a_parts(A, N, h, p):
    A, N, h, p = F(A), F(N), F(h), F(p)
    x, a = A * p / h, N * p / h
    if N < 1:  # R - 1 = N Gamma(N, A) e^A / A^N, whole however small N
        R1 = N * mp.gammainc(N, A) * mp.exp(A - N * mp.log(A)) if N > 0 else F(0)
    else:
        R1 = mp.exp(log_r(A, N)) - 1
    S1 = lower(x, a + 1)  # S - 1, kept apart: it may be below 1e-100
    return x, a, R1, S1, R1 + 1 + S1


def erlang_a(A, N, h, p):
    """P(W > 0), P(Ab), average wait, occupancy."""
    with mp.workdps(100):
        x, a, R1, S1, T = erlang_a_parts(A, N, h, p)
        G = x + (x - a) * S1  # a + (x - a) S
        ab = G / (x * T)
        answered = (x * R1 + a * S1) / (x * T)  # 1 - P(Ab), whole where P(Ab) nears 1
        return (1 + S1) / T, ab, ab * p, F(A) * answered / N


def erlang_a_service(A, N, h, p, t):
    with mp.workdps(100):
        x, a, R1, S1, T = erlang_a_parts(A, N, h, p)
        w = F(t) / p
        y = mp.exp(-w)
        late = lower(x * y, a + 1) * mp.exp(-a * w - x * mp.expm1(-w))
        return (x * R1 + a * (S1 - late)) / (x * T)


def erlang_a_chain(A, N, h, p, t, K=300):
    """The chain itself, truncated, for small whole N: the closed forms' check."""
    lam, mu, th = F(A) / h, 1 / F(h), 1 / F(p)
    pi = [F(1)]
    for j in range(1, N + K):
        pi.append(pi[-1] * lam / (min(j, N) * mu + max(j - N, 0) * th))
    total = mp.fsum(pi)
    ab = mp.fsum(pi[N + k] * (k + 1) / (N * mu / th + k + 1) for k in range(K)) / total
    sl = mp.fsum(pi[:N]) / total
    for k in range(80):  # from N + k: the wait, a sum of exponentials, against the patience
        rates = [N * mu + i * th for i in range(k + 1)]
        answered = F(0)
        for r in rates:
            w = mp.fprod(q / (q - r) for q in rates if q != r)
            answered += w * r / (r + th) * -mp.expm1(-(r + th) * t)
        sl += pi[N + k] * answered / total
    return mp.fsum(pi[N:]) / total, ab, sl


def main_erlang_a():
    ROWS.clear()
    for case in [(10, 14, 180, 300, 20), (10, 8, 1, 2, 0.5), (3, 5, 2, 0.7, 1.5), (2, 1, 1, 1, 0.3)]:
        pw, ab, _, _ = erlang_a(*case[:4])
        chain = erlang_a_chain(*case)
        assert abs(pw / chain[0] - 1) < 1e-30 and abs(ab / chain[1] - 1) < 1e-30
        assert abs(erlang_a_service(*case) / chain[2] - 1) < 1e-30

    # (traffic, agents, aht, patience, target time). x = A p/h, a = N p/h, b = a + 1.
    cases = [
        (10, 14, 180, 300, 20),  # 100 calls in 30 minutes, 3 minutes each, 5 of patience
        (3, 5, 2, 0.7, 1.5), (10, 8, 1, 2, 0.5), (0.3, 0.5, 1, 2, 0.5), (0.001, 1, 1, 1, 1),
        (5, 50, 1, 1, 1), (49, 99, 1, 1, 1), (51, 99, 1, 1, 1),  # b >= 20: x either side of b/2
        (90, 100, 1, 1, 1), (105, 100, 1, 1, 1), (300, 100, 1, 1, 1),  # Temme below, above; fraction
        (65, 100, 1, 1, 1), (60, 100, 1, 1, 1),  # G's erfcx either side of z = 3
        (10, 14, 3, 5, 5), (100, 50, 1, 1, 0.1), (100, 50, 1, 1, 1),  # D: rising, past, across the peak
        (100, 50, 1, 1, 0.0203), (100, 50, 1, 1, 0.0205),  # either side of the quadrature's reach
        (1e9, 1e9 + 3e4, 1, 100, 0.1), (1e9, 1e9 - 1e4, 180, 18, 20), (1e6, 1e6, 180, 18, 20),
        (1e6, 1000500, 180, 1800, 20), (1e4, 9e3, 1, 0.1, 0.05), (1e4, 2e4, 1, 1, 1),
        (10, 12, 180, 0.18, 20), (10, 12, 180, 1e-4, 1e-5), (10, 12, 180, 1.8e5, 20),
        (10, 11, 1, 1e6, 0.5), (10, 12, 180, 300, 1e-9), (7.3, 5.5, 2, 3, 0),
        # Below one erlang and one agent, and either side of that.
        (0.5, 0.3, 1, 2, 0.5), (0.9, 1e-6, 1, 2, 0.5), (1.5, 0.5, 1, 2, 0.5), (0.5, 1.5, 1, 2, 0.5),
        (1e-200, 1e-150, 1, 1, 1),
    ]
    for A, N, h, p, t in cases:
        pw, ab, average, occupancy = erlang_a(A, N, h, p)
        row("a_wait_probability", (A, N, h, p), pw)
        row("a_abandon_probability", (A, N, h, p), ab)
        row("a_average_wait", (A, N, h, p), average)
        row("a_occupancy", (A, N, h, p), occupancy)
        row("a_service_level", (A, N, h, p, t), erlang_a_service(A, N, h, p, t))
    # The limits: patience without end gives Erlang C, none Erlang B (the share
    # that hangs up is the blocking), and patience = aht the Poisson tail.
    for A, N in [(10, 12), (99.5, 100)]:
        row("c_wait_probability", (A, N), wait(A, N))
    for A, N in [(10, 12), (120, 100)]:
        row("b_blocking", (A, N), blocking(A, N))
    for A, N in [(7.3, 9), (100, 95), (1e4, 10100)]:
        row("poisson_tail", (A, N), mp.gammainc(N, 0, A, regularized=True))

    def level(A, h, p, t):
        return lambda n: erlang_a_service(A, n, h, p, t)

    for A, h, p, t, P, lo in [(10, 180, 300, 20, 0.8, 7), (100, 180, 18000, 20, 0.8, 79),
                              (1e4, 180, 180, 20, 0.8, 9000), (1e6, 180, 18, 20, 0.9, 899999),
                              (0.1, 1, 0.01, 0, 0.5, 0), (50, 1, 0.01, 0.001, 0.3, 10),
                              (1e7, 180, 1.8, 20, 0.8, 7999990)]:
        meets = lambda n: level(A, h, p, t)(n) >= P
        assert lo == 0 or not meets(lo)
        row("a_agents", (A, h, p, t, P), smallest(meets, lo))
    # A target equal to a service level rounded to double: a tie.
    for A, N, h, p, t in [(10, 13, 180, 300, 20), (1e4, 10050, 180, 90, 15)]:
        P = float(erlang_a_service(A, N, h, p, t))
        meets = lambda n: level(A, h, p, t)(n) >= P
        row("a_agents", (A, h, p, t, P), smallest(meets, N - 3))
    for A, h, p, W, lo in [(10, 180, 300, 10, 0), (1e4, 180, 1800, 1, 9000), (100, 180, 18, 0.5, 0),
                           (1e6, 1, 10, 1e-4, 999000)]:
        meets = lambda n: erlang_a(A, n, h, p)[2] <= W
        row("a_agents_for_wait", (A, h, p, W), smallest(meets, lo))
    for A, h, W in [(10, 180, 10), (1e4, 180, 1), (0.5, 60, 100), (1e6, 1, 1e-5)]:
        meets = lambda n: wait(A, n) * h / (n - F(A)) <= W
        row("c_agents_for_wait", (A, h, W), smallest(meets, math.floor(A)))
    write("erlang_a_reference.csv")


if __name__ == "__main__":
    parts = sys.argv[1:] or ["erlang", "erlang_a"]
    for part in parts:
        {"erlang": erlang, "erlang_a": main_erlang_a}[part]()
