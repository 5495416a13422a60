"""corvane.shifts: the requirements in each form pandas holds them give one
schedule, each keyword reaches the room's option it names, refusals name
what they refuse, the solve lets other threads run and Ctrl-C stops it."""

import _thread
import ast
import datetime
import json
import os
import threading
import time

import numpy as np
import pandas as pd
import pytest

import corvane

TEMPLATES = [
    {"name": "early", "start": {"earliest": "07:00", "latest": "09:00"}, "length": "8:00",
     "breaks": [{"length": 30, "after": "3:30", "before": "5:00", "paid": False}]},
    {"name": "part", "start": {"earliest": "11:00", "latest": "14:00"}, "length": "4:00"},
]
# A day of quarter-hours, open 07:00 to 18:00.
CLOCKS = [f"{m // 60:02d}:{m % 60:02d}" for m in range(0, 1440, 15)]
NEED = [round(3 + 6 * np.exp(-0.5 * ((m / 60 - 12) / 2) ** 2)) if 420 <= m < 1080 else 0
        for m in range(0, 1440, 15)]


def day(values=NEED):
    return pd.Series(values, index=CLOCKS)


def week(days=7):
    starts = [f"{d} {c}" for d in ("mon", "tue", "wed", "thu", "fri", "sat", "sun")[:days] for c in CLOCKS]
    return starts, NEED * days


def answer(plan):
    return plan.shifts.to_dict("list"), plan.cost


def test_requirements_in_each_form_give_one_schedule():
    want = answer(corvane.shifts(day(), TEMPLATES))
    times = [datetime.time(int(c[:2]), int(c[3:])) for c in CLOCKS]
    shuffled = pd.DataFrame({"Start": CLOCKS, "agents": NEED, "calls": 0}).iloc[::-1]
    for requirements in [pd.Series(NEED, index=times), shuffled,
                         pd.Series(NEED, index=pd.to_datetime([f"2026-12-07 {c}" for c in CLOCKS]))]:
        assert answer(corvane.shifts(requirements, TEMPLATES)) == want
    starts, values = week(2)
    want = answer(corvane.shifts(pd.Series(values, index=starts), TEMPLATES))
    by_day = pd.DataFrame({"day": [s[:3] for s in starts], "start": [s[4:] for s in starts],
                           "agents": values})
    stamps = pd.to_datetime([f"2026-12-{7 + (i >= len(CLOCKS))} {s[4:]}" for i, s in enumerate(starts)])
    for requirements in [by_day, pd.Series(values, index=stamps)]:
        assert answer(corvane.shifts(requirements, TEMPLATES)) == want
    assert want[0]["start"][0] == "mon 07:00"


def test_templates_from_a_path(tmp_path):
    path = tmp_path / "templates.json"
    path.write_text(json.dumps({"shifts": TEMPLATES}))
    assert answer(corvane.shifts(day(), path)) == answer(corvane.shifts(day(), TEMPLATES))
    path.write_text('{"shifts": [{"name": "x", "start": {"earliest": "07:00"}, "lenght": 60}]}')
    with pytest.raises(ValueError, match=f"{path}: shifts\\[0\\]: lenght is not a field"):
        corvane.shifts(day(), str(path))


# Each keyword below its option's domain is refused by that option's rule,
# under its own name: every row of the room's table reaches the room.
@pytest.mark.parametrize("option", [o for o in corvane._engine.shift_options if o[4] == "number"],
                         ids=lambda o: o[0])
def test_each_keyword_reaches_its_option(option):
    keyword, objective, _, _, _, rule, (low, *_) = option
    given = {keyword: low - 1}
    if objective == "service":
        given = {"objective": "service", "service_level": 0.8, "aht": 180, "target_time": 20, **given}
    requirements = day() if objective != "service" else day([v * 10 for v in NEED])
    with pytest.raises(corvane.DomainError) as refused:
        corvane.shifts(requirements, TEMPLATES, **given)
    assert (refused.value.argument, refused.value.rule) == (keyword, rule)


@pytest.mark.parametrize("call, error, message", [
    (lambda: corvane.shifts(day()[[0, 1, 3]], TEMPLATES), ValueError,
     "no period 00:30 between 00:15 \\(requirements at '00:15'\\) and 00:45"),
    (lambda: corvane.shifts(day([1.5] * len(NEED)), TEMPLATES), ValueError,
     "requirements at '00:00': agents must be a whole number, got 1.5"),
    (lambda: corvane.shifts(pd.Series([1.0, None], index=["07:00", "07:15"]), TEMPLATES), ValueError,
     "requirements: no agents at '07:15'"),
    (lambda: corvane.shifts(day(), [{"name": "a", "start": {"earliest": "07:00"}}]), ValueError,
     "templates: template 'a': length is missing"),
    (lambda: corvane.shifts(day(), TEMPLATES, "service", service_level=0.8, aht=180), ValueError,
     "shifts\\(\\) needs target_time= with objective='service'"),
    (lambda: corvane.shifts(day(), TEMPLATES, shortage_cost="2"), TypeError,
     "shortage_cost must be a number, not str"),
    (lambda: corvane.shifts(day([9 if c == "06:00" else v for c, v in zip(CLOCKS, NEED)]), TEMPLATES,
                            "service", service_level=0.8, aht=180, target_time=20), RuntimeError,
     "no schedule: no shift can be on the phones at 06:00"),
])
def test_refusals_name_what_they_refuse(call, error, message):
    with pytest.raises(error, match=message):
        call()


def slow_week():
    starts, values = week()
    return pd.Series([v * 12 for v in values], index=starts)


def test_the_solve_lets_other_threads_run():
    ticks = []
    done = threading.Event()

    def solve():
        try:
            corvane.shifts(slow_week(), TEMPLATES, "service", service_level=0.85, aht=180,
                           target_time=20, time_limit=1.5)
        finally:
            done.set()

    worker = threading.Thread(target=solve)
    start = time.perf_counter()
    worker.start()
    while not done.is_set() and time.perf_counter() - start < 10:
        ticks.append(time.perf_counter())
        time.sleep(0.01)
    worker.join()
    assert len(ticks) > 50


def test_ctrl_c_stops_the_solve():
    timer = threading.Timer(0.5, _thread.interrupt_main)
    timer.start()
    start = time.perf_counter()
    with pytest.raises(KeyboardInterrupt):
        corvane.shifts(slow_week(), TEMPLATES, "service", service_level=0.85, aht=180,
                       target_time=20, time_limit=60)
    assert time.perf_counter() - start < 5
    timer.join()


def test_the_stub_takes_the_keywords():
    stubs = ast.parse(open(os.path.join(os.path.dirname(corvane.__file__), "__init__.pyi")).read())
    stub = next(n for n in ast.walk(stubs) if isinstance(n, ast.FunctionDef) and n.name == "shifts")
    taken = {a.arg for a in stub.args.args + stub.args.kwonlyargs}
    assert taken == set(corvane.shifts.__signature__.parameters)
    assert taken - {"requirements", "templates"} <= set(corvane._engine.arguments)
