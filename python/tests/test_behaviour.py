"""How the functions behave as NumPy functions: shapes, out=, errors, pandas,
memory, the GIL, and what help() and editors show."""

import ast
import doctest
import inspect
import os
import threading
import time
import tracemalloc
import warnings

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


@pytest.mark.parametrize(
    "action, out, inputs, want, raises",
    [
        # A raised error leaves out= as it was at the bad elements, never a marker there.
        ("raise", np.full(2, 7), [10, -20], [18, 7], "traffic"),
        ("raise", np.full(2, 7.0), [10, -20], [18, 7], "traffic"),
        ("ignore", np.zeros(2, dtype=np.int64), [10, 20], [18, 30], None),
        ("ignore", np.full(2, 7.0), [10, -20], [18, np.nan], None),
        ("ignore", np.full(2, 7), [10, -20], [18, 7], "no place for NaN"),
    ],
    ids=["int", "float", "int-ignore", "float-ignore", "int-ignore-error"],
)
def test_out_under_each_policy(action, out, inputs, want, raises):
    with corvane.errstate(domain=action):
        if raises:
            with pytest.raises(corvane.DomainError, match=raises):
                corvane.erlang_b_lines(inputs, 0.01, out=out)
        else:
            assert corvane.erlang_b_lines(inputs, 0.01, out=out) is out
    assert np.array_equal(out, want, equal_nan=True)


@pytest.mark.parametrize(
    "call, want",
    [
        (lambda: corvane.agents(service_level=0.8, target_time=20, aht=180, traffic=10), 14),
        (lambda: corvane.agents(10, 180, service_level=0.8, target_time=20), 14),
        (lambda: corvane.agents(10, 180, 20, 0.8, average_wait=5), 15),  # both targets
        (lambda: corvane.engset_lines(20, blocking=0.01, intended_traffic=2), 6),
        (lambda: corvane.overflow_lines(3, 6, blocking=0.01, method="hayward"), 11),
        (lambda: corvane.agents(10, 180, 20, 0.8, sl=1), (TypeError, "unexpected keyword .*'sl'")),
        (lambda: corvane.agents(10, 180, 20, sl=0.8), (TypeError, "missing .* 'service_level'")),
        (lambda: corvane.agents(10, 180, 20, 0.8, traffic=10), (TypeError, "multiple values")),
        (lambda: corvane.engset(20, 5, 1.0), (TypeError, "too many positional")),
        # Engset's load is one keyword of three; the overflow's method one word of two.
        (lambda: corvane.engset(20, 5), (TypeError, "exactly one of traffic, intended_traffic")),
        (lambda: corvane.engset(20, 5, traffic=1, intended_traffic=1), (TypeError, "exactly one")),
        (lambda: corvane.overflow_lines(3, 6, 0.01, method="ERT-"),
         (ValueError, "method must be one of ert, hayward, got 'ERT-'")),
        (lambda: corvane.erlang_b(pd.Series([1.0]), pd.DataFrame({"a": [1.0]})),
         (TypeError, "Series and DataFrames together")),
        (lambda: corvane.erlang_b(pd.Series([1.0, 2], [0, 0]), pd.Series([1.0], [1])),
         (ValueError, "labels repeat")),
    ],
)
def test_keywords_are_the_command_line_options(call, want):
    if isinstance(want, tuple):
        with pytest.raises(want[0], match=want[1]):
            call()
    else:
        assert call() == want


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
        # Callers who never hang up: Erlang C's refusal.
        (lambda: corvane.erlang_a(10, [12, 9], 180, np.inf),
         "element 1: traffic must be below the agents, 9, or the queue would grow without end, "
         "got 10",
         "traffic", 10, (1,)),
        (lambda: corvane.erlang_b(pd.Series([1.0, -1]), 3),
         "element 1: traffic must be a number of erlangs from 0 to 1e9, got -1",
         "traffic", -1, (1,)),
        # Missing values are not computed, nor counted, nor taken for the bad one.
        (lambda: corvane.erlang_b(pd.Series([1, None, -1], dtype="Float64"), 3),
         "element 2: traffic must be a number of erlangs from 0 to 1e9, got -1",
         "traffic", -1, (2,)),
        (lambda: corvane.erlang_b_lines(pd.Series([-2, None, -1], dtype="Int64"), 0.01),
         "element 0: traffic must be a number of erlangs from 0 to 1e9, got -2 "
         "(2 elements outside the domain)", "traffic", -2, (0,)),
    ]
    for call, message, argument, value, index in cases:
        with pytest.raises(ValueError) as raised:
            call()
        e = raised.value
        assert isinstance(e, corvane.DomainError)
        assert (str(e), e.argument, e.value, e.index) == (message, argument, value, index)


