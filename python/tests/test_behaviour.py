"""How the functions behave as NumPy functions: shapes, out=, errors, pandas,
memory, the GIL, and what help() and editors show."""

import ast
import doctest
import os
import threading
import time
import tracemalloc

import numpy as np
import pandas as pd
import pytest

import corvane

SCALAR = (np.float64, np.int64)


def test_shapes_broadcast_and_scalars_stay_scalars():
    traffic = np.array([1.0, 10, 100])
    cases = [
        # call, shape, dtype
        (lambda: corvane.erlang_b(10, 18), (), np.float64),
        (lambda: corvane.erlang_b_lines(10, 0.01), (), np.int64),
        (lambda: corvane.erlang_b_lines(traffic, 0.01), (3,), np.int64),
        (lambda: corvane.erlang_b(traffic[:, None], [5, 10, 20, 40]), (3, 4), np.float64),
        (lambda: corvane.service_level(traffic[None, :] + 0.5, [[200], [300], [400]], 180, 20),
         (3, 3), np.float64),
        (lambda: corvane.extended_erlang_b(traffic, [[10], [20]], 0.5).blocking, (2, 3),
         np.float64),
    ]
    for call, shape, dtype in cases:
        got = call()
        assert np.shape(got) == shape and np.asarray(got).dtype == dtype
        assert isinstance(got, SCALAR) == (shape == ())
    # Each element is the scalar call's.
    grid = corvane.erlang_b(traffic[:, None], [5, 10, 20, 40])
    assert grid[2, 1] == corvane.erlang_b(100, 10)


def test_out_is_filled_and_returned():
    out = np.zeros((2, 3), dtype=np.int64)
    got = corvane.erlang_b_lines([[1, 10, 100]], [[0.01], [0.1]], out=out)
    assert got is out and out[0, 1] == 18
    offered, blocking = np.empty(3), np.empty(3)
    got = corvane.extended_erlang_b([1, 10, 100], 15, 0.5, out=(offered, blocking))
    assert got.blocking is blocking and blocking[1] == corvane.extended_erlang_b(10, 15, 0.5)[1]


def test_keywords_are_the_command_line_options():
    assert corvane.agents(service_level=0.8, target_time=20, aht=180, traffic=10) == 14
    with pytest.raises(TypeError):
        corvane.agents(10, 180, 20, sl=0.8)
    # Engset's load is one keyword of three; the overflow's method one word of two.
    for call in (lambda: corvane.engset(20, 5), lambda: corvane.engset(20, 5, traffic=1, intended_traffic=1)):
        with pytest.raises(TypeError, match="exactly one of traffic, intended_traffic"):
            call()
    with pytest.raises(ValueError, match="method must be one of ert, hayward, got 'ERT'"):
        corvane.overflow_lines(3, 6, 0.01, method="ERT")


def test_errors_raise_naming_the_first_element_in_c_order():
    # Fortran order makes the loops meet (1, 0) before (0, 2).
    traffic = np.asfortranarray([[1.0, 2, -3], [-4, 5, 6]])
    cases = [
        # call, message, argument, value, index
        (lambda: corvane.erlang_b_lines(-2, 0.01),
         "traffic must be a number of erlangs from 0 to 1e9, got -2", "traffic", -2, None),
        (lambda: corvane.service_level(10, 12, 180, -1),
         "target_time must be a time of 0 or more, got -1", "target_time", -1, None),
        (lambda: corvane.erlang_b(traffic, 10),
         "element (0, 2): traffic must be a number of erlangs from 0 to 1e9, got -3 "
         "(2 elements outside the domain)", "traffic", -3, (0, 2)),
        (lambda: corvane.extended_erlang_b_lines(10, [0.01, 0.02, 1], 0.5),
         "element 2: blocking must be from 1e-300 up to but not including 1, got 1",
         "blocking", 1, (2,)),
        (lambda: corvane.erlang_c(10, [11, 10]),
         "element 1: traffic must be below the agents, 10, or the queue would grow without end, "
         "got 10",
         "traffic", 10, (1,)),
    ]
    for call, message, argument, value, index in cases:
        with pytest.raises(ValueError) as raised:
            call()
        e = raised.value
        assert isinstance(e, corvane.DomainError)
        assert (str(e), e.argument, e.value, e.index) == (message, argument, value, index)


