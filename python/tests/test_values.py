"""The module's values: the 50-digit reference table, the engine's own bits,
and the properties a count and a traffic must have."""

import os
import subprocess

import numpy as np
import pytest
from hypothesis import assume, given, settings
from hypothesis import strategies as st

import corvane

HERE = os.path.dirname(__file__)
REFERENCE = os.environ.get(
    "CORVANE_REFERENCE", os.path.join(HERE, "..", "..", "tests", "data", "erlang_reference.csv")
)
ENGINE = os.environ.get("CORVANE_ENGINE_VALUES")

# The reference table's names: the function and, for a named result, its field.
REFERENCE_NAMES = {
    "blocking": (corvane.erlang_b, None),
    "log_blocking": (corvane.log_erlang_b, None),
    "lines": (corvane.erlang_b_lines, None),
    "traffic": (corvane.erlang_b_traffic, None),
    "extended_offered": (corvane.extended_erlang_b, "offered"),
    "extended_blocking": (corvane.extended_erlang_b, "blocking"),
    "extended_lines": (corvane.extended_erlang_b_lines, None),
    "wait_probability": (corvane.erlang_c, None),
    "service_level": (corvane.service_level, None),
    "average_wait": (corvane.average_wait, None),
    "agents": (corvane.agents, None),
}


def test_reference_table():
    rows = {}
    with open(REFERENCE) as table:
        for line in table:
            name, *fields = line.strip().split(",")
            rows.setdefault(name, []).append(fields)
    assert set(rows) == set(REFERENCE_NAMES)
    for name, fields in rows.items():
        function, field = REFERENCE_NAMES[name]
        args = np.array([[float(x) for x in f[:-1]] for f in fields]).T
        got = function(*args)
        got = getattr(got, field) if field else got
        for row, value in zip(fields, got):
            want = float(row[-1])
            if "." not in row[-1] and "e" not in row[-1]:
                assert value == want and got.dtype == np.int64, (name, row)
            elif want < 1e-300:
                assert value <= 1e-300, (name, row)
            else:
                assert abs(value - want) <= 1e-12 * abs(want), (name, row, value)


def _inputs(key, rng, size):
    """Everyday and extreme arguments of a table entry, one row in thirty out of the domain."""
    traffic = 10 ** rng.uniform(-3, 9, size)
    traffic[rng.random(size) < 0.02] = 0
    lines = traffic * rng.uniform(0.3, 2, size)
    sources = np.round(10 ** rng.uniform(0, 5, size))
    mean = 10 ** rng.uniform(-2, 4, size)
    made = {
        "traffic": traffic,
        "lines": np.where(rng.random(size) < 0.5, np.round(lines), lines),
        "agents": traffic + 10 ** rng.uniform(-2, 3, size),
        "blocking": 10 ** rng.uniform(-15, -0.001, size),
        "recall": rng.uniform(0, 0.99, size),
        "aht": rng.uniform(1, 600, size),
        "target_time": rng.uniform(0, 120, size),
        "service_level": rng.uniform(0.01, 0.999, size),
        "patience": rng.uniform(1, 1200, size),
        "average_wait": rng.uniform(0.1, 120, size),
        "sources": sources,
        "intended_traffic": sources * rng.uniform(0, 0.95, size),
        "idle_source_traffic": 10 ** rng.uniform(-4, 2, size),
        "mean": mean,
        "variance": mean * rng.uniform(1, 5, size),
        "carried": lines * rng.uniform(0, 0.99, size),
        "shrinkage": rng.uniform(0, 0.6, size),
        "max_occupancy": rng.uniform(0.3, 1, size),
    }
    arguments = corvane._engine.functions[key][1]
    if "sources" in arguments:  # Engset: counts up to the sources, traffic below them
        made["lines"] = np.floor(sources * rng.uniform(0, 1, size))
        made["traffic"] = sources * rng.uniform(0, 0.9, size)
    if "mean" in arguments:
        made["lines"] = np.floor(mean * rng.uniform(0, 3, size))
    if key.startswith("erlang_a"):  # staffing searches up from the traffic: up to a million
        made["traffic"] = np.minimum(traffic, 1e6)
    if "shrinkage" in arguments:  # the agents a target needs, whole
        made["agents"] = np.ceil(made["traffic"] * rng.uniform(0.5, 1.5, size))
    args = [made[a] for a in arguments]
    for a in args:
        a[rng.random(size) < 1 / 30 / len(args)] = -1
    return args