@pytest.mark.parametrize("action", ["ignore", "warn", "nan"])
def test_errors_give_nan_under_errstate_and_counts_become_float(action):
    with warnings.catch_warnings(record=True) as caught, corvane.errstate(domain=action):
        warnings.simplefilter("always")
        lines = corvane.erlang_b_lines([10, -2, 25], 0.01)
        scalar = corvane.erlang_c(10, 9)
        retrial = corvane.extended_erlang_b([10, np.nan], 15, 0.5)
        assert corvane.geterr() == {"domain": action}
    assert lines.dtype == np.float64 and np.array_equal(lines, [18, np.nan, 36], equal_nan=True)
    assert np.isnan(scalar) and np.isnan(retrial.offered[1]) and np.isnan(retrial.blocking[1])
    warned = [(type(w.message), w.message.index, w.filename) for w in caught]
    assert warned == (action == "warn") * [
        (corvane.DomainWarning, (1,), __file__), (corvane.DomainWarning, None, __file__),
        (corvane.DomainWarning, (1,), __file__)]
    assert issubclass(corvane.DomainWarning, RuntimeWarning)
    assert corvane.geterr() == {"domain": "raise"}
    with pytest.raises(corvane.DomainError):
        corvane.erlang_b_lines([10, -2], 0.01)
    with pytest.raises(ValueError, match="ignore, warn, raise, nan"):
        corvane.seterr("print")


@pytest.mark.parametrize(
    "erlang_a, erlang_c",
    [
        (lambda p: corvane.erlang_a(10, 12, 180, p),
         lambda: (corvane.erlang_c(10, 12), 0, corvane.average_wait(10, 12, 180), 10 / 12)),
        (lambda p: corvane.erlang_a_service_level(10, 12, 180, p, 20),
         lambda: corvane.service_level(10, 12, 180, 20)),
        (lambda p: corvane.erlang_a_agents(10, 180, p, 20, 0.95),
         lambda: corvane.agents(10, 180, 20, 0.95)),
        (lambda p: corvane.erlang_a_agents_for_wait(10, 180, p, 5),
         lambda: corvane.agents_for_wait(10, 180, 5)),
        (lambda p: corvane.erlang_a_schedule_agents(12, 10.5, 180, p, 0.3, 0.85),
         lambda: corvane.schedule_agents(12, 10.5, 0.3, 0.85)),
    ],
    ids=["erlang_a", "service_level", "agents", "agents_for_wait", "schedule_agents"],
)
def test_infinite_patience_is_erlang_c(erlang_a, erlang_c):
    # Element by element: a finite patience beside it is still Erlang A's.
    both = np.asarray(erlang_a(np.array([300, np.inf])))
    assert np.array_equal(both[..., 1], np.asarray(erlang_c()))
    assert np.array_equal(both[..., 0], np.asarray(erlang_a(300)))
    assert not np.array_equal(both[..., 0], both[..., 1])


@pytest.mark.parametrize(
    "call, want",
    [
        # calls in an interval of minutes stand in for traffic, aht in seconds: 20 erlangs.
        (lambda: corvane.erlang_c(calls=200, interval=30, aht=180, agents=24),
         corvane.erlang_c(20, 24)),
        (lambda: corvane.erlang_a_service_level(10, 12, 180, 300, 20,
                                                basis="excluding-short-abandons"),
         corvane.erlang_a_service_level(10, 12, 180, 300, 20, basis="excluding_short_abandons")),
        (lambda: corvane.agents(10, 180, 20, 0.8, lines=20, max_blocking=0.01),
         corvane.agents(traffic=10, aht=180, target_time=20, service_level=0.8, lines=20,
                        max_blocking=0.01)),
        (lambda: corvane.service_level(10, 12, 180, 20, calls=200, interval=30),
         (TypeError, "traffic or calls= with interval=, not both")),
        (lambda: corvane.erlang_a(calls=200, agents=12, aht=180, patience=300),
         (TypeError, r"erlang_a\(\) takes calls= only with interval=")),
        (lambda: corvane.service_level(10, 12, 180, 20, variance=400),
         (TypeError, "variance= only with calls=")),
        (lambda: corvane.erlang_c(calls=200, interval=30, agents=24),
         (TypeError, "calls= only with aht=")),
        (lambda: corvane.service_level(calls=200, interval=30, agents=12, aht=180),
         (TypeError, "missing .* 'target_time'")),
        (lambda: corvane.staffing(10, 180, lines=20), (TypeError, "at least one target of")),
        (lambda: corvane.staffing(10, 180, service_level=0.8),
         (TypeError, "service_level= only with target_time=")),
        (lambda: corvane.agents(10, 180, 20, 0.8, max_abandon=0.1),
         (TypeError, "unexpected keyword .*'max_abandon'")),
        (lambda: corvane.erlang_x(10, 12, 180, basis="median"),
         (ValueError, "basis must be one of offered, answered, excluding_short_abandons, virtual")),
    ],
    ids=["calls", "basis-spelling", "positional-and-keywords", "traffic-and-calls", "interval",
         "variance-needs-calls", "calls-need-aht", "missing", "no-target", "target-time",
         "erlang-c-never-abandons", "basis-word"],
)
def test_erlang_x_keywords(call, want):
    test_keywords_are_the_command_line_options(call, want)


