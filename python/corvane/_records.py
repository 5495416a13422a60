"""Call records read into erlangs per period, the busy hour and the circuits.

The room records/ through the module's _engine: ``read_records`` reads files
into a :class:`Records` value, the periods' exact sums, that adds up (``a +
b``, :func:`merge_records`) as reading the files together would, pickles (so
that Dask's process scheduler or any other can read files apart), and gives
its figures as pandas objects. Each keyword is a row of the room's registry
(its option on the command line, its rule and what it does), from which the
signatures and the docstrings below are made.
"""

import datetime as _datetime
import inspect as _inspect
import json as _json
import numbers as _numbers
import os as _os
import warnings as _warnings

from . import _engine

__all__ = ["Records", "RefusedRowsWarning", "merge_records", "read_records"]

# keyword: (stage, kind, default as text, what it does, its rule, its choice)
_OPTIONS = {row[0]: row[1:] for row in _engine.records_options}
_STAGE = {s: [k for k, row in _OPTIONS.items() if row[0] == s] for s in ("read", "summary")}


class RefusedRowsWarning(UserWarning):
    """Call records were refused (a time that does not parse, an end before its
    start, ...), or their order left a figure uncertain. Each refused row is
    counted by reason in ``Records.reading["rows_refused"]``, and the first ones
    are quoted with their file and line in ``Records.reading["quotes"]``."""


def _default(keyword):
    _, kind, text, *_ = _OPTIONS[keyword]
    if text == "":
        return None
    if kind == "count":
        return int(text)
    if kind == "number":
        return float(text)
    if kind == "flag":
        return text == "true"
    return text.replace("-", "_") if kind == "choice" else text


def _signature(keywords, first=()):
    P = _inspect.Parameter
    return _inspect.Signature(
        [P(name, P.POSITIONAL_ONLY) for name in first]
        + [P(k, P.KEYWORD_ONLY, default=_default(k)) for k in keywords]
    )


def _entries(keywords):
    """The docstring's entry for each keyword: what it does and what it takes."""
    lines = []
    for keyword in keywords:
        _, kind, text, sense, rule, choice = _OPTIONS[keyword]
        if choice:
            words = ", ".join(repr(w.replace("-", "_")) for w in _engine.choices[choice])
            takes = f"one of {words}"
        else:
            takes = rule
        default = f"; default {_default(keyword)!r}" if text else ""
        lines.append(f"{keyword} : {sense};\n    {takes}{default}.")
    return "\n".join(lines)


def _text(keyword, value):
    """A keyword's value as the room reads it: numbers as Python writes them
    back exactly, dates and clock times as ISO 8601 writes them, words and
    names as given."""
    kind = _OPTIONS[keyword][1]
    if kind == "flag" and isinstance(value, bool):
        return "true" if value else "false"
    if kind in ("count", "number") and not isinstance(value, bool):
        if isinstance(value, _numbers.Integral):
            return str(int(value))
        if isinstance(value, _numbers.Real):
            return repr(float(value))
        if isinstance(value, str):
            return value
    if kind == "date" and isinstance(value, _datetime.date):
        return (value.date() if isinstance(value, _datetime.datetime) else value).isoformat()
    if kind == "clock_time" and isinstance(value, _datetime.time):
        return value.strftime("%H:%M") if value.second == value.microsecond == 0 else str(value)
    if isinstance(value, str):
        return value
    rule = _OPTIONS[keyword][4]
    raise TypeError(f"{keyword} must be {rule}, got a {type(value).__name__}")


def _call(function, *args):
    from . import DomainError

    try:
        return function(*args)
    except _engine.RecordsOptionError as e:
        message, keyword, outside, value, rule = e.args
        if outside:
            raise DomainError(message, argument=keyword, value=value, rule=rule) from None
        raise ValueError(message) from None


def _texts(signature, options, name):
    try:
        bound = signature.bind(**options)
    except TypeError as e:
        raise TypeError(f"{name}() {e}") from None
    return {k: _text(k, v) for k, v in bound.arguments.items() if v is not None}


_READ = _signature(_STAGE["read"], first=["path"])
_READ_OPTIONS = _signature(_STAGE["read"])
_SUMMARY = _signature(_STAGE["summary"])


def _pandas():
    try:
        import pandas
    except ImportError:  # pragma: no cover - Debian's python3-pandas is a dependency
        raise ImportError("the periods and days of call records are pandas DataFrames: "
                          "install pandas (Debian: python3-pandas)") from None
    return pandas


