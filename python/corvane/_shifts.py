"""corvane.shifts: from the agents (or calls) of each period to shifts people
can work, by the room shifts/ (CBC's mixed-integer programme, breaks placed
inside it). The keywords are the room's option table, as the command line's
options are; the solve runs without the GIL, and Ctrl-C stops it."""

import collections as _collections
import datetime as _datetime
import inspect as _inspect
import json as _json
import os as _os
import sys as _sys

import numpy as _np

from . import _engine

Shifts = _collections.namedtuple(
    "Shifts",
    ["shifts", "coverage", "status", "gap", "cost", "agents", "paid_hours", "short_periods",
     "short", "service_level", "seconds"],
    module="corvane",
)
Shifts.__doc__ = """What corvane.shifts answers.

shifts: a DataFrame, one row per group of agents working the same shift
(shift, start, end, breaks as "HH:MM-HH:MM" pieces joined by ";", agents);
coverage: one row a period (start, required or calls, on_phones, on_break,
over, short, and under service the period's service_level); status
"optimal" or "feasible" (the time limit ran out), the proven gap, the cost,
the agents working, their paid hours, the periods and agent-periods short,
the horizon's service level (service; NaN under cover) and the seconds taken."""

_DAYS = ("mon", "tue", "wed", "thu", "fri", "sat", "sun")


def _label(moment, week):
    """A period's start as the room reads it: "07:30", or "mon 07:30"."""
    if isinstance(moment, str):
        return moment
    if isinstance(moment, _datetime.time):
        if moment.second or moment.microsecond:
            raise ValueError(f"requirements: the start {moment} is not on a whole minute")
        return f"{moment.hour:02d}:{moment.minute:02d}"
    if isinstance(moment, (_datetime.datetime, _np.datetime64)):
        pd = _sys.modules["pandas"]
        t = pd.Timestamp(moment)
        if t.second or t.microsecond or t.nanosecond:
            raise ValueError(f"requirements: the start {t} is not on a whole minute")
        clock = f"{t.hour:02d}:{t.minute:02d}"
        return f"{_DAYS[t.weekday()]} {clock}" if week else clock
    raise TypeError(
        f"requirements: a period's start must be a text 'HH:MM' or 'DAY HH:MM', a time or "
        f"a timestamp, not {type(moment).__name__}"
    )


def _requirements(requirements, measure):
    """The starts as texts and the values, from a Series or a DataFrame."""
    import pandas as pd

    if isinstance(requirements, pd.DataFrame):
        columns = {str(c).strip().lower().replace("_", "-"): c for c in requirements.columns}
        for needed in ("start", measure):
            if needed not in columns:
                raise ValueError(f"requirements: no column {needed}")
        starts = list(requirements[columns["start"]])
        if "day" in columns:
            starts = [f"{d} {s}" for d, s in zip(requirements[columns["day"]], starts)]
        values = requirements[columns[measure]]
    elif isinstance(requirements, pd.Series):
        starts, values = list(requirements.index), requirements
    else:
        raise TypeError("requirements must be a pandas Series indexed by period start, or a "
                        "DataFrame with a column start")
    if values.isna().any():
        first = list(values.isna()).index(True)
        raise ValueError(f"requirements: no {measure} at '{starts[first]}'")
    stamps = [s for s in starts if isinstance(s, (_datetime.datetime, _np.datetime64))]
    # Timestamps over more than a day are a week's, named by their weekday.
    week = bool(stamps) and (max(map(pd.Timestamp, stamps)) - min(map(pd.Timestamp, stamps))
                             >= pd.Timedelta(days=1))
    return [_label(s, week) for s in starts], _np.asarray(values, dtype=_np.float64).tolist()


def _templates(templates):
    """The templates as JSON text, and their name in messages."""
    if isinstance(templates, (str, _os.PathLike)):
        path = _os.fspath(templates)
        with open(path, encoding="utf-8") as file:
            return file.read(), path
    try:
        return _json.dumps(templates, allow_nan=False), "templates"
    except (TypeError, ValueError) as e:
        raise ValueError(f"templates: not as JSON holds them: {e}") from None


def shifts(requirements, templates, objective="cover", **options):
    from . import DomainError, _refused_word

    import pandas as pd

    bound = _SIGNATURE.bind(requirements, templates, objective, **options)
    at = _engine.parse_word("objective", objective) if isinstance(objective, str) else None
    if at is None:
        raise _refused_word("objective", "objective", objective)
    measure = ("agents", "calls")[at]
    starts, values = _requirements(requirements, measure)
    text, name = _templates(templates)
    given = {k: v for k, v in bound.arguments.items() if k not in ("requirements", "templates")}
    answer = _engine.solve_shifts(starts, values, text, name, given)
    error = answer.get("error")
    if error == "domain":
        raise DomainError(answer["message"], answer["keyword"], answer["value"], answer["rule"])
    if error == "value":
        raise ValueError(answer["message"])
    if error == "no_schedule":
        raise RuntimeError(f"no schedule: {answer['message']}")
    coverage = pd.DataFrame(answer["coverage"])
    for column in ("on_phones", "on_break", "over", "short") + (("required",) if at == 0 else ()):
        coverage[column] = coverage[column].astype(_np.int64)
    groups = pd.DataFrame(answer["shifts"], columns=["shift", "start", "end", "breaks", "agents"])
    groups["agents"] = groups["agents"].astype(_np.int64)
    return Shifts(groups, coverage, *(answer[k] for k in Shifts._fields[2:]))


def _signature():
    P = _inspect.Parameter
    parameters = [P("requirements", P.POSITIONAL_OR_KEYWORD),
                  P("templates", P.POSITIONAL_OR_KEYWORD)]
    for keyword, _, _, default, kind, *_ in _engine.shift_options:
        if keyword == "objective":
            parameters.append(P(keyword, P.POSITIONAL_OR_KEYWORD, default=default))
        elif kind == "flag":
            parameters.append(P(keyword, P.KEYWORD_ONLY, default=False))
        elif keyword == "basis":
            parameters.append(P(keyword, P.KEYWORD_ONLY, default="offered"))
        elif keyword == "time_limit":
            parameters.append(P(keyword, P.KEYWORD_ONLY, default=float(default)))
        else:
            parameters.append(P(keyword, P.KEYWORD_ONLY, default=None))
    return _inspect.Signature(parameters)


_SIGNATURE = _signature()
shifts.__signature__ = _SIGNATURE
shifts.__module__ = "corvane"