@pytest.mark.parametrize(
    "call, argument",
    [
        (lambda: corvane.service_level(10, 12, 180, 20, lines=11), "lines"),
        (lambda: corvane.erlang_c(10, 12, lines=14, redial=1), "redial"),
        (lambda: corvane.average_wait(calls=200, interval=30, agents=24, aht=180, variance=100,
                                      lines=30), "variance"),
        (lambda: corvane.erlang_c(calls=200, interval=0, agents=24, aht=180), "interval"),
        (lambda: corvane.agents(10, 180, 20, 0.8, lines=15, max_blocking=0.01), "max_blocking"),
        (lambda: corvane.capacity(12, 180, max_abandon=0.05), "max_abandon"),
        (lambda: corvane.staffing(10, 180, target_time=20, service_level=0.8, lines=12,
                                  max_occupancy=0.5), "max_occupancy"),
    ],
    ids=["lines-below-agents", "redial-1", "variance-below-calls", "interval", "no-count-meets",
         "abandon-without-patience", "occupancy-beyond-the-lines"],
)
def test_erlang_x_refusals_name_the_keyword(call, argument):
    with pytest.raises(corvane.DomainError) as raised:
        call()
    assert raised.value.argument == argument and str(raised.value).startswith(argument + " ")


@pytest.mark.parametrize(
    "keywords, want",
    [
        (dict(traffic=10, target_time=20, service_level=0.8, shrinkage=0.2),
         lambda: (*corvane.schedule_agents(corvane.agents(10, 180, 20, 0.8), 10, 0.2, 1)[:2],
                  "service_level")),
        (dict(traffic=30, target_time=20, service_level=0.8, max_occupancy=0.85, shrinkage=0.3),
         lambda: (36, 52, "max_occupancy")),
        (dict(traffic=10, patience=300, average_wait=5, max_occupancy=0.7),
         lambda: (*corvane.erlang_a_schedule_agents(
             corvane.erlang_a_agents_for_wait(10, 180, 300, 5), 10, 180, 300, 0, 0.7)[:2],
             "max_occupancy")),
        # Each target alone needs fewer agents than the one that decides.
        (dict(traffic=10, patience=300, lines=16, redial=0.3, target_time=20, service_level=0.8,
              max_abandon=0.01, shrinkage=0.3),
         lambda: (14, 20, "max_abandon")),
        # The cap on the carried traffic, busy tones and all.
        (dict(traffic=10, lines=20, target_time=20, service_level=0.8, max_occupancy=0.6,
              shrinkage=0.3), lambda: (17, 25, "max_occupancy")),
        (dict(calls=200, interval=30, variance=600, patience=300, target_time=20,
              service_level=0.6, answered_wait=4),
         lambda: (corvane.erlang_a_agents(calls=200, interval=30, aht=180, patience=300,
                                          target_time=20, service_level=0.6, variance=600,
                                          answered_wait=4), None, "answered_wait")),
        # A service level and an average wait together: 14 meet the level, 15 the wait.
        (dict(traffic=10, target_time=20, service_level=0.8, average_wait=5),
         lambda: (15, None, "average_wait")),
    ],
    ids=["erlang-c", "occupancy", "erlang-a-occupancy", "lines-and-redials", "lines-occupancy",
         "forecast", "level-and-wait"],
)
def test_staffing_is_the_agents_and_the_figures_there(keywords, want):
    got = corvane.staffing(aht=180, **keywords)
    on_phones, scheduled, decided_by = want()
    assert got.on_phones == on_phones and got.decided_by == decided_by
    assert scheduled is None or got.scheduled == scheduled
    model = {k: v for k, v in keywords.items() if k not in corvane._TARGETS[1:] + (
        "service_level", "shrinkage", "max_occupancy")}
    figures = corvane.erlang_x(agents=got.on_phones, aht=180, **model)
    assert np.array_equal(np.array(got[3:]), np.array(figures))
    bad = {k: [v, -1] if k in ("traffic", "calls") else v for k, v in keywords.items()}
    with corvane.errstate(domain="ignore"):
        assert list(corvane.staffing(aht=180, **bad).decided_by) == [decided_by, ""]


