"""corvane.day: a day whose queue carries over from one interval to the next.

The room transient/ through _engine.plan_day (src/transient.cpp): the calls
and a schedule as float64 arrays, the words as their enums' values, the
room's refusals worded here under the keywords, as DomainError words the
engine's. The keywords, their domains and words are the registry's rows of
the room (transient/options.h), as _engine.arguments, rules and choices give
them.
"""

import collections as _collections
import sys as _sys
import warnings as _warnings

import numpy as _np

from . import DomainError as _DomainError
from . import _engine
from . import _refused_word

R = _engine.rules

_FIGURES = [name for name, _ in _engine.day_figures]
_TOTALS = ["phone_hours", "scheduled_hours", "day_service_level", "missed", "periodic_days"]

DayPlan = _collections.namedtuple("DayPlan", _FIGURES + ["error"] + _TOTALS, module="corvane")
DayPlan.__doc__ = """A day planned by corvane.day, for calls given as an array.

The figures of each interval as arrays (counts as int64): agents,
scheduled, service_level, abandon_probability, blocking, average_wait,
occupancy, queue_at_end, stationary_agents; error, an array of str (empty
where the interval was staffed as asked); and the day's totals: phone_hours
and scheduled_hours, day_service_level, missed (the intervals, from 0, that
miss the service target) and periodic_days (the days repeated to settle a
periodic start, else 0)."""


def _number(key, value):
    if isinstance(value, (str, bytes)) or value is None:
        raise TypeError(f"{key} must be a number, got {value!r}")
    return float(value)


def _show(value):
    return str(int(value)) if value.is_integer() and abs(value) < 1e16 else repr(value)


def _per_interval(key, value, index, pd):
    """The values of `key` for each interval, as float64, and where one is missing."""
    if pd is not None and isinstance(value, pd.Series):
        if index is not None and not value.index.equals(index):
            if value.index.has_duplicates:
                raise ValueError(f"{key}: its labels repeat, so it cannot be aligned with calls")
            value = value.reindex(index)
        missing = _np.asarray(value.isna())
        array = value.to_numpy(dtype=_np.float64, na_value=_np.nan)
    else:
        try:
            array = _np.asarray(value, dtype=_np.float64)
        except (TypeError, ValueError) as e:
            raise TypeError(f"{key} must be numbers, one for each interval: {e}") from None
        missing = _np.isnan(array)
    if array.ndim != 1:
        raise ValueError(f"{key} must hold one value for each interval, got shape {array.shape}")
    if missing.any():
        at = int(_np.argmax(missing))
        raise _DomainError(
            f"element {at}: {key} is missing: the day needs a value for every interval",
            key, None, None, (at,), int(missing.sum()))
    return _np.ascontiguousarray(array)


def _word(key, choice, value):
    at = _engine.parse_word(choice, value) if isinstance(value, str) else None
    if at is None:
        raise _refused_word(key, choice, value)
    return at


def _refused(refusals, labels):
    """The DomainError of the room's first refusal."""
    keyword, interval, value, rule, message = refusals[0]
    index = None
    if interval >= 0:
        index = (interval,)
        where = f"element {interval}" + (f" ({labels[interval]!r})" if labels is not None else "")
        text = f"{where}: {keyword} must be {rule}, got {_show(value)}"
        if len(refusals) > 1:
            text += f" ({len(refusals)} values refused)"
    elif value is not None:
        text = f"{keyword} must be {rule}, got {_show(value)}"
    else:
        text = message
    return _DomainError(text, keyword, value, rule or None, index, len(refusals))


