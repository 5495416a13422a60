#!/usr/bin/env python3
"""Writes the engine's reference values, at 50 digits with mpmath:
    python3 tests/data/make_reference.py            every table (some minutes)
    python3 tests/data/make_reference.py erlang     erlang_reference.csv alone:
                                                    the switches of method and the sizes
    python3 tests/data/make_reference.py stress     erlang_stress.csv alone: every
                                                    region of the domain, some thousands of rows
    python3 tests/data/make_reference.py erlang_a   erlang_a_reference.csv alone
    python3 tests/data/make_reference.py engset     engset_reference.csv alone: Engset,
                                                    overflow and offered-from-carried traffic
    python3 tests/data/make_reference.py ties       count_ties.csv alone: Engset's and
                                                    overflow's counts at near-ties
Rows: function, its arguments, the expected result (counts exactly)."""
import math, os, sys
import mpmath as mp

mp.mp.dps = 50
F = mp.mpf


def continued_fraction(x, a):
    """log(x h), Legendre's continued fraction h = Gamma(a, x) e^x / x^a, by
    Lentz's method; quick two standard deviations and more above a."""
    tiny = F(10) ** -300
    b = x + 1 - a
    c, d = 1 / tiny, 1 / b
    h = d
    for i in range(1, 10 ** 6):
        an = -i * (i - a)
        b += 2
        d = an * d + b
        c = b + an / c
        d = 1 / (tiny if d == 0 else d)
        c = tiny if c == 0 else c
        h *= d * c
        if abs(d * c - 1) < F(10) ** -55:
            return mp.log(x * h)
    raise ArithmeticError("continued fraction did not converge")


def log_r(A, N):
    """log 1/B(A, N) = log(Gamma(N+1, A) e^A / A^N)."""
    a, x = F(N) + 1, F(A)
    if N < 1:
        # R = 1 + N Gamma(N, A) e^A / A^N: below one line R - 1 may lie far
        # below the working precision, and only this form keeps it.
        return mp.log1p(F(N) * mp.gammainc(F(N), x) * mp.exp(x) / x ** F(N))
    if x > a + 2 * mp.sqrt(a):  # mpmath's gammainc may not converge here
        return continued_fraction(x, a)
    if x >= a * F("0.99"):  # mpmath is quick here, slow below
        try:
            return mp.log(mp.gammainc(a, x)) + x - (a - 1) * mp.log(x)
        except mp.libmp.libhyper.NoConvergence:
            if x > a:
                return continued_fraction(x, a)
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
    return mp.exp(root(f, lo, hi))