ROUTES = pd.DataFrame(
    {"traffic": [10.0, 25, 3], "blocking": [0.01, 0.02, 0.05], "agents": [12.0, 28, 5]},
    index=pd.Index(["Paris", "Lyon", "Nice"], name="route"),
)
NULLABLE = ROUTES.convert_dtypes()  # traffic and agents Int64, blocking Float64
NULLABLE.loc["Lyon", "traffic"] = pd.NA


def _series(values, name, dtype=None, index=ROUTES.index):
    return pd.Series(values, index=index, name=name, dtype=dtype)


def _rowwise(function, name, *args, **kwargs):
    """The function row by row on ROUTES's columns, as a Series."""
    rows = zip(*[ROUTES[a] if isinstance(a, str) else [a] * len(ROUTES) for a in args])
    return _series([function(*row, **kwargs) for row in rows], name)


@pytest.mark.parametrize(
    "call, want",
    [
        (lambda r: corvane.erlang_b_lines(r.traffic, r.blocking), _series([18, 34, 7], "lines")),
        # Two Series and another argument: pandas 1.5's own ufunc dispatch refuses them.
        (lambda r: corvane.service_level(r.traffic, r.agents, aht=180, target_time=20),
         _rowwise(corvane.service_level, "service_level", "traffic", "agents", 180, 20)),
        (lambda r: corvane.erlang_a(r.traffic, r.agents, 180, 300).abandon_probability,
         _rowwise(lambda *a: corvane.erlang_a(*a)[1], "abandon_probability", "traffic", "agents",
                  180, 300)),
        (lambda r: corvane.overflow_lines(r.traffic, r.agents, r.blocking, method="hayward"),
         _rowwise(corvane.overflow_lines, "lines", "traffic", "agents", "blocking",
                  method="hayward")),
        # Aligned on the union of the labels as pandas aligns: a label one lacks has no answer.
        (lambda r: corvane.erlang_b_lines(r.traffic, pd.Series([0.05, 0.01], ["Nice", "Lille"])),
         _series([np.nan, np.nan, 7, np.nan], "lines", index=["Lille", "Lyon", "Nice", "Paris"])),
        # <NA> in, <NA> out, nullable dtypes kept.
        (lambda r: corvane.erlang_b_lines(NULLABLE.traffic, r.blocking),
         _series([18, None, 7], "lines", "Int64")),
        (lambda r: corvane.erlang_b(NULLABLE.traffic, NULLABLE.blocking * 1000),
         _series([corvane.erlang_b(10, 10), None, corvane.erlang_b(3, 50)], "blocking", "Float64")),
        (lambda r: corvane.erlang_b_lines(r[["traffic", "agents"]], 0.01),
         pd.DataFrame({"traffic": [18, 36, 8], "agents": [20, 39, 11]}, index=ROUTES.index)),
        # Erlang X: Series for the new keywords, and calls in place of traffic.
        (lambda r: corvane.queue_blocking(r.traffic, r.agents, 180, r.agents + 2, patience=300,
                                          redial=0.2),
         _rowwise(lambda t, a: corvane.queue_blocking(t, a, 180, a + 2, patience=300,
                                                      redial=0.2), "blocking", "traffic", "agents")),
        (lambda r: corvane.service_level(calls=r.traffic * 10, interval=30, agents=r.agents,
                                         aht=180, target_time=20, lines=r.agents + 5),
         _rowwise(lambda t, a: corvane.service_level(t, a, 180, 20, lines=a + 5), "service_level",
                  "traffic", "agents")),
        (lambda r: corvane.staffing(NULLABLE.traffic, 180, target_time=20, service_level=0.8,
                                    lines=r.agents * 2).decided_by,
         _series(["service_level", np.nan, "service_level"], "decided_by", object)),
    ],
    ids=["named", "two-series", "erlang-a", "overflow", "aligned", "na-int", "na-float", "frame",
         "erlang-x", "calls", "decided-by"],
)
def test_pandas_in_pandas_out(call, want):
    got = call(ROUTES)
    if isinstance(want, pd.DataFrame):
        pd.testing.assert_frame_equal(got, want)
    else:
        pd.testing.assert_series_equal(got, want)


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


