#!/usr/bin/env python3
"""Writes erlang_reference.csv, the engine's reference values, at 50 digits
with mpmath: python3 tests/data/make_reference.py (a few minutes).
Rows: function, its arguments, the expected result (counts exactly)."""
import math, os
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


def main():
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
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "erlang_reference.csv"),
              "w") as f:
        f.write("\n".join(ROWS) + "\n")


if __name__ == "__main__":
    main()