def _times(pd, nanos, offsets, zone, name):
    """Instants on the records' local clock, each with its offset, checked
    against the offsets of the system's tzdata that the room read them by."""
    index = pd.DatetimeIndex(pd.to_datetime(nanos, utc=True), name=name).tz_convert(zone)
    shown = (index.tz_localize(None) - pd.to_datetime(nanos)).total_seconds()
    if len(index) and not (shown.to_numpy() == offsets).all():
        raise RuntimeError(f"pandas reads the time zone {zone} with rules other than the "
                           "system's tzdata, which the records were read by")
    return index


def _peaks(pd, low, high):
    """The peak where it is known, missing where only a range is."""
    peak = pd.array(low, dtype="Int64")
    peak[low != high] = pd.NA
    return {"peak": peak, "peak_at_least": low, "peak_at_most": high}


class Records:
    """Call records read into the exact sums of their read-out periods.

    Made by :func:`read_records`; ``a + b`` (or :func:`merge_records`, or
    ``sum``) adds values read alike (the same zone, interval, holding and
    trunk) as reading their files together would, and a value pickles, for
    Dask's process scheduler or any other. What does not merge: the rows of
    one call read into two values are two calls. The peak of a period merges
    exactly where a month of daily files meets (one value holding there only
    calls across the period's end or only calls across its start); elsewhere,
    where both values hold calls that start and end inside one period, it is
    known only between two counts, and is said so.

    ``reading`` says what the reading found: the rows used, refused and
    skipped by reason, what each file was read as, the first refused rows.
    ``periods()``, ``days()`` and ``summary()`` give the figures of ITU-T
    E.500 and E.520, the keywords of each setting how they are made.
    """

    __slots__ = ("_value",)

    def __init__(self, value):
        if not isinstance(value, _engine.RecordsValue):
            raise TypeError("Records are made by read_records")
        self._value = value

    def __add__(self, other):
        if not isinstance(other, Records):
            return NotImplemented
        return Records(self._value + other._value)

    def __radd__(self, other):
        # sum() starts from 0.
        if isinstance(other, int) and not isinstance(other, bool) and other == 0:
            return self
        return NotImplemented

    def __reduce__(self):
        return (Records, (self._value,))

    def __repr__(self):
        r = self.reading
        return (f"<Records: {r['calls']} calls from {r['rows']} rows of {len(r['sources'])} "
                f"file(s), {r['interval']}-minute periods in {r['zone']}>")

    @property
    def reading(self):
        """What the reading found, as a dict: zone, interval, holding, trunk,
        calls, rows, rows_used, rows_refused and rows_skipped (by reason),
        rows_late, rows_uncertain, ambiguous, sources ((file, format chosen,
        rows) each) and quotes ((file, line, reason, text) of the first
        refused rows)."""
        return self._value.reading()

    def _report(self, options, name):
        return _call(self._value.report, _texts(_SUMMARY, options, name))

    def periods(self, **options):
        pd = _pandas()
        periods, _, _ = self._report(options, "periods")
        zone = self.reading["zone"]
        index = _times(pd, periods.pop("start"), periods.pop("offset"), zone, "start")
        low, high = periods.pop("peak_at_least"), periods.pop("peak_at_most")
        columns = {"calls": periods["calls"], "traffic": periods["traffic"],
                   **_peaks(pd, low, high), "holding_time": periods["holding_time"]}
        return pd.DataFrame(columns, index=index)

    def days(self, **options):
        pd = _pandas()
        _, days, _ = self._report(options, "days")
        zone = self.reading["zone"]
        index = _times(pd, days.pop("date"), days.pop("offset"), zone, "date")
        low, high = days.pop("peak_at_least"), days.pop("peak_at_most")
        columns = {"calls": days.pop("calls"), **_peaks(pd, low, high),
                   "peak_hour": pd.to_datetime(days.pop("peak_hour"), utc=True).tz_convert(zone),
                   "peak_hour_traffic": days.pop("peak_hour_traffic"), **days}
        return pd.DataFrame(columns, index=index)

    def summary(self, **options):
        _, _, summary = self._report(options, "summary")
        return _json.loads(summary)