def test_the_module_shows_its_functions_only():
    assert [n for n in dir(corvane) if not n.startswith("__")] == sorted(corvane.__all__)


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


def _parameters(doc):
    """A docstring's parameter entries: (names, text), continuation lines joined."""
    section = doc.split("Parameters\n----------\n", 1)[1].split("\n\nReturns", 1)[0]
    entries = []
    for line in section.splitlines():
        if line.startswith(" "):
            entries[-1][1] += " " + line.strip()
        else:
            names, _, text = line.partition(" : ")
            entries.append([[n.strip() for n in names.replace("|", ",").split(",")], text])
    return entries


# Each argument's domain in a docstring is the registry's, as DomainError words
# it: a number by one of the rules that refuse it, a word by its choice's words.
def test_docstrings_give_the_registrys_domains():
    rules = set(corvane._engine.rules.values())
    for name in corvane.__all__:
        function = getattr(corvane, name)
        if not hasattr(function, "__signature__") and function is not corvane.day:
            continue
        for names, text in _parameters(function.__doc__):
            # What shifts() schedules, not an argument of the registry.
            for keyword in set(names) - {"requirements", "templates"}:
                rows = corvane._engine.arguments[keyword]
                # A keyword may name two choices (the overflow's method, the day's): one's words.
                choices = [row[4] for row in rows if row[4]]
                if choices:
                    assert any(
                        all(word in text for word in corvane._spelled(c)) for c in choices
                    ), (name, keyword, text)
                elif keyword not in ("traffic", "intended_traffic", "idle_source_traffic") or (
                    len(names) == 1
                ):
                    assert any(rule in text for rule in rules), (name, keyword, text)


# The stubs take the keywords the functions take, each the registry's, and
# a basis as the registry's words.
def test_stubs_take_the_registrys_keywords():
    tree = ast.parse(open(os.path.join(os.path.dirname(corvane.__file__), "__init__.pyi")).read())
    stubbed = {}
    for node in ast.walk(tree):
        if isinstance(node, ast.FunctionDef):
            a = node.args
            stubbed.setdefault(node.name, set()).update(
                x.arg for x in a.posonlyargs + a.args + a.kwonlyargs
            )
        if isinstance(node, ast.Assign) and node.targets[0].id == "_Basis":
            words = tuple(e.value for e in node.value.slice.elts)
            assert words == corvane._spelled("basis")
    for name in {k.partition("[")[0] for k in corvane._engine.functions} | {"day"}:
        taken = set(inspect.signature(getattr(corvane, name)).parameters) - {"out"}
        assert stubbed[name] - {"out"} == taken, name
        assert taken <= set(corvane._engine.arguments), name


# Every word choice read as the command line and the batch read it: any case,
# "-", "_" and a blank the same; arrays and Series element by element.
@pytest.mark.parametrize(
    "basis",
    ["Answered", "excluding-short-abandons", "excluding_short_abandons", " Excluding Short Abandons"],
)
def test_a_basis_in_any_spelling(basis):
    word = corvane._engine.choices["basis"][corvane._engine.parse_word("basis", basis)]
    want = corvane.erlang_a_service_level(10, 12, 180, 300, 20, lines=16, basis=word)
    assert corvane.erlang_a_service_level(10, 12, 180, 300, 20, lines=16, basis=basis) == want


def test_bases_element_by_element():
    pd = pytest.importorskip("pandas")
    bases = pd.Series(["offered", "Answered", "virtual", "excluding short abandons"], index=[3, 1, 2, 0])
    got = corvane.erlang_a_service_level(10, 12, 180, 300, 20, lines=16, basis=bases)
    for label, basis in bases.items():
        one = corvane.erlang_a_service_level(10, 12, 180, 300, 20, lines=16, basis=basis)
        assert got[label] == one
    assert list(got.index) == [3, 1, 2, 0]
    on_array = corvane.erlang_a_service_level(10, 12, 180, 300, 20, lines=16, basis=bases.to_numpy())
    assert list(on_array) == list(got)
    with pytest.raises(ValueError) as refused:
        corvane.erlang_a_service_level(10, 12, 180, 300, 20, basis=pd.Series(["offered", "nope"]))
    assert str(refused.value) == (
        "basis must be one of offered, answered, excluding_short_abandons, virtual, "
        "got 'nope' (element 1)"
    )
