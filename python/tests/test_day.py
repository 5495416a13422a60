"""corvane.day: each keyword in its place (held to the room's reference days,
computed another way), pandas in and out, refusals naming the keyword and
the element, the GIL released and Ctrl-C heard."""

import _thread
import csv
import math
import os
import threading
import time

import numpy as np
import pandas as pd
import pytest

import corvane

REFERENCE = os.path.join(os.path.dirname(__file__), "../../tests/data/transient/reference.csv")
SPEED = dict(interval=15, aht=240, patience=180, target_time=20, service_level=0.8)


def _reference_days():
    days = {}
    with open(REFERENCE) as f:
        for row in csv.reader(f):
            day = days.setdefault(row[1], {"figures": [], "staffed": []})
            if row[0] == "day":
                interval, aht, patience, lines, target = map(float, row[2:7])
                day["options"] = dict(
                    interval=interval, aht=aht, target_time=target, start=row[7],
                    patience=None if math.isinf(patience) else patience,
                    lines=None if math.isinf(lines) else lines,
                    service_level=0.5 if row[8] == "-" else float(row[8]))
                day["cap"] = float(row[9])
            elif row[0] in ("calls", "agents"):
                day[row[0]] = [float(v) for v in row[2].split(";")]
            elif row[0] == "staffed":
                day["staffed"].append(int(row[3]))
            else:
                day["figures"].append((int(row[2]), row[3].replace("-", "_"), float(row[4])))
    return days


# The figures of each reference day's schedule to 1e-9 (the matrix
# exponential of tests/data/transient/make_reference.py), and its staffed
# counts exactly: a keyword in another's place would move them.
@pytest.mark.parametrize("name", sorted(_reference_days()))
def test_reference_days(name):
    day = _reference_days()[name]
    plan = corvane.day(day["calls"], agents=day["agents"], **day["options"])
    for interval, figure, want in day["figures"]:
        got = getattr(plan, figure)[interval]
        assert got == pytest.approx(want, rel=1e-9, abs=1e-13), (interval, figure)
    if day["staffed"]:
        staffed = corvane.day(day["calls"], max_occupancy=day["cap"], **day["options"])
        assert list(staffed.agents) == day["staffed"]


def test_a_series_gives_a_frame_on_its_labels_and_aligns_a_schedule():
    labels = ["08:00", "08:15", "08:30", "08:45"]
    calls = pd.Series([70, 160, 210, 190], index=labels)
    schedule = pd.Series([50, 18, 55, 41], index=["08:45", "08:00", "08:30", "08:15"])
    frame = corvane.day(calls, agents=schedule, **SPEED)
    plan = corvane.day(calls.to_numpy(), agents=[18, 41, 55, 50], **SPEED)
    assert list(frame.index) == labels
    assert list(frame.columns) == [f for f in plan._fields[:9]] + ["error"]
    assert list(frame["agents"]) == [18, 41, 55, 50]
    assert frame["service_level"].to_numpy().tolist() == plan.service_level.tolist()
    assert frame.attrs["missed"] == [labels[i] for i in plan.missed]
    assert frame.attrs["phone_hours"] == plan.phone_hours == 41.0
    with pytest.raises(corvane.DomainError, match=r"element 2: agents is missing"):
        corvane.day(calls, agents=schedule.drop("08:30"), **SPEED)


@pytest.mark.parametrize(
    "calls, keywords, argument, index, message",
    [
        ([10, -3, 5], {}, "calls", (1,), "element 1: calls must be a number of calls from 0 to 1e5, got -3"),
        (pd.Series([10, 2e5], index=["a", "b"]), {}, "calls", (1,), "element 1 ('b'): calls must be"),
        ([10, np.nan], {}, "calls", (1,), "element 1: calls is missing"),
        ([10, 20], {"agents": [3, 2.5]}, "agents", (1,), "agents must be a whole number of agents"),
        ([10, 20], {"agents": [3]}, "agents", None, "the schedule has 1 counts of agents for 2"),
        ([10], {"interval": 0}, "interval", None, "interval must be a number of minutes above 0"),
        ([10], {"aht": 0.05}, "aht", None, "aht must be at least the interval over 1e4 (0.09 seconds), got 0.05"),
        ([10], {"lines": 0.5}, "lines", None, "lines must be a whole number of lines from 1 to 1e6"),
        ([], {}, "calls", None, "the day has no interval"),
    ],
)
def test_refusals_name_the_keyword_and_the_element(calls, keywords, argument, index, message):
    with corvane.errstate(domain="ignore"), pytest.raises(corvane.DomainError) as refused:
        corvane.day(calls, **{**SPEED, **keywords})
    assert message in str(refused.value)
    assert (refused.value.argument, refused.value.index) == (argument, index)


@pytest.mark.parametrize(
    "keywords, error, message",
    [
        ({"average_wait": 10}, TypeError, "exactly one of service_level, average_wait (2 given)"),
        ({"target_time": None}, TypeError, "takes service_level= only with target_time="),
        ({"agents": [3], "method": "lagged"}, TypeError, "takes method= only without agents="),
        ({"method": "lag"}, ValueError, "method must be one of transient, stationary, lagged, got 'lag'"),
        ({"start": 1}, ValueError, "start must be one of empty, periodic, got 1"),
        ({"aht": "240"}, TypeError, "aht must be a number"),
    ],
)
def test_keywords_that_do_not_go_together(keywords, error, message):
    with pytest.raises(error) as refused:
        corvane.day([10], **{**SPEED, **keywords})
    assert message in str(refused.value)


def test_words_in_any_spelling_and_an_unstaffable_interval_warns():
    spelled = corvane.day([70, 160], method="Stationary", start=" PERIODIC", **SPEED)
    plain = corvane.day([70, 160], method="stationary", start="periodic", **SPEED)
    assert spelled.service_level.tolist() == plain.service_level.tolist()
    assert spelled.periodic_days > 0
    with pytest.warns(RuntimeWarning, match="element 0 cannot be staffed as asked: no count up to the lines"):
        plan = corvane.day([1000, 10], lines=10, max_occupancy=0.5, **SPEED)
    assert plan.error.tolist() == ["no count up to the lines (10) meets the occupancy cap", ""]


def _large_day():
    x = (np.arange(96) + 0.5) / 96
    load = np.exp(-(((x - 0.35) / 0.09) ** 2)) + 0.85 * np.exp(-(((x - 0.68) / 0.11) ** 2)) + 0.03
    return np.round(950 * load * 900 / 300)


def test_the_gil_is_released_and_ctrl_c_stops_the_day():
    calls, options = _large_day(), dict(SPEED, aht=300, patience=300)
    stamps, done = [], threading.Event()

    def tick():
        while not done.is_set():
            stamps.append(time.perf_counter())
            time.sleep(0.001)

    ticker = threading.Thread(target=tick)
    ticker.start()
    try:
        start = time.perf_counter()
        corvane.day(calls, agents=np.full(96, 1000), **options)
        end = time.perf_counter()
    finally:
        done.set()
        ticker.join()
    middle = [s for s in stamps if start + 0.3 * (end - start) < s < end - 0.3 * (end - start)]
    assert middle

    # A day staffed over many repeats (each longer than the judging above),
    # stopped by a Ctrl-C soon after it comes: the interpreter alone would
    # raise it only once the day is done.
    timer = threading.Timer(0.2, _thread.interrupt_main)
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            corvane.day(calls, start="periodic", **options)
    finally:
        timer.cancel()
    assert time.perf_counter() - end < 0.2 + 4 * (end - start)
