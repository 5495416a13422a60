"""corvane.read_records and Records: the figures against the exact reference
(tests/data/records/make_reference.py) through pandas, daily files merged on
Dask's process scheduler as one reading gives them, refusals by keyword, the
GIL released while reading, and stubs of the registry's keywords."""

import ast
import csv
import os
import pickle
import threading
import time
import warnings

import pytest

import corvane

pd = pytest.importorskip("pandas")
DATA = os.path.join(os.path.dirname(__file__), "..", "..", "tests", "data", "records")
STAGE = {row[0]: row[1] for row in corvane._engine.records_options}


def _reference():
    cases = {}
    with open(os.path.join(DATA, "reference.csv"), newline="") as f:
        for case, what, key, field, value in csv.reader(f):
            c = cases.setdefault(case, {"read": {}, "summary": {}, "files": [], "rows": {}})
            if what == "option":
                keyword = field.replace("-", "_") + ("_" if field == "from" else "")
                c[STAGE[keyword]][keyword] = value
            elif what == "file":
                c["files"].append(os.path.join(DATA, value))
            else:
                c["rows"].setdefault(what, {}).setdefault(key, {})[field] = value
    return cases


REFERENCE = _reference()


def _same(want, got, where):
    if want.replace(".", "", 1).replace("e-", "", 1).isdigit() and "." in want:
        assert got == pytest.approx(float(want), rel=1e-12, abs=0), where
    else:
        assert str(got) == want, where


def _peak(low, high):
    return str(low) if low == high else f"{low}..{high}"


# The periods' and days' frames, indexed on the local clock with the offsets
# the reference writes, and the summary's names, as computed another way;
# across both clock changes, a half-hour zone boundary and measured days
# without calls.
@pytest.mark.parametrize("case", ["berlin-spring", "berlin-autumn", "auckland", "cucm-days"])
def test_figures_as_the_reference_computes_them(case):
    c = REFERENCE[case]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", corvane.RefusedRowsWarning)
        records = corvane.read_records(c["files"], **c["read"])
    periods = records.periods(**c["summary"])
    want = c["rows"]["period"]
    assert len(periods) == len(want)
    for start, row in periods.iterrows():
        fields = want[start.isoformat()]
        _same(fields["calls"], row.calls, start)
        _same(fields["traffic"], row.traffic, start)
        _same(fields["peak"], _peak(row.peak_at_least, row.peak_at_most), start)
        assert (row.peak is pd.NA) == (row.peak_at_least != row.peak_at_most)
        if "holding-time" in fields:
            _same(fields["holding-time"], row.holding_time, start)
        else:
            assert row.holding_time != row.holding_time  # NaN without calls
    days = records.days(**c["summary"])
    assert [d.date().isoformat() for d in days.index] == sorted(c["rows"]["day"])
    for day, row in days.iterrows():
        fields = c["rows"]["day"][day.date().isoformat()]
        assert day.hour == day.minute == 0
        _same(fields["peak-hour"], row.peak_hour.isoformat(), day)
        _same(fields["peak-hour-traffic"], row.peak_hour_traffic, day)
        if "offered" in fields:
            _same(fields["offered"], row.offered, day)
    summary = records.summary(**c["summary"])
    for key, value in c["rows"]["summary"][""].items():
        name, _, reason = key.partition(":")
        got = summary[name][reason] if reason else summary[name]
        _same(value, " ".join(got) if isinstance(got, list) else got, key)