def _call(key, args):
    """The public function for a table entry: f, f[keyword] or f[keyword=word]."""
    name, _, kind = key.rstrip("]").partition("[")
    if "=" in kind:
        keyword, _, word = kind.partition("=")
        return getattr(corvane, name)(*args, **{keyword: word})
    if kind:
        return getattr(corvane, name)(*args[:-1], **{kind: args[-1]})
    return getattr(corvane, name)(*args)


def _erlang_x_inputs(key, form, rng, size):
    """An Erlang X form's keywords: by traffic with lines, redials and every
    target it takes, or by calls with a variance (and lines where nobody
    hangs up); one row in thirty out of the domain."""
    arguments = [a.partition("=")[0] for a in corvane._engine.functions[key][1]]
    cut = arguments.index("*")
    traffic = 10 ** rng.uniform(-1, 3, size)
    aht = rng.uniform(30, 600, size)
    agents = np.ceil(traffic * rng.uniform(0.8, 1.5, size)) + 1
    interval = rng.choice([15.0, 30, 60], size)
    calls = np.round(traffic * interval * 60 / aht)
    made = {
        "traffic": traffic, "aht": aht, "agents": agents,
        "patience": aht * 10 ** rng.uniform(-1, 1, size),
        # Enough lines for any target: Erlang B's blocking at half again the traffic is small.
        "lines": np.ceil(np.maximum(agents, traffic * 1.5)) + np.round(10 ** rng.uniform(0, 2, size)),
        "redial": rng.uniform(0, 0.9, size),
        "calls": calls, "interval": interval, "variance": calls * rng.uniform(1, 3, size),
        "target_time": rng.uniform(0, 60, size), "service_level": rng.uniform(0.5, 0.95, size),
        "average_wait": rng.uniform(1, 60, size), "answered_wait": rng.uniform(1, 60, size),
        "max_abandon": rng.uniform(0.02, 0.2, size), "max_blocking": rng.uniform(0.01, 0.2, size),
        "blocking": rng.uniform(0.01, 0.2, size),
    }
    if form == "traffic":
        chosen = [a for a in arguments if a not in ("*", "calls", "interval", "variance")]
    else:
        hangs_up = "patience" in arguments
        extra = ["calls", "interval", "variance", "aht"] + ["patience" if hangs_up else "lines"]
        chosen = [a for a in arguments[:cut] if a != "traffic"] + [a for a in extra if a in arguments]
    given = {a: made[a] for a in chosen if a != "basis"}
    for a in given.values():
        a[rng.random(size) < 1 / 30 / len(given)] = -1
    given[chosen[0]][0] = -1
    if "basis" in chosen:
        given["basis"] = rng.choice(["offered", "answered", "excluding_short_abandons", "virtual"])
    return given


def _engine_values(lines):
    answers = subprocess.run([ENGINE], input=lines, capture_output=True, text=True, check=True)
    return [
        None if a == "error" else [float.fromhex(x) if "0x" in x else float(x) for x in a.split()]
        for a in answers.stdout.splitlines()
    ]


def _assert_bits(got, want):
    got = np.column_stack(got if isinstance(got, tuple) else [got])
    bad = np.array([w is None for w in want])
    assert 0 < bad.sum() < len(want) / 5
    assert np.isnan(got[bad]).all()
    expected = np.array([w for w in want if w is not None], dtype=np.float64)
    assert np.array_equal(got[~bad].view(np.int64), expected.view(np.int64))


