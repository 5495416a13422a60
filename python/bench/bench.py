"""corvane's functions on a million everyday inputs, beside the engine's own
C++ loop over the same inputs and the SciPy formula a user would write, with
the share of SciPy's answers that are wrong.

usage: PYTHONPATH=build/python /usr/bin/python3 python/bench/bench.py \\
           build/python/engine_values [ROWS] [SCIPY_LOOP_ROWS] [FUNCTION,...]

SciPy's closed forms run on the first 100,000 rows; its solves (brentq, or
stepping a count up one by one) on the first SCIPY_LOOP_ROWS rows, as they
run a Python loop per row. A SciPy answer is wrong when it is not a number, or a
count differs, or a real is off by more than 1e-9 relative from corvane's
(which is within 1e-12 of 50-digit values).
"""

import math
import os
import subprocess
import sys
import tempfile
import time
import timeit
import warnings

import numpy as np
from scipy import optimize, stats

import corvane


def everyday(rows, rng):
    """Arguments a planner asks about: up to a thousand erlangs, whole counts."""
    traffic = rng.uniform(0.5, 1000, rows)
    blocking = rng.choice([0.001, 0.005, 0.01, 0.02, 0.05], rows)
    lines = corvane.erlang_b_lines(traffic, blocking) + rng.integers(-3, 4, rows)
    sources = rng.integers(20, 2000, rows).astype(np.float64)
    mean = rng.uniform(1, 50, rows)
    made = {
        "traffic": traffic,
        "blocking": blocking,
        "lines": np.maximum(lines, 1).astype(np.float64),
        "recall": rng.uniform(0.1, 0.8, rows),
        "agents": np.floor(traffic) + rng.integers(1, 20, rows),
        "aht": rng.uniform(60, 600, rows),
        "target_time": rng.uniform(10, 60, rows),
        "service_level": rng.uniform(0.7, 0.95, rows),
        "patience": rng.uniform(60, 600, rows),
        "average_wait": rng.uniform(5, 60, rows),
        "sources": sources,
        "intended_traffic": sources * rng.uniform(0.05, 0.5, rows),
        "idle_source_traffic": rng.uniform(0.01, 0.5, rows),
        "mean": mean,
        "variance": mean * rng.uniform(1, 3, rows),
        "carried": lines * rng.uniform(0.5, 0.95, rows),
        "shrinkage": rng.uniform(0.1, 0.4, rows),
        "max_occupancy": rng.uniform(0.7, 0.95, rows),
    }
    # Engset's lines and traffic below the sources; overflow's lines about its mean.
    engset = dict(made, lines=np.floor(sources * rng.uniform(0.05, 0.5, rows)),
                  traffic=sources * rng.uniform(0.05, 0.5, rows))
    overflow = dict(made, lines=np.floor(mean * rng.uniform(0.5, 2, rows)))
    schedule = dict(made, agents=corvane.agents(traffic, made["aht"], made["target_time"], 0.8))

    def arguments(key):
        names = corvane._engine.functions[key][1]
        chosen = made
        for kind, name in ((engset, "sources"), (overflow, "mean"), (schedule, "shrinkage")):
            chosen = kind if name in names else chosen
        return [chosen[a] for a in names]

    return arguments


def call(key, args):
    """The public function for a table entry: f, f[keyword] or f[keyword=word]."""
    name, _, kind = key.rstrip("]").partition("[")
    if "=" in kind:
        keyword, _, word = kind.partition("=")
        return getattr(corvane, name)(*args, **{keyword: word})
    if kind:
        return getattr(corvane, name)(*args[:-1], **{kind: args[-1]})
    return getattr(corvane, name)(*args)


# SciPy, as a user writes it: B from Poisson's pmf and cdf, and solves by
# brentq or by stepping up one line at a time.
def b(a, n):
    return stats.poisson.pmf(n, a) / stats.poisson.cdf(n, a)


def c(a, n):
    bl = b(a, n)
    return n * bl / (n - a * (1 - bl))


def fewest(start, meets):
    # A user's loop, given up after 100,000 steps.
    for n in range(max(start, 0), max(start, 0) + 100_000):
        if meets(n):
            return n
    return math.nan


def retrial(a, n, r):
    offered = a
    for _ in range(100):
        previous, offered = offered, a + r * offered * b(offered, n)
        if np.all(np.abs(offered - previous) <= 1e-12 * offered):
            break
    return offered, b(offered, n)


def brentq_traffic(n, target):
    # At twice the lines, B is above a half: the root lies below.
    return optimize.brentq(lambda a: b(a, n) - target, 1e-9, 2 * n + 10)


SCIPY = {
    # name: (vectorised?, function of the arguments)
    "erlang_b": (True, b),
    "log_erlang_b": (True, lambda a, n: stats.poisson.logpmf(n, a) - stats.poisson.logcdf(n, a)),
    # Carried traffic A (1 - B) is at most the lines: the search starts there.
    "erlang_b_lines": (False, lambda a, t: fewest(math.floor(a * (1 - t)), lambda n: b(a, n) <= t)),
    "erlang_b_traffic": (False, brentq_traffic),
    "extended_erlang_b": (True, retrial),
    "extended_erlang_b_lines": (
        False,
        lambda a, t, r: fewest(math.floor(a * (1 - t)), lambda n: retrial(a, n, r)[1] <= t),
    ),
    "extended_erlang_b_traffic": (False, lambda n, t, r: brentq_traffic(n, t) * (1 - r * t)),
    "erlang_c": (True, c),
    "service_level": (True, lambda a, n, s, t: 1 - c(a, n) * np.exp(-(n - a) * t / s)),
    "average_wait": (True, lambda a, n, s: c(a, n) * s / (n - a)),
    "agents": (
        False,
        lambda a, s, t, p: fewest(
            math.floor(a) + 1, lambda n: 1 - c(a, n) * math.exp(-(n - a) * t / s) >= p
        ),
    ),
}