def _write_days(folder, calls):
    """Keyless calls (start, end in epoch seconds) in a file per UTC day of their ends."""
    days = {}
    for start, end in calls:
        days.setdefault((end - 1) // 86400, []).append((start, end))
    paths = []
    for day, its in sorted(days.items()):
        path = os.path.join(folder, f"day{day}.csv")
        with open(path, "w") as f:
            its.sort(key=lambda c: c[1])
            f.write("start,end\n" + "".join(f"{s},{e}\n" for s, e in its))
        paths.append(path)
    return paths


def _month(rng, count):
    starts = rng.integers(1717200000, 1717200000 + 6 * 86400, count)
    return list(zip(starts.tolist(), (starts + rng.integers(1, 1200, count)).tolist()))


CSV = {"format": "csv", "start_column": "start", "end_column": "end", "timezone": "UTC"}


# A week of daily files read apart on Dask's local process scheduler (each
# value pickled back) and added up gives what one reading of all of them
# gives: the summary, and every period's figures with exact peaks.
def test_daily_files_on_dasks_process_scheduler_as_one_reading(tmp_path, rng):
    dask = pytest.importorskip("dask")
    import dask.bag

    paths = _write_days(tmp_path, _month(rng, 3000))
    bag = dask.bag.from_sequence(paths, npartitions=3).map(lambda p: corvane.read_records(p, **CSV))
    merged = bag.fold(lambda a, b: a + b).compute(scheduler="processes", num_workers=2)
    together = corvane.read_records(paths, **CSV)
    assert merged.summary(lines=20) == together.summary(lines=20)
    pd.testing.assert_frame_equal(merged.periods(), together.periods())
    assert merged.periods().peak.notna().all()
    assert dask.delayed(corvane.merge_records)(
        [dask.delayed(corvane.read_records)(p, **CSV) for p in paths]
    ).compute(scheduler="processes").summary() == together.summary()


def test_refusals_by_keyword(tmp_path):
    path = os.path.join(DATA, "trunk.csv")
    other = tmp_path / "hello.csv"
    other.write_text("hello,world\n")
    cases = [
        ({"interval": 7}, corvane.DomainError,
         'interval must be a whole number of minutes dividing 60, got "7"'),
        ({"timezone": "Mars/Olympus"}, corvane.DomainError, "timezone must be an IANA time zone"),
        ({"format": "excel"}, corvane.DomainError, "format must be one of auto, asterisk"),
        ({"format": "csv", "start_column": "a"}, ValueError,
         "end_column or duration_column is needed"),
        ({"window": True}, TypeError, "window must be a whole number of minutes"),
        ({"interval_minutes": 15}, TypeError, "unexpected keyword argument 'interval_minutes'"),
        ({"format": "freeswitch"}, ValueError, "trunk.csv: not FreeSWITCH's default CSV template"),
    ]
    for options, error, message in cases:
        with pytest.raises(error) as raised:
            corvane.read_records(path, **options)
        assert message in str(raised.value), options
    with pytest.raises(corvane.DomainError) as raised:
        corvane.read_records(path, timezone="UTC").summary(fixed_hour="10:10")
    assert raised.value.argument == "fixed_hour" and raised.value.value == "10:10"
    with pytest.raises(ValueError, match="hello.csv: not call records of a known format"):
        corvane.read_records(other)
    with pytest.raises(FileNotFoundError):
        corvane.read_records(tmp_path / "none.csv")
    refused = "midnight.csv:7: a time that does not parse"
    with pytest.warns(corvane.RefusedRowsWarning, match=refused):
        corvane.read_records(os.path.join(DATA, "midnight.csv"), timezone="UTC")
    with pytest.raises(ValueError, match=refused):
        corvane.read_records(os.path.join(DATA, "midnight.csv"), timezone="UTC", strict=True)
    utc, berlin = (corvane.read_records(path, timezone=z) for z in ("UTC", "Europe/Berlin"))
    with pytest.raises(ValueError, match="different time zones"):
        utc + berlin
    with pytest.raises(ValueError, match="not a records value"):
        pickle.loads(pickle.dumps(utc).replace(b"corvane-records", b"corvane-recordz"))


def test_the_gil_is_released_while_reading(tmp_path):
    path = tmp_path / "calls.csv"
    with open(path, "w") as f:
        f.write("start,end\n")
        f.writelines(f"{1717200000 + i},{1717200000 + i + 90}\n" for i in range(400000))
    stamps, done = [], threading.Event()

    def tick():
        while not done.is_set():
            stamps.append(time.perf_counter())
            time.sleep(0.002)

    ticker = threading.Thread(target=tick)
    ticker.start()
    try:
        start = time.perf_counter()
        corvane.read_records([path] * 8, **CSV)
        end = time.perf_counter()
    finally:
        done.set()
        ticker.join()
    assert end - start > 0.1, "too quick to tell"
    assert [s for s in stamps if start + 0.3 * (end - start) < s < end - 0.3 * (end - start)]


# The stubs take the keywords the functions take, each a row of the registry.
def test_stubs_take_the_records_keywords():
    tree = ast.parse(open(os.path.join(os.path.dirname(corvane.__file__), "__init__.pyi")).read())
    stubs = {}
    for node in ast.walk(tree):
        if isinstance(node, ast.ClassDef) and node.name == "Records":
            for f in node.body:
                if isinstance(f, ast.FunctionDef) and f.name in ("periods", "days", "summary"):
                    stubs["Records." + f.name] = {a.arg for a in f.args.kwonlyargs}
        if isinstance(node, ast.FunctionDef) and node.name == "read_records":
            stubs["read_records"] = {a.arg for a in node.args.kwonlyargs}
    functions = {"read_records": corvane.read_records, "Records.periods": corvane.Records.periods,
                 "Records.days": corvane.Records.days, "Records.summary": corvane.Records.summary}
    for name, function in functions.items():
        parameters = function.__signature__.parameters.values()
        taken = {p.name for p in parameters if p.kind == p.KEYWORD_ONLY}
        assert stubs[name] == taken, name
        assert taken <= set(corvane._engine.arguments), name