def traffic_within(N, T, lo="1e-300", hi="1e9"):
    """The traffic N lines carry at T, or None outside (lo, hi)."""
    f = lambda A: -log_r(F(A), N) - mp.log(T)
    if f(F(lo)) >= 0 or f(F(hi)) <= 0:
        return None
    return traffic(N, T)


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
             (1e9, 999000000), (1e9, 10), (4999.9, 1e4), (5000.6, 1e4), (0.02, 1e3),
             (5e-324, 0.0033516812152275571), (1e-320, 0.5)]  # denormal traffic
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
    for N, T in [(10, 0.01), (1, 1e-300), (9.9e8, 0.01), (0.5, 0.3), (0.1, 0.9999999),
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


# --- The differential table: every region of the domain, region by region ---

STRESS = []


def stress_row(region, fn, args, value):
    if not any(r.startswith(region + ",") for r in STRESS[-400:]):
        print(region, len(STRESS), "rows so far", file=sys.stderr)
    text = value if isinstance(value, int) else mp.nstr(value, 25)
    STRESS.append(",".join([region, fn] + [repr(float(a)) for a in args] + [str(text)]))


def log_grid(rng, lo, hi):
    return float(mp.exp(rng.uniform(math.log(lo), math.log(hi))))


def search(meets, guess, floor_):
    """Smallest whole n > floor_ with meets(n), searching out from guess."""
    n = max(int(guess), floor_ + 1)
    step = 1
    if meets(n):
        hi = n
        while hi - step > floor_ and meets(hi - step):
            hi, step = hi - step, step * 2
        lo = max(floor_, hi - step)
    else:
        lo = n
        while not meets(lo + step):
            lo, step = lo + step, step * 2
        hi = lo + step
    while hi - lo > 1:
        mid = (lo + hi) // 2
        lo, hi = (lo, mid) if meets(mid) else (mid, hi)
    return hi


def lines_guess(A, T):
    L = -math.log(T)
    return A * (1 - T) + math.sqrt(2 * A * L) if A > 1 else 1


def root(f, lo, hi):
    """The root of f, increasing, in [lo, hi], to 1e-25 of the value of f
    (half the digits mpmath would insist on, far more than the table keeps):
    mpmath's Anderson steps, else false position halved every third step."""
    try:
        x = mp.findroot(f, (lo, hi), solver="anderson", verify=False)
        if lo <= x <= hi and abs(f(x)) < F("1e-25"):
            return x
    except (ValueError, ZeroDivisionError):
        pass
    lo, hi = F(lo), F(hi)
    flo, fhi = f(lo), f(hi)
    for i in range(1000):
        x = hi - fhi * (hi - lo) / (fhi - flo) if fhi != flo else (lo + hi) / 2
        if i % 3 == 2 or not lo < x < hi:
            x = (lo + hi) / 2
        fx = f(x)
        if abs(fx) < F("1e-30"):
            return x
        if fx < 0:
            lo, flo = x, fx
        else:
            hi, fhi = x, fx
    raise ArithmeticError("no root between %s and %s" % (lo, hi))


def offered_log(A, N, R):
    """The fixed point A* = A + R A* B(A*, N), solved on log A*."""
    if R == 0:
        return F(A)
    A, R = F(A), F(R)

    def f(u):
        s = mp.exp(u)
        B = blocking(s, N)
        return mp.log(s * ((1 - R) + R * (1 - B))) - mp.log(A)

    return mp.exp(root(f, mp.log(A), mp.log(A / (1 - R))))


def stress_regions():
    """The regions where the engine once failed, or might."""
    import random
    rng = random.Random(15)
    sizes = [1e-3, 0.1, 1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9]

    # Rows an adversarial search once found hanging, wrong or refused.
    found = "found-by-search"
    for N, T in [(0.0008, 0.6), (0.002, 0.5000001), (0.0015, 0.75), (0.5, 0.9)]:
        stress_row(found, "traffic", (N, T), traffic(N, T))
    A, h, t, P = 0.8245576181354332, 281.7833624505016, 29.106515077955827, 0.19025054389174093
    stress_row(found, "agents", (A, h, t, P), search(lambda n: service(A, n, h, t) >= P, 1, 0))
    for A, h, t, P in [(0.5, 180, 0, 0.49), (0.05, 60, 0, 0.99), (0.9, 10, 0, 0.1)]:
        stress_row(found, "agents", (A, h, t, P), search(lambda n: service(A, n, h, t) >= P, 1, 0))
    for A, N, h, t in [(50, 150, 180, 20), (1, 1e8, 1, 1), (1e-7, 3e-7, 1, 1), (0.001, 0.002, 60, 5)]:
        stress_row(found, "service_level", (A, N, h, t), service(A, N, h, t))
    stress_row(found, "log_blocking", (1e-5, 1e-300), -log_r(1e-5, 1e-300))
    for A, N, R in [(10, 18, 0.0), (1e4, 10200, 0.9), (3, 30, 1 - 2.0 ** -53)]:
        s = offered_log(A, N, R)
        stress_row(found, "extended_offered", (A, N, R), s)
        stress_row(found, "extended_blocking", (A, N, R), blocking(s, N))

    # Fewer than one line, at every blocking: the traffic falls to the bottom
    # of the double range; log B near 0 keeps its relative digits.
    for N in [1e-300, 1e-100, 1e-20, 1e-6, 1e-4, 0.0008, 0.0015, 0.002, 0.01, 0.1, 0.5, 0.9, 0.999]:
        for A in [1e-6, 1e-3, 0.1, 1, 1.4, 1.6, 10, 1e3]:
            stress_row("fractional-lines", "log_blocking", (A, N), -log_r(A, N))
            if N >= 1e-6:
                stress_row("fractional-lines", "blocking", (A, N), blocking(A, N))
        for T in [1e-300, 1e-50, 1e-10, 0.01, 0.3, 0.5, 0.5000001, 0.6, 0.75, 0.9, 0.99,
                  0.9999999, 1 - 2.0 ** -40]:
            A = traffic_within(N, T)
            if A is not None:
                stress_row("fractional-lines", "traffic", (N, T), A)
    for _ in range(120):
        N, T = log_grid(rng, 1e-8, 0.999), rng.uniform(0.01, 0.999)
        A = traffic_within(N, T)
        if A is not None:
            stress_row("fractional-lines", "traffic", (N, T), A)

    # Each side of every switch of method: a = N + 1 at 20; below a the
    # series until a/2; above it the continued fraction from a + min(a/2, 6 sqrt a);
    # for a below 1 (the lines of R - 1) the small-shape sums up to x = 1.5.
    for N in [18.9, 18.999999, 19, 19.000001, 19.1]:
        for A in [0.5, 5, 9.9, 10.1, 19, 20, 21, 30, 60]:
            stress_row("method-switches", "blocking", (A, N), blocking(A, N))
    for a in [20.5, 25, 50, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9]:
        N = a - 1
        reach = min(a / 2, 6 * math.sqrt(a))
        for x in [a / 2, a + reach]:
            for d in [-1e-9, 1e-9, -1e-3, 1e-3]:
                A = x * (1 + d)
                if A > 1e9:
                    continue
                stress_row("method-switches", "log_blocking", (A, N), -log_r(A, N))
                b = blocking(A, N)
                if b > F("1e-300"):
                    stress_row("method-switches", "blocking", (A, N), b)
    for N in [0.001, 0.3, 0.99]:
        for A in [1.4999, 1.5, 1.5001]:
            stress_row("method-switches", "log_blocking", (A, N), -log_r(A, N))
            stress_row("method-switches", "service_level", (A, 2 + N, 1, 0.5),
                       service(A, 2 + N, 1, 0.5))

    # The uniform expansion away from its centre, |x/a - 1| >= 0.1, where the
    # blocking is still a double.
    for _ in range(300):
        a = log_grid(rng, 20, 2e5)
        ratio = rng.uniform(0.5, 0.9) if rng.random() < 0.75 else rng.uniform(1.1, 1.5)
        A, N = a * ratio, a - 1
        b = blocking(A, N)
        if b > F("1e-300"):
            stress_row("uniform-off-centre", "blocking", (A, N), b)

    # log B with fewer than 1e-4 lines: B within far less than a rounding of 1.
    for _ in range(100):
        A, N = log_grid(rng, 1e-8, 1e8), log_grid(rng, 1e-300, 1e-4)
        stress_row("log-blocking-few-lines", "log_blocking", (A, N), -log_r(A, N))

    # Erlang C: service levels within rounding of 1, and very few agents.
    for _ in range(150):
        A = log_grid(rng, 0.01, 1e8)
        N = math.ceil(A + rng.uniform(0.5, 12) * math.sqrt(A) + rng.uniform(0, 3))
        if rng.random() < 0.1:
            N = log_grid(rng, 2 * A + 1, 2e9)
        h, t = log_grid(rng, 1, 600), log_grid(rng, 0.1, 600)
        stress_row("service-near-1", "service_level", (A, N, h, t), service(A, N, h, t))
    for A, N, h, t in [(50, 150, 180, 20), (1, 1e8, 1, 1), (1e-5, 1e9, 1, 1), (1e6, 1.01e6, 1, 1)]:
        stress_row("service-near-1", "service_level", (A, N, h, t), service(A, N, h, t))
    for _ in range(80):
        N = log_grid(rng, 1e-6, 3)
        A = N * rng.uniform(0.01, 0.99)
        h, t = log_grid(rng, 1, 600), log_grid(rng, 0.01, 600)
        stress_row("few-agents", "service_level", (A, N, h, t), service(A, N, h, t))
        stress_row("few-agents", "wait_probability", (A, N), wait(A, N))
        stress_row("few-agents", "average_wait", (A, N, h), wait(A, N) * h / (F(N) - A))
    for _ in range(80):
        A = log_grid(rng, 1e-3, 1e9)
        N = A + log_grid(rng, 1e-3, 20) * math.sqrt(A) + 0.5
        h = log_grid(rng, 1, 600)
        stress_row("erlang-c", "wait_probability", (A, N), wait(A, N))
        stress_row("erlang-c", "average_wait", (A, N, h), wait(A, N) * h / (F(N) - A))

    # Extended Erlang B with no recall (the plain blocking) and with recall
    # close to 1, where the fixed point is ill-conditioned.
    recalls = [0.0, 1e-17, 1e-10, 0.5, 0.9, 0.99, 0.999999, 1 - 1e-10, 1 - 2.0 ** -52]
    for _ in range(260):
        R = rng.choice(recalls)
        A = log_grid(rng, 1e-3, 1e6 if rng.random() < 0.95 else 1e9)
        kind = rng.random()
        if kind < 0.4:  # tiny blocking
            N = math.ceil(A + rng.uniform(3, 20) * math.sqrt(A) + 5)
        elif kind < 0.8:
            N = max(1, round(A * rng.uniform(0.5, 1.2)))
        else:
            N = log_grid(rng, 1e-3, 10)
        s = offered_log(A, N, R)
        if s > F("1e9"):
            continue
        region = "recall-0" if R < 1e-9 else ("recall-near-1" if R > 0.99 else "recall")
        stress_row(region, "extended_offered", (A, N, R), s)
        b = blocking(s, N)
        if b > F("1e-300"):
            stress_row(region, "extended_blocking", (A, N, R), b)
    for A, N, R in [(10, 40, 1 - 2.0 ** -53), (1e3, 1200, 0.9), (5, 20, 1 - 2.0 ** -53)]:
        s = offered_log(A, N, R)
        stress_row("recall-near-1", "extended_offered", (A, N, R), s)
        stress_row("recall-near-1", "extended_blocking", (A, N, R), blocking(s, N))

    # Agents for traffic below one erlang, with and without a target time.
    for _ in range(150):
        A = log_grid(rng, 1e-6, 0.999)
        h = log_grid(rng, 1, 600)
        t = 0.0 if rng.random() < 0.4 else log_grid(rng, 0.01, 600)
        P = rng.uniform(0.01, 0.999999)
        meets = lambda n: service(A, n, h, t) >= P
        stress_row("agents-low-traffic", "agents", (A, h, t, P), search(meets, 1, 0))

    # Near-ties: the target is the value at a count rounded to double, so the
    # count sits within a rounding of it, at every size.
    for i in range(300):
        A = log_grid(rng, 1e-3, 1e9) if i % 3 else rng.choice(sizes) * rng.uniform(1, 10)
        if A > 1e9:
            continue
        n = max(1, round(lines_guess(A, log_grid(rng, 1e-200, 0.9))))
        T = float(blocking(A, n))
        if not 1e-300 <= T < 1:
            continue
        meets = lambda k: blocking(A, k) <= T
        stress_row("near-tie-lines", "lines", (A, T), search(meets, n, 0))
    for i in range(200):
        A = log_grid(rng, 1e-3, 1e9)
        h, t = log_grid(rng, 1, 600), (0.0 if i % 4 == 0 else log_grid(rng, 0.1, 60))
        n = math.floor(A) + 1 + round(rng.uniform(0, 4) * math.sqrt(A))
        P = float(service(A, n, h, t))
        if not 0 < P < 1:
            continue
        meets = lambda k: service(A, k, h, t) >= P
        stress_row("near-tie-agents", "agents", (A, h, t, P), search(meets, n, math.floor(A)))
    for i in range(80):
        A = log_grid(rng, 1e-2, 1e6 if i % 10 else 1e8)
        R = rng.choice([0.0, 0.3, 0.9, 0.999999])
        n = max(1, round(lines_guess(A, log_grid(rng, 1e-30, 0.3))))
        T = float(blocking(offered_log(A, n, R), n))
        if not 1e-300 <= T < 1:
            continue
        meets = lambda k: blocking(F(A) / (1 - F(R) * F(T)), k) <= T
        stress_row("near-tie-extended-lines", "extended_lines", (A, T, R), search(meets, n, 0))

    return STRESS


def stress_grids():
    """Every size at every target, away from ties."""
    import random
    rng = random.Random(16)
    # (Few at the largest sizes, where each 50-digit value takes a second.)
    for i in range(200):
        A, T = log_grid(rng, 1e-3, 1e9 if i % 10 == 0 else 1e6), log_grid(rng, 1e-300, 0.999)
        meets = lambda k: blocking(A, k) <= T
        stress_row("lines", "lines", (A, T), search(meets, lines_guess(A, T), 0))
    for i in range(200):
        N, T = log_grid(rng, 1, 2e9 if i % 10 == 0 else 1e6), log_grid(rng, 1e-300, 0.999999)
        A = traffic_within(N, T)
        if A is not None:
            stress_row("traffic", "traffic", (N, T), A)
    for i in range(100):
        A, P = log_grid(rng, 1e-3, 1e9 if i % 10 == 0 else 1e6), rng.uniform(0.05, 0.999999)
        h, t = log_grid(rng, 1, 600), log_grid(rng, 1e-3, 60)
        meets = lambda k: service(A, k, h, t) >= P
        guess = A + 2 * math.sqrt(A) + 1
        stress_row("agents", "agents", (A, h, t, P), search(meets, guess, math.floor(A)))

    return STRESS


def stress():
    """Writes erlang_stress.csv: region, function, arguments, expected value,
    its two halves on two processes. Regenerate alone with:
    python3 tests/data/make_reference.py stress"""
    import multiprocessing
    with multiprocessing.Pool(2) as pool:
        halves = [pool.apply_async(f) for f in (stress_regions, stress_grids)]
        rows = [row for half in halves for row in half.get()]
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "erlang_stress.csv"),
              "w") as f:
        f.write("\n".join(rows) + "\n")


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
    # At a vast patience (aht 1) the mean wait is Erlang C's below the agents
    # and the excess traffic's patience above them, whatever the patience. The
    # mean queue's series just below x = a/2 (a traffic a rounding under half
    # the agents) once ran to its bound of terms.
    for A, N, p in [(10, 12, 1e20), (1000, 1200, 1e20), (10, 12, 1e120), (12, 10, 1e120),
                    (6.499999999999999, 13, 1e120)]:
        average = wait(A, N) / (N - F(A)) if A < N else (F(A) - N) / A * p
        row("limit_average_wait", (A, N, p), average)
        row("limit_abandon_probability", (A, N, p), average / p)

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
                 (1e6, 999000), (185186696, 75136900)]:
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
    # A mean of 1e-300, where Newton's method from Rapp's start fails, or Z
    # lies within 1e-9 of 1: the engine's bracketed solve on Z - 1. Each root
    # from a start near it.
    for m, v, a, n in [(1e-300, 1.5e-300, 535, 1605), (1e-300, 1.000000001e-300, 3.5e-8, 34),
                       (1e-300, 1.0000000000010002e-300, 2.6e-11, 25),
                       (1e-300, 1.0000000000000005e-300, 1e-14, 19.2)]:
        eqs = lambda u, n: [mp.log(moments(mp.exp(u), n)[0] / m),
                            mp.log(moments(mp.exp(u), n)[1] / v)]
        u, n = mp.findroot(eqs, (mp.log(a), F(n)))
        row("ert_traffic", (m, v), mp.exp(u))
        row("ert_lines", (m, v), n)
    # Means of 1.5 or less within 1e-9 of Z = 1, on some 1e-11 lines, where
    # Z - 1 is a small difference of numbers near the traffic. From a start
    # of Z - 1 = N / 5, about right at a mean of 1.
    for m, excess in [(0.1, 1e-12), (0.5, 3e-12), (1, 1e-12), (1, 1e-11), (1.5, 1e-10)]:
        v = m * (1 + excess)
        eqs = lambda u, n: [mp.log(moments(mp.exp(u), n)[0] / m),
                            mp.log(moments(mp.exp(u), n)[1] / v)]
        u, n = mp.findroot(eqs, (mp.log(m), 5 * F(excess)))
        row("ert_traffic", (m, v), mp.exp(u))
        row("ert_lines", (m, v), n)
    # Much overflowing, where Riordan's variance is a small difference of large
    # numbers: means of 400 to 3e8, Z from 1 + 2e-6 to 80; each root from a start near it.
    for m, v, a, n in [(110049757, 185186696, 1.85187e8, 7.51369e7),
                       (129672271.485651, 129672533.75464405, 1.29673e8, 262.269),
                       (283362558.41399956, 285200724.89253098, 2.85201e8, 1.83817e6),
                       (731706.23290168052, 57169530.880601242, 5.71876e7, 5.6456e7),
                       (405.54077923688135, 405.54144440524288, 405.541, 0.000671721),
                       (29533929.882295489, 178599348.34987536, 1.78599e8, 1.49066e8)]:
        eqs = lambda u, n: [mp.log(moments(mp.exp(u), n)[0] / m),
                            mp.log(moments(mp.exp(u), n)[1] / v)]
        u, n = mp.findroot(eqs, (mp.log(a), F(n)))
        row("ert_traffic", (m, v), mp.exp(u))
        row("ert_lines", (m, v), n)
        row("overflow_blocking_ert", (m, v, 3), mp.exp(u) * blocking(mp.exp(u), n + 3) / m)
    for Y, N in [(19.2, 24), (0.5, 1), (9.99, 10), (1e6, 1000500), (0.001, 0.5), (100, 300)]:
        f = lambda a: a * (1 - blocking(a, N)) - Y
        row("offered", (Y, N), mp.findroot(f, (F(Y), F(Y) * max(N, 1) / (F(N) - Y)),
                                           solver="anderson"))