def test_errors_give_nan_under_errstate_and_counts_become_float():
    with corvane.errstate(domain="nan"):
        lines = corvane.erlang_b_lines([10, -2, 25], 0.01)
        scalar = corvane.erlang_c(10, 9)
        retrial = corvane.extended_erlang_b([10, np.nan], 15, 0.5)
        assert corvane.geterr() == {"domain": "nan"}
    assert lines.dtype == np.float64 and np.array_equal(lines, [18, np.nan, 36], equal_nan=True)
    assert np.isnan(scalar) and np.isnan(retrial.offered[1]) and np.isnan(retrial.blocking[1])
    assert corvane.geterr() == {"domain": "raise"}
    with pytest.raises(corvane.DomainError):
        corvane.erlang_b_lines([10, -2], 0.01)


def test_pandas_in_pandas_out():
    routes = pd.DataFrame(
        {"traffic": [10.0, 25, 3], "blocking": [0.01, 0.02, 0.05]}, index=["Paris", "Lyon", "Nice"]
    )
    lines = corvane.erlang_b_lines(routes.traffic, routes.blocking)
    assert isinstance(lines, pd.Series) and list(lines.index) == ["Paris", "Lyon", "Nice"]
    assert lines.dtype == np.int64 and lines["Lyon"] == 34
    retrial = corvane.extended_erlang_b(routes.traffic, 30, 0.5)
    assert isinstance(retrial.offered, pd.Series) and retrial.offered.index.equals(routes.index)
    with pytest.raises(corvane.DomainError, match="element 1: traffic .* got -1"):
        corvane.erlang_b(pd.Series([1.0, -1]), 3)


def test_float64_contiguous_input_is_not_copied():
    traffic, out = np.linspace(1, 1000, 1_000_000), np.empty(1_000_000)
    tracemalloc.start()
    try:
        corvane.erlang_b(traffic, 1000.0, out=out)
        peak = tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()
    assert peak < traffic.nbytes / 10


def test_the_gil_is_released_while_the_engine_runs():
    # A thread that needs the GIL gets it in the middle of a long call.
    traffic = np.full(300_000, 1e6)
    stamps, done = [], threading.Event()

    def tick():
        while not done.is_set():
            stamps.append(time.perf_counter())
            time.sleep(0.001)

    ticker = threading.Thread(target=tick)
    ticker.start()
    try:
        start = time.perf_counter()
        corvane.erlang_b_lines(traffic, 1e-6)
        end = time.perf_counter()
    finally:
        done.set()
        ticker.join()
    assert end - start > 0.1, "too quick to tell"
    middle = [s for s in stamps if start + 0.3 * (end - start) < s < end - 0.3 * (end - start)]
    assert middle


def test_every_function_has_a_tested_example_and_a_stub():
    stubs = ast.parse(open(os.path.join(os.path.dirname(corvane.__file__), "__init__.pyi")).read())
    stubbed = {n.name for n in ast.walk(stubs) if isinstance(n, (ast.FunctionDef, ast.ClassDef))}
    for name in corvane.__all__:
        assert name in stubbed, name
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    tests = doctest.DocTestFinder().find(corvane, globs={"corvane": corvane})
    examples = {t.name: len(t.examples) for t in tests}
    for key in corvane._engine.functions:
        name = key.partition("[")[0]
        assert examples.get("corvane." + name) == 1, name
    for t in tests:
        runner.run(t)
    assert runner.summarize(verbose=False).failed == 0