ERLANG_X = sorted(k for k, e in corvane._engine.functions.items() if "*" in e[1])


@pytest.mark.skipif(not ENGINE, reason="CORVANE_ENGINE_VALUES names no engine_values program")
@pytest.mark.parametrize("key", sorted(set(corvane._engine.functions) - set(ERLANG_X)))
def test_bits_equal_the_engine(key, rng):
    args = _inputs(key, rng, 2000)
    lines = "".join(f"{key} {' '.join(float(a).hex() for a in row)}\n" for row in zip(*args))
    want = _engine_values(lines)
    with corvane.errstate(domain="nan"):
        got = _call(key, args)
    _assert_bits(got, want)


# The staffing summary is held to the other functions (test_behaviour.py).
@pytest.mark.skipif(not ENGINE, reason="CORVANE_ENGINE_VALUES names no engine_values program")
@pytest.mark.parametrize(
    "key, form",
    [(k, form) for k in ERLANG_X if k != "staffing" for form in ("traffic", "calls")
     if form == "traffic" or "calls" in corvane._engine.functions[k][1]],
)
def test_erlang_x_bits_equal_the_engine(key, form, rng):
    # A forecast's variance costs a quadrature per element: fewer rows.
    given = _erlang_x_inputs(key, form, rng, 100 if form == "traffic" else 40)
    word = f" basis={given.pop('basis')}" if "basis" in given else ""
    rows = [" ".join(f"{k}={float(v).hex()}" for k, v in zip(given, row)) for row in zip(*given.values())]
    want = _engine_values("".join(f"{key} {row}{word}\n" for row in rows))
    if word:
        given["basis"] = word.partition("=")[2]
    with corvane.errstate(domain="ignore"):
        got = getattr(corvane, key.partition("[")[0])(**given)
    _assert_bits(got, want)


@settings(deadline=None)
@given(st.floats(1e-3, 1e6), st.floats(1e-12, 0.5))
def test_lines_are_the_fewest_that_meet_the_target(traffic, blocking):
    # Within the engine's 1e-12 of the true blocking the count decides on.
    n = corvane.erlang_b_lines(traffic=traffic, blocking=blocking)
    assert corvane.erlang_b(traffic, n) <= blocking * (1 + 1e-12)
    assert n == 0 or corvane.erlang_b(traffic, n - 1) > blocking * (1 - 1e-12)


@settings(deadline=None)
@given(st.floats(1e-3, 1e5), st.floats(1, 600), st.floats(0, 60), st.floats(0.01, 0.99))
def test_agents_are_the_fewest_that_reach_the_service_level(traffic, aht, target, level):
    n = corvane.agents(traffic=traffic, aht=aht, target_time=target, service_level=level)
    assert corvane.service_level(traffic, n, aht, target) >= level * (1 - 1e-12)
    if n - 1 > traffic:
        assert corvane.service_level(traffic, n - 1, aht, target) < level * (1 + 1e-12)


@settings(deadline=None)
@given(st.floats(0.01, 2e6), st.floats(1e-12, 0.99))
def test_the_traffic_lines_carry_gives_back_the_blocking(lines, blocking):
    traffic = corvane.erlang_b_traffic(lines=lines, blocking=blocking)
    assume(traffic > 1e-300)  # not below the double range, as for a hundredth of a line
    assert corvane.erlang_b(traffic, lines) == pytest.approx(blocking, rel=1e-11)


# No calls need no agents, by every staffing search.
@pytest.mark.parametrize(
    "call",
    [
        lambda: corvane.agents(0, 180, 20, 0.8),
        lambda: corvane.agents_for_wait(0, 180, 20),
        lambda: corvane.erlang_a_agents(0, 180, 300, 20, 0.8),
        lambda: corvane.erlang_a_agents_for_wait(0, 180, 300, 20),
    ],
    ids=["agents", "agents_for_wait", "erlang_a_agents", "erlang_a_agents_for_wait"],
)
def test_no_traffic_needs_no_agents(call):
    assert call() == 0