def main_engset():
    ROWS.clear()
    engset_rows()
    overflow_rows()
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "engset_reference.csv"),
              "w") as f:
        f.write("\n".join(ROWS) + "\n")


# --- Counts at near-ties ---------------------------------------------------------
# The target is the measure at a count rounded down and rounded up to double:
# the count itself meets the second (by 1e-17 or so) and not the first. Each
# row's count is then searched for from there.


def around(value):
    """The doubles just below and just above `value` (or it, twice, if a double)."""
    near = float(value)
    if F(near) == value:
        return [near, near]
    other = math.nextafter(near, math.inf if F(near) < value else -math.inf)
    return sorted([near, other])


def engset_call(S, n, kind, load):
    return 1 / engset_inverse(S - 1, n, beta_for(S, n, kind, load))


def equivalent(m, v):
    z = F(v) / m
    guess_a = F(v) + 3 * z * (z - 1)
    guess_n = guess_a * (m + z) / (m + z - 1) - m - 1
    eqs = lambda a, n: [moments(a, n)[0] / m - 1, moments(a, n)[1] / v - 1]
    return mp.findroot(eqs, (guess_a, guess_n))


def tie_rows():
    # Engset at 16 lines to a million, above the binomial's mode (the usual
    # targets) and below it, each load kind.
    for S, N, share in [(40, 16, 0.6), (300, 40, 0.8), (1000, 64, 0.8), (1000, 65, 0.8),
                        (5000, 120, 0.85), (1e5, 1000, 0.9), (1e6, 10000, 0.95),
                        (1e7, 100000, 0.99), (1e8, 1000000, 0.995), (200, 60, 1.3),
                        (1e5, 3000, 1.1)]:
        intended = float(round(N * share))
        beta = float(F(intended) / (S - intended))
        traffic = float(engset(S, N, beta)[4])
        for kind, load in [(0, beta), (1, traffic), (2, intended)]:
            for T in around(engset_call(S, N, kind, load)):
                meets = lambda n: n >= S or engset_call(S, n, kind, load) <= T
                row("engset_lines", (S, kind, load, T), search(meets, N, 0))
    # Exact ties: with beta = 1 on S - 1 = 2N + 1 sources, E = C(2N + 1, N) / 4^N.
    for N in [16, 20, 26]:
        S = 2 * N + 2
        T = float(F(math.comb(2 * N + 1, N)) / F(4) ** N)
        for kind, load in [(0, 1.0), (2, S / 2)]:
            row("engset_lines", (S, kind, load, T), N)
    # Overflow: streams from 10 to a million erlangs, ties at 16 lines to a million.
    for A, N0, T0 in [(30, 20, 0.01), (200, 150, 0.01), (3000, 2500, 0.001),
                      (1e5, 9e4, 0.01), (2.2e6, 1.2e6, 0.01)]:
        m, v = (float(x) for x in moments(A, N0))
        z = F(v) / m
        hayward = lambda x: blocking(m / z, F(x) / z)
        x = search(lambda x: hayward(x) <= T0, z * lines_guess(float(m / z), T0), 0)
        for T in around(hayward(x)):
            row("overflow_lines_hayward", (m, v, T), search(lambda x: hayward(x) <= T, x, 0))
        a, n = equivalent(m, v)
        ert = lambda x: a * blocking(a, n + x) / m
        x = search(lambda x: ert(x) <= T0, x, 0)
        for T in around(ert(x)):
            row("overflow_lines_ert", (m, v, T), search(lambda x: ert(x) <= T, x, 0))
    # Exact ties on whole lines: fresh traffic is Erlang B's; Z = 2 halves the lines.
    for m, v, T, x in [(1, 1, 0.5, 1), (3, 3, 0.75, 1), (2, 4, 0.5, 2)]:
        row("overflow_lines_hayward", (m, v, T), x)
    row("overflow_lines_ert", (3, 3, 0.75), 1)


def main_ties():
    ROWS.clear()
    tie_rows()
    write("count_ties.csv")


if __name__ == "__main__":
    parts = sys.argv[1:] or ["erlang", "stress", "erlang_a", "engset", "ties"]
    for part in parts:
        {"erlang": erlang, "stress": stress, "erlang_a": main_erlang_a, "engset": main_engset,
         "ties": main_ties}[part]()