_PERIODS = """The read-out periods of the measured days, as a pandas DataFrame.

Indexed by each period's start, on the records' local clock with its offset
(tz-aware; on the day the clocks go back a clock time starts two periods):
``calls`` starting in it, ``traffic`` carried (erlangs: the seconds of
holding inside it over its length), ``peak`` the most calls held at once
(a missing value where only a range is known, between ``peak_at_least``
and ``peak_at_most``), ``holding_time`` the mean holding in seconds of the
calls starting in it (NaN without calls).
"""
_DAYS = """The measured days, as a pandas DataFrame.

Indexed by each local day's first instant (tz-aware): ``calls``, ``peak``
(missing where only a range is known, between ``peak_at_least`` and
``peak_at_most``), ``peak_hour`` (the start of the day's hour of
consecutive periods with the most traffic, the earliest of equals) and
``peak_hour_traffic`` (carried erlangs); with ``lines``, ``offered`` (the
traffic offered to them, NaN where saturated) and ``saturated``.
"""
_SUMMARY_DOC = """The figures over the days, as a dict with the names corvane-cli's --json prints.

adph-traffic (the mean daily peak-hour traffic), tcbh and tcbh-traffic (the
time-consistent busy hour: the clock hour whose traffic averaged over the
days is largest), fdmh-traffic (at fixed_hour), normal-load and high-load
(the mean peak-hour traffics of the normal_days and high_days highest days;
offered, with lines), lines-normal, lines-high and lines (the fewest Erlang
B lines meeting blocking at the normal load and high_blocking at the high
one, and the larger), saturated, peak (an int, or {"at-least": ...,
"at-most": ...} where only a range is known), and the reading's counts:
rows, rows-used, rows-refused, rows-skipped, rows-late, rows-uncertain,
ambiguous, calls, days, first, last, normal-days and high-days.
"""
for _name, _doc in (("periods", _PERIODS), ("days", _DAYS), ("summary", _SUMMARY_DOC)):
    _method = getattr(Records, _name)
    _method.__signature__ = _inspect.Signature(
        [_inspect.Parameter("self", _inspect.Parameter.POSITIONAL_ONLY)]
        + list(_SUMMARY.parameters.values()))
    _method.__doc__ = _doc + "\nParameters\n----------\n" + _entries(_STAGE["summary"]) + "\n"


def read_records(path, /, **options):
    return _read(path, options)


def _read(path, options):
    paths = [path] if isinstance(path, (str, bytes, _os.PathLike)) else list(path)
    if not paths:
        raise ValueError("read_records needs at least one file")
    names = []
    for p in paths:
        name = _os.fsdecode(_os.fspath(p))
        if not _os.path.isfile(name):
            raise FileNotFoundError(2, "no such call record file", name)
        names.append(name)
    texts = _texts(_READ_OPTIONS, options, "read_records")
    value = Records(_call(_engine.read_records, names, texts))
    _warn(value.reading)
    return value


def _warn(r):
    refused = r["rows_refused"]
    if refused:
        counts = ", ".join(f"{reason} {n}" for reason, n in refused.items())
        first = r["quotes"][0]
        _warnings.warn(
            f"{sum(refused.values())} of {r['rows']} rows refused ({counts}); the first: "
            f"{first[0]}:{first[1]}: {first[2]}: {first[3]} (Records.reading['quotes'] holds "
            "the first ten)", RefusedRowsWarning, stacklevel=4)
    if r["rows_late"] or r["rows_uncertain"]:
        _warnings.warn(
            f"{r['rows_late']} rows came more than the window out of order (their periods' "
            f"peaks may be ranges) and {r['rows_uncertain']} may belong to calls already closed "
            "(counted twice): a window longer than the longest call makes them exact",
            RefusedRowsWarning, stacklevel=4)


read_records.__signature__ = _READ
read_records.__doc__ = """Call records read into a Records value.

``path`` is a file or a list of files, read together: the rows of a call
join across them, and the files are parsed on ``jobs`` threads at once with
the same answers as one at a time. The GIL is released while reading, and
Ctrl-C stops a long read. Refused rows (each counted by reason, never
dropped silently) raise a RefusedRowsWarning; a file not of the format asked
for raises ValueError naming it.

Parameters
----------
""" + _entries(_STAGE["read"]) + """

Returns
-------
Records, whose ``periods()``, ``days()`` and ``summary()`` give the figures.

>>> import corvane
>>> month = corvane.read_records("Master.csv", timezone="Europe/Berlin")  # doctest: +SKIP
>>> month.summary(lines=24)["lines"]  # doctest: +SKIP
25
"""


def merge_records(values):
    """The sum of Records values read alike, as reading their files together
    would give (but that the rows of one call in two values are two calls).

    >>> import corvane
    >>> days = [corvane.read_records(p) for p in ("day1.csv", "day2.csv")]  # doctest: +SKIP
    >>> corvane.merge_records(days).summary()["calls"]  # doctest: +SKIP
    2731
    """
    total = None
    for value in values:
        if not isinstance(value, Records):
            raise TypeError(f"merge_records takes Records, got a {type(value).__name__}")
        total = value if total is None else total + value
    if total is None:
        raise ValueError("merge_records needs at least one Records value")
    return total


for _object in (Records, RefusedRowsWarning, read_records, merge_records):
    _object.__module__ = "corvane"