def timed(call, repeats=3):
    best, result = math.inf, None
    for _ in range(repeats):
        start = time.perf_counter()
        result = call()
        best = min(best, time.perf_counter() - start)
    return best, result


def wrong(scipy, exact):
    scipy, exact = np.asarray(scipy, dtype=np.float64), np.asarray(exact, dtype=np.float64)
    close = np.abs(scipy - exact) <= 1e-9 * np.abs(exact)
    return float(np.mean(~close | np.isnan(scipy)))


def main():
    engine = sys.argv[1]
    here = os.path.dirname(os.path.abspath(__file__))
    reference(os.path.join(here, "..", "..", "tests", "data", "erlang_reference.csv"))
    scalar_calls()
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    loop_rows = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    keys = sys.argv[4].split(",") if len(sys.argv) > 4 else list(corvane._engine.functions)
    everyday_arguments = everyday(rows, np.random.default_rng(2026))
    print(f"{rows} rows; SciPy's solves on the first {loop_rows}; ns per element")
    print(f"{'function':<34}{'corvane':>9}{'C++ loop':>9}{'ratio':>7}{'SciPy':>11}{'ratio':>8}{'SciPy wrong':>13}")
    for key in keys:
        args = everyday_arguments(key)
        # Turn about, best of three each where a run is short: the machine
        # may be shared.
        ours, plain, turns = math.inf, math.inf, 3
        with tempfile.NamedTemporaryFile(suffix=".f64") as raw:
            np.column_stack(args).tofile(raw.name)
            while turns > 0:
                took, result = timed(lambda: call(key, args), repeats=1)
                ours = min(ours, took)
                run = [engine, "--time", key, raw.name]
                took = subprocess.run(run, capture_output=True, text=True, check=True).stdout
                plain = min(plain, float(took.split()[0]))
                turns = turns - 1 if ours < 3 else 0
        first = np.asarray(result[-1] if isinstance(result, tuple) else result)
        ours_ns, plain_ns = ours / rows * 1e9, plain * 1e9
        line = f"{key:<34}{ours_ns:>9.0f}{plain_ns:>9.0f}{ours_ns / plain_ns:>7.2f}"
        if key not in SCIPY:
            print(line, flush=True)
            continue
        vectorised, formula = SCIPY[key]
        with warnings.catch_warnings(), np.errstate(all="ignore"):
            warnings.simplefilter("ignore")
            if vectorised:
                n = min(rows, 100_000)
                theirs, answer = timed(lambda: formula(*[a[:n] for a in args]), repeats=1)
            else:
                n = loop_rows
                part = [a[:n] for a in args]

                def loop():
                    out = []
                    for row in zip(*part):
                        try:
                            out.append(formula(*row))
                        except (ValueError, RuntimeError, ZeroDivisionError):
                            out.append(math.nan)
                    return out

                theirs, answer = timed(loop, repeats=1)
        answer = answer[-1] if isinstance(answer, tuple) else answer
        share = wrong(answer, first[:n])
        theirs_ns = theirs / n * 1e9
        print(f"{line}{theirs_ns:>11.0f}{theirs_ns / ours_ns:>8.0f}{share:>12.2%}", flush=True)


def scalar_calls():
    """One call on numbers, by position and by keyword: what the Python layer costs."""
    ufunc = corvane._engine.functions["service_level"][0]
    calls = {
        "the ufunc itself": lambda: ufunc(10.0, 12.0, 180.0, 20.0),
        "by position": lambda: corvane.service_level(10, 12, 180, 20),
        "by keyword": lambda: corvane.service_level(traffic=10, agents=12, aht=180, target_time=20),
    }
    us = {k: min(timeit.repeat(c, number=20000, repeat=7)) / 20000 * 1e6 for k, c in calls.items()}
    print("service_level on numbers, us per call: "
          + ", ".join(f"{k} {v:.2f}" for k, v in us.items())
          + f"; by keyword / by position {us['by keyword'] / us['by position']:.2f}")


# The 50-digit reference table's names, as the module's table names them.
REFERENCE = {
    "blocking": "erlang_b", "log_blocking": "log_erlang_b", "lines": "erlang_b_lines",
    "traffic": "erlang_b_traffic", "extended_blocking": "extended_erlang_b",
    "extended_lines": "extended_erlang_b_lines", "wait_probability": "erlang_c",
    "service_level": "service_level", "average_wait": "average_wait", "agents": "agents",
}


def reference(path):
    """SciPy's share of wrong answers on the 50-digit reference table."""
    wrong_rows = total = 0
    with open(path) as table, warnings.catch_warnings(), np.errstate(all="ignore"):
        warnings.simplefilter("ignore")
        for line in table:
            name, *fields = line.strip().split(",")
            if name not in REFERENCE:
                continue
            args, want = [float(x) for x in fields[:-1]], float(fields[-1])
            try:
                got = SCIPY[REFERENCE[name]][1](*args)
            except (ValueError, RuntimeError, ZeroDivisionError, OverflowError):
                got = math.nan
            got = float(got[-1] if isinstance(got, tuple) else got)
            total += 1
            wrong_rows += not abs(got - want) <= 1e-9 * abs(want)
    print(f"SciPy on the 50-digit reference table: {wrong_rows} of {total} answers wrong")


if __name__ == "__main__":
    main()