def day(calls, *, interval, aht, patience=None, lines=None, target_time=None,
        service_level=None, average_wait=None, shrinkage=None, max_occupancy=None,
        method=None, start=None, agents=None):
    pd = _sys.modules.get("pandas")
    series = pd is not None and isinstance(calls, pd.Series)
    index = calls.index if series else None
    targets = sum(t is not None for t in (service_level, average_wait))
    if targets != 1:
        raise TypeError(f"day() takes exactly one of service_level, average_wait ({targets} given)")
    if (service_level is None) != (target_time is None):
        given, other = ("service_level", "target_time") if target_time is None else (
            "target_time", "service_level")
        raise TypeError(f"day() takes {given}= only with {other}=")
    if agents is not None:
        for key, value in (("method", method), ("max_occupancy", max_occupancy)):
            if value is not None:
                raise TypeError(f"day() takes {key}= only without agents=: a schedule is judged "
                                "as it stands")
    values = _per_interval("calls", calls, None, pd)
    schedule = None if agents is None else _per_interval("agents", agents, index, pd)
    plan = _engine.plan_day(
        values, schedule,
        _number("interval", interval), _number("aht", aht),
        _np.inf if patience is None else _number("patience", patience),
        _np.inf if lines is None else _number("lines", lines),
        0.0 if target_time is None else _number("target_time", target_time),
        None if service_level is None else _number("service_level", service_level),
        None if average_wait is None else _number("average_wait", average_wait),
        0.0 if shrinkage is None else _number("shrinkage", shrinkage),
        1.0 if max_occupancy is None else _number("max_occupancy", max_occupancy),
        0 if method is None else _word("method", "plan", method),
        0 if start is None else _word("start", "start", start))
    if "refusals" in plan:
        raise _refused(plan["refusals"], None if index is None else list(index))
    errors = [(i, e) for i, e in enumerate(plan["error"]) if e]
    if errors:
        more = f" ({len(errors)} intervals so)" if len(errors) > 1 else ""
        _warnings.warn(f"element {errors[0][0]} cannot be staffed as asked: {errors[0][1]}{more}",
                       RuntimeWarning, stacklevel=2)
    figures = {name: plan[name] for name in _FIGURES}
    if series:
        frame = pd.DataFrame(figures, index=index)
        frame["error"] = plan["error"]
        frame.attrs.update({key: plan[key] for key in _TOTALS})
        frame.attrs["missed"] = list(index[plan["missed"]])
        return frame
    totals = {key: plan[key] for key in _TOTALS}
    totals["missed"] = _np.asarray(plan["missed"], dtype=_np.int64)
    return DayPlan(**figures, error=_np.array(plan["error"], dtype=object), **totals)


day.__module__ = "corvane"  # as it is shown and its example run
day.__doc__ = f"""Plan a day whose queue carries over from one interval to the next.

The calls still waiting and in service as an interval ends are those at the
start of the next: each interval is staffed with the fewest agents that meet
the target from the state the one before left (method 'transient'), or by
the usual plan or the lagged plan and judged so; given agents=, a schedule
is judged as it stands. Calls arrive at random in each interval, handling
times and patiences are exponential, the agents beyond the count finish the
calls they hold. The same day as corvane-cli day plans.

Parameters
----------
calls : the fresh calls forecast in each interval, {R['day_calls']}: a 1-d
    array, or a pandas Series whose index labels the intervals.
interval : length of each interval, {R['day_interval']}.
aht : average handling time of a call, {R['day_seconds']}, and at least
    the interval over 1e4.
patience : mean time a caller waits before hanging up, {R['day_patience']}.
    Default: callers never hang up.
lines : calls the centre holds at once, answered or waiting, {R['day_lines']}.
    Default: no limit.
target_time : time within which a call should be answered, {R['day_target_time']};
    with service_level.
service_level : share of each interval's accepted calls to answer within
    target_time, {R['share']}.
average_wait : in place of service_level, the most each interval's accepted
    calls may wait on average, {R['day_seconds']}.
shrinkage : share of paid time agents are off the phones, {R['share']}.
    Default 0.
max_occupancy : cap on the busy agents over the agents present where calls
    arrive, {R['occupancy_cap']}; for staffing only. Default 1.
method : 'transient' (the default: the fewest agents that meet the target from
    the state the interval starts in), 'stationary' (the usual plan, each
    interval as if it lasted for ever) or 'lagged' (the usual plan on the load
    shifted back by one handling time); for staffing only. Words are read in
    any case with '-', '_' and a blank the same.
start : 'empty' (the default: the centre opens with no call) or 'periodic'
    (the day repeated, the calls at its start those left at its end).
agents : a schedule to judge in place of staffing, the agents on the phones in
    each interval, {R['day_agents']}; a Series is aligned on the labels of calls.

Returns
-------
For a Series of calls, a pandas DataFrame on its index with a column for each
figure (agents, scheduled, service_level, abandon_probability, blocking,
average_wait, occupancy, queue_at_end, stationary_agents) and error, and the
day's totals in .attrs (phone_hours, scheduled_hours, day_service_level,
missed as labels, periodic_days); otherwise a DayPlan of NumPy arrays and the
totals, missed as positions. An interval no count can staff as asked keeps
the figures of the most agents tried, says why in error, and warns
(RuntimeWarning). The service level, hang-ups and waits are of each
interval's accepted calls, each judged by the state it finds with the
interval's agents held for its wait; an interval with no agent and callers
who never hang up waits for ever (average_wait inf).

A value outside its domain raises DomainError naming its keyword (and, for a
value of one interval, its position and label), whatever errstate says: an
interval cannot be left out of a day that carries its queue. The GIL is
released while the day is planned, and Ctrl-C stops it.

Example
-------
>>> plan = corvane.day([70, 160, 210, 190], interval=15, aht=240, patience=180,
...                    target_time=20, service_level=0.8)
>>> plan.agents, plan.stationary_agents
(array([18, 41, 55, 54]), array([21, 45, 58, 53]))
"""
