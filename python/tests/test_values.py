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


@pytest.mark.skipif(not ENGINE, reason="CORVANE_ENGINE_VALUES names no engine_values program")
@pytest.mark.parametrize("key", sorted(corvane._engine.functions))
def test_bits_equal_the_engine(key, rng):
    args = _inputs(key, rng, 2000)
    lines = "".join(f"{key} {' '.join(float(a).hex() for a in row)}\n" for row in zip(*args))
    answers = subprocess.run([ENGINE], input=lines, capture_output=True, text=True, check=True)
    want = [
        None if a == "error" else [float.fromhex(x) if "0x" in x else float(x) for x in a.split()]
        for a in answers.stdout.splitlines()
    ]
    with corvane.errstate(domain="nan"):
        got = _call(key, args)
    got = np.column_stack(got if isinstance(got, tuple) else [got])
    bad = np.array([w is None for w in want])
    assert 0 < bad.sum() < len(want) / 5
    assert np.isnan(got[bad]).all()
    expected = np.array([w for w in want if w is not None], dtype=np.float64)
    assert np.array_equal(got[~bad].view(np.int64), expected.view(np.int64))


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
