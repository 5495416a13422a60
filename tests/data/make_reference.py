#!/usr/bin/env python3
"""Writes the engine's reference values at 50 digits with mpmath: Erlang B and
C to erlang_reference.csv (python3 tests/data/make_reference.py, a few
minutes); Engset, overflow and offered-from-carried traffic to
engset_reference.csv (python3 tests/data/make_reference.py engset).
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


# --- Engset, overflow, offered from carried -------------------------------------

def engset_inverse(S, N, beta):
    """1/E(S, N, beta) = sum_(i <= N) C(S, i) beta^(i - N) / C(S, N), summed from
    N in the direction its terms fall: below N when N is under the binomial's
    mode, else as (1 - P(X > N)) / P(X = N) with the tail above N."""
    S, N, beta = int(S), int(N), F(beta)
    if N > S:
        return mp.inf
    if N == 0:
        return F(1)
    tiny = F(10) ** -60
    if N <= (S + 1) * beta / (1 + beta):
        term = total = F(1)
        for k in range(1, N + 1):
            term *= (N - k + 1) / ((S - N + k) * beta)
            total += term
            if term < tiny * total:
                break
        return total
    p = beta / (1 + beta)
    log_point = (mp.loggamma(S + 1) - mp.loggamma(N + 1) - mp.loggamma(S - N + 1)
                 + N * mp.log(p) - (S - N) * mp.log1p(beta))
    term, tail = F(1), F(0)
    for k in range(1, S - N + 1):
        term *= (S - N - k + 1) * beta / (N + k)
        tail += term
        if term < tiny * tail:
            break
    return mp.exp(-log_point) - tail


def engset(S, N, beta):
    """Time, call and traffic congestion, carried, traffic, intended, beta."""
    beta = F(beta)
    E = 1 / engset_inverse(S, N, beta)
    B = 1 / engset_inverse(S - 1, N, beta) if S > N else F(0)
    u = beta * (1 - B)
    return [E, B, B / (1 + u), S * u / (1 + u), S * beta / (1 + u), S * beta / (1 + beta), beta]


def beta_for(S, N, kind, load):
    load = F(load)
    if kind == 0 or load == 0:
        return load
    if kind == 2:
        return load / (S - load)
    if N == S:
        return load / (S - load)
    if N == 0:
        return load / S
    f = lambda u: mp.log(engset(S, N, mp.exp(u))[4]) - mp.log(load)
    hi = mp.log(load / (S - min(load, N)) if load < S else load / (S - N))
    lo = mp.log(load / S)
    return mp.exp(mp.findroot(f, (lo, hi), solver="illinois"))


ENGSET_FIELDS = ["engset_time", "engset_call", "engset_traffic_congestion", "engset_carried",
                 "engset_traffic", "engset_intended", "engset_beta"]


def engset_rows():
    # Load kinds: 0 idle-source traffic, 1 call-attempt traffic, 2 intended.
    # The small exact case; heavy and light blocking; every method of the
    # engine (sums on either side of the mode, the incomplete beta near it) at
    # up to a billion sources; one line fewer than sources; every kind.
    cases = [(4, 2, 0, 1 / 3), (40, 8, 1, 5), (40, 8, 2, 5), (40, 8, 0, 0.1), (10, 9, 0, 3),
             (10, 10, 1, 5), (10, 0, 1, 2.5), (2, 1, 0, 1e6), (100, 30, 0, 0.5),
             (1000, 200, 0, 0.25), (1000, 300, 1, 250), (1e6, 5e5, 0, 1), (1e6, 500800, 0, 1),
             (1e6, 499000, 0, 1), (1e6, 1000, 2, 950), (1e6, 1e5, 0, 0.1111111),
             (1e9, 5e8, 0, 1), (1e9, 500010000, 0, 1), (1e9, 499990000, 0, 1),
             (1e9, 18, 1, 10), (1e9, 1e8, 0, 0.11111111), (1e9, 1000, 0, 1e-6),
             (1e9, 500200000, 0, 1), (1e4, 30, 2, 15), (1e9, 300037344, 1, 3e8),
             (1e9, 300037344, 2, 3e8), (1e6, 300500, 1, 299000.5)]
    for S, N, kind, load in cases:
        values = engset(S, N, beta_for(S, N, kind, load))
        for name, value in zip(ENGSET_FIELDS, values):
            row(name, (S, N, kind, load), value)
    for S, kind, load, T in [(40, 1, 5, 0.01), (40, 0, 0.1, 0.01), (40, 2, 5, 0.01),
                             (1000, 0, 0.05, 0.001), (1e6, 2, 1000, 0.01), (4, 0, 1 / 3, 1 / 7),
                             (1e4, 1, 100, 0.05), (1e6, 1, 3e5, 0.01), (1e6, 2, 2e5, 1e-6),
                             (1e9, 0, 0.02, 0.01), (12, 1, 11.5, 0.6)]:
        def meets(n):
            if n >= S:
                return True
            return 1 / engset_inverse(S - 1, n, beta_for(S, n, kind, load)) <= T
        row("engset_lines", (S, kind, load, T), smallest(meets, 0))
    # Ties: the target the call congestion of N lines rounded to double.
    for S, N, beta in [(20, 5, 0.2), (100, 40, 0.5), (3, 2, 1)]:
        T = float(1 / engset_inverse(S - 1, N, beta))
        row("engset_lines", (S, 0, beta, T),
            smallest(lambda n: n >= S or 1 / engset_inverse(S - 1, n, beta) <= T, 0))
    for S, N, T in [(40, 8, 0.01), (4, 2, 1 / 7), (1e9, 18, 0.01), (1000, 999, 0.3),
                    (1e6, 1000, 0.02), (1e9, 300037344, 1e-6), (1e6, 700000, 0.3)]:
        f = lambda u: -mp.log(engset_inverse(S - 1, N, mp.exp(u))) - mp.log(T)
        hi = mp.log(F(N) / ((1 - F(T)) * (S - 1 - N))) if N < S - 1 else mp.log(F(10) ** 6)
        lo = mp.log(F(N) * T / ((1 - F(T)) * (S - N)))
        beta = mp.exp(mp.findroot(f, (lo, hi), solver="anderson"))
        row("engset_solve_traffic", (S, N, T), engset(S, N, beta)[4])
        row("engset_solve_beta", (S, N, T), beta)


def moments(A, N):
    m = F(A) * blocking(A, N)
    return m, m * (1 - m + F(A) / (F(N) + 1 - F(A) + m))


def overflow_rows():
    for A, N in [(10, 10), (5, 2.5), (100, 90), (1000, 1050), (0.1, 3), (50, 1),
                 (1e6, 999000)]:
        m, v = moments(A, N)
        row("overflow_mean", (A, N), m)
        row("overflow_variance", (A, N), v)
    # Equivalent random: the moments of an overflow, and some of no group.
    # The moments of 1e4 erlangs on 7003 and 9970 lines, 100 on 117, 1e6 on 999000.
    for m, v in [(2.145823, 4.362447), (5, 10), (1, 1.5), (30, 100), (0.01, 0.02), (100, 101),
                 (2999.3314923106782, 9976.8074528464476), (99.314123252992786, 4360.3682743684312),
                 (0.97900711253713624, 5.1789206230757943), (1524.48076531365, 578599.08508718805)]:
        guess_a = F(v) + 3 * F(v) / m * (F(v) / m - 1)
        z = F(v) / m
        guess_n = guess_a * (m + z) / (m + z - 1) - m - 1
        eqs = lambda a, n: [moments(a, n)[0] / m - 1, moments(a, n)[1] / v - 1]
        a, n = mp.findroot(eqs, (guess_a, guess_n))
        row("ert_traffic", (m, v), a)
        row("ert_lines", (m, v), n)
        for x in [0, 3, 7.5]:
            row("overflow_blocking_ert", (m, v, x), a * blocking(a, n + x) / m)
            row("overflow_blocking_hayward", (m, v, x), blocking(m / z, x / z))
        for T in [0.01, 0.001]:
            row("overflow_lines_ert", (m, v, T),
                smallest(lambda x: a * blocking(a, n + x) / m <= T, 0))
            row("overflow_lines_hayward", (m, v, T),
                smallest(lambda x: blocking(m / z, F(x) / z) <= T, 0))
    for Y, N in [(19.2, 24), (0.5, 1), (9.99, 10), (1e6, 1000500), (0.001, 0.5), (100, 300)]:
        f = lambda a: a * (1 - blocking(a, N)) - Y
        row("offered", (Y, N), mp.findroot(f, (F(Y), F(Y) * max(N, 1) / (F(N) - Y)),
                                           solver="anderson"))


def main_engset():
    engset_rows()
    overflow_rows()
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "engset_reference.csv"),
              "w") as f:
        f.write("\n".join(ROWS) + "\n")


if __name__ == "__main__":
    main_engset() if sys.argv[1:] == ["engset"] else main()
