from contextlib import AbstractContextManager
from typing import Any, Literal, NamedTuple, overload

import numpy as np
import numpy.typing as npt

__version__: str
# "nan" is the older spelling of "ignore".
_Action = Literal["ignore", "warn", "raise", "nan"]
# A number gives a NumPy scalar, an array an array, a pandas Series a Series
# (a DataFrame a DataFrame).
_Real = float | np.floating[Any]
_Arg = npt.ArrayLike
# What the service level is a share of: a word (any case, "-", "_" and a blank
# the same), or an array or Series of them, one for each element.
_Basis = Literal["offered", "answered", "excluding_short_abandons", "virtual"]

class DomainError(ValueError):
    argument: str | None
    value: float | None
    rule: str | None
    index: tuple[int, ...] | None
    count: int

class DomainWarning(RuntimeWarning):
    argument: str | None
    value: float | None
    rule: str | None
    index: tuple[int, ...] | None
    count: int

class Retrial(NamedTuple):
    offered: Any
    blocking: Any

def geterr() -> dict[str, _Action]: ...
def seterr(domain: _Action | None = ...) -> dict[str, _Action]: ...
def errstate(domain: _Action | None = ...) -> AbstractContextManager[None]: ...
@overload
def erlang_b(traffic: _Real, lines: _Real) -> np.float64: ...
@overload
def erlang_b(traffic: _Arg, lines: _Arg, *, out: Any = ...) -> Any: ...
@overload
def log_erlang_b(traffic: _Real, lines: _Real) -> np.float64: ...
@overload
def log_erlang_b(traffic: _Arg, lines: _Arg, *, out: Any = ...) -> Any: ...
@overload
def erlang_b_lines(traffic: _Real, blocking: _Real) -> np.int64: ...
@overload
def erlang_b_lines(traffic: _Arg, blocking: _Arg, *, out: Any = ...) -> Any: ...
@overload
def erlang_b_traffic(lines: _Real, blocking: _Real) -> np.float64: ...
@overload
def erlang_b_traffic(lines: _Arg, blocking: _Arg, *, out: Any = ...) -> Any: ...
def extended_erlang_b(traffic: _Arg, lines: _Arg, recall: _Arg, *, out: Any = ...) -> Retrial: ...
@overload
def extended_erlang_b_lines(traffic: _Real, blocking: _Real, recall: _Real) -> np.int64: ...
@overload
def extended_erlang_b_lines(
    traffic: _Arg, blocking: _Arg, recall: _Arg, *, out: Any = ...
) -> Any: ...
@overload
def extended_erlang_b_traffic(lines: _Real, blocking: _Real, recall: _Real) -> np.float64: ...
@overload
def extended_erlang_b_traffic(
    lines: _Arg, blocking: _Arg, recall: _Arg, *, out: Any = ...
) -> Any: ...
@overload
def erlang_c(traffic: _Real, agents: _Real) -> np.float64: ...
@overload
def erlang_c(
    traffic: _Arg, agents: _Arg, *, aht: _Arg | None = ..., lines: _Arg | None = ..., redial: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def erlang_c(
    *, calls: _Arg, interval: _Arg, aht: _Arg, agents: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def service_level(traffic: _Real, agents: _Real, aht: _Real, target_time: _Real) -> np.float64: ...
@overload
def service_level(
    traffic: _Arg, agents: _Arg, aht: _Arg, target_time: _Arg, *, lines: _Arg | None = ..., redial: _Arg | None = ..., basis: _Basis | _Arg = ..., out: Any = ...
) -> Any: ...
@overload
def service_level(
    *, calls: _Arg, interval: _Arg, agents: _Arg, aht: _Arg, target_time: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., basis: _Basis | _Arg = ..., out: Any = ...
) -> Any: ...
@overload
def average_wait(traffic: _Real, agents: _Real, aht: _Real) -> np.float64: ...
@overload
def average_wait(traffic: _Arg, agents: _Arg, aht: _Arg, *, lines: _Arg | None = ..., redial: _Arg | None = ..., out: Any = ...) -> Any: ...
@overload
def average_wait(*, calls: _Arg, interval: _Arg, agents: _Arg, aht: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., out: Any = ...) -> Any: ...
@overload
def agents(traffic: _Real, aht: _Real, target_time: _Real, service_level: _Real) -> np.int64: ...
@overload
def agents(
    traffic: _Arg, aht: _Arg, target_time: _Arg, service_level: _Arg, *, lines: _Arg | None = ..., redial: _Arg | None = ..., basis: _Basis | _Arg = ...,
    average_wait: _Arg | None = ..., answered_wait: _Arg | None = ..., max_blocking: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def agents(
    *, calls: _Arg, interval: _Arg, aht: _Arg, target_time: _Arg, service_level: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., basis: _Basis | _Arg = ...,
    average_wait: _Arg | None = ..., answered_wait: _Arg | None = ..., max_blocking: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def agents_for_wait(traffic: _Real, aht: _Real, average_wait: _Real) -> np.int64: ...
@overload
def agents_for_wait(
    traffic: _Arg, aht: _Arg, average_wait: _Arg, *, lines: _Arg | None = ..., redial: _Arg | None = ..., answered_wait: _Arg | None = ...,
    max_blocking: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def agents_for_wait(
    *, calls: _Arg, interval: _Arg, aht: _Arg, average_wait: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., answered_wait: _Arg | None = ...,
    max_blocking: _Arg | None = ..., out: Any = ...
) -> Any: ...

class Abandonment(NamedTuple):
    wait_probability: Any
    abandon_probability: Any
    average_wait: Any
    occupancy: Any

@overload
def erlang_a(
    traffic: _Arg, agents: _Arg, aht: _Arg, patience: _Arg, *, lines: _Arg | None = ..., redial: _Arg | None = ..., out: Any = ...
) -> Abandonment: ...
@overload
def erlang_a(
    *, calls: _Arg, interval: _Arg, agents: _Arg, aht: _Arg, patience: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., out: Any = ...
) -> Abandonment: ...
@overload
def erlang_a_service_level(
    traffic: _Arg, agents: _Arg, aht: _Arg, patience: _Arg, target_time: _Arg, *, lines: _Arg | None = ..., redial: _Arg | None = ..., basis: _Basis | _Arg = ...,
    out: Any = ...
) -> Any: ...
@overload
def erlang_a_service_level(
    *, calls: _Arg, interval: _Arg, agents: _Arg, aht: _Arg, patience: _Arg, target_time: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., basis: _Basis | _Arg = ...,
    out: Any = ...
) -> Any: ...
@overload
def erlang_a_agents(
    traffic: _Arg, aht: _Arg, patience: _Arg, target_time: _Arg, service_level: _Arg, *,
    lines: _Arg | None = ..., redial: _Arg | None = ..., basis: _Basis | _Arg = ..., average_wait: _Arg | None = ..., answered_wait: _Arg | None = ..., max_abandon: _Arg | None = ...,
    max_blocking: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def erlang_a_agents(
    *, calls: _Arg, interval: _Arg, aht: _Arg, patience: _Arg, target_time: _Arg, service_level: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ...,
    basis: _Basis | _Arg = ..., average_wait: _Arg | None = ..., answered_wait: _Arg | None = ..., max_abandon: _Arg | None = ...,
    max_blocking: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def erlang_a_agents_for_wait(
    traffic: _Arg, aht: _Arg, patience: _Arg, average_wait: _Arg, *, lines: _Arg | None = ..., redial: _Arg | None = ...,
    answered_wait: _Arg | None = ..., max_abandon: _Arg | None = ...,
    max_blocking: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def erlang_a_agents_for_wait(
    *, calls: _Arg, interval: _Arg, aht: _Arg, patience: _Arg, average_wait: _Arg, lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ...,
    answered_wait: _Arg | None = ..., max_abandon: _Arg | None = ...,
    max_blocking: _Arg | None = ..., out: Any = ...
) -> Any: ...

class Engset(NamedTuple):
    time_congestion: Any
    call_congestion: Any
    traffic_congestion: Any
    carried: Any
    traffic: Any
    intended_traffic: Any
    idle_source_traffic: Any

# Exactly one of traffic, intended_traffic and idle_source_traffic.
def engset(
    sources: _Arg, lines: _Arg, *, traffic: _Arg | None = ..., intended_traffic: _Arg | None = ...,
    idle_source_traffic: _Arg | None = ..., out: Any = ...
) -> Engset: ...
def engset_lines(
    sources: _Arg, blocking: _Arg, *, traffic: _Arg | None = ...,
    intended_traffic: _Arg | None = ..., idle_source_traffic: _Arg | None = ..., out: Any = ...
) -> Any: ...
def engset_traffic(sources: _Arg, lines: _Arg, blocking: _Arg, *, out: Any = ...) -> Engset: ...

class Overflow(NamedTuple):
    mean: Any
    variance: Any
    peakedness: Any

class EquivalentRandom(NamedTuple):
    traffic: Any
    lines: Any

class OverflowLoss(NamedTuple):
    lost: Any
    blocking: Any

_Method = Literal["ert", "hayward"]

def overflow(traffic: _Arg, lines: _Arg, *, out: Any = ...) -> Overflow: ...
def equivalent_random(mean: _Arg, variance: _Arg, *, out: Any = ...) -> EquivalentRandom: ...
def overflow_blocking(
    mean: _Arg, variance: _Arg, lines: _Arg, *, method: _Method = ..., out: Any = ...
) -> OverflowLoss: ...
def overflow_lines(
    mean: _Arg, variance: _Arg, blocking: _Arg, *, method: _Method = ..., out: Any = ...
) -> Any: ...
def offered_traffic(carried: _Arg, lines: _Arg, *, out: Any = ...) -> Any: ...

class Schedule(NamedTuple):
    on_phones: Any
    scheduled: Any
    by_occupancy: Any

def schedule_agents(
    agents: _Arg, traffic: _Arg, shrinkage: _Arg, max_occupancy: _Arg, *, out: Any = ...
) -> Schedule: ...
def erlang_a_schedule_agents(
    agents: _Arg, traffic: _Arg, aht: _Arg, patience: _Arg, shrinkage: _Arg,
    max_occupancy: _Arg, *, out: Any = ...
) -> Schedule: ...

# Erlang X: lines, hang-ups, redials and a forecast's variance; calls= with
# interval= in place of traffic, every argument then by keyword.
@overload
def queue_blocking(
    traffic: _Arg, agents: _Arg, aht: _Arg, lines: _Arg, *, patience: _Arg | None = ..., redial: _Arg | None = ...,
    out: Any = ...
) -> Any: ...
@overload
def queue_blocking(
    *, calls: _Arg, interval: _Arg, agents: _Arg, aht: _Arg, lines: _Arg, patience: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ...,
    out: Any = ...
) -> Any: ...
@overload
def queue_lines(
    traffic: _Arg, agents: _Arg, aht: _Arg, blocking: _Arg, *, patience: _Arg | None = ..., redial: _Arg | None = ...,
    out: Any = ...
) -> Any: ...
@overload
def queue_lines(
    *, calls: _Arg, interval: _Arg, agents: _Arg, aht: _Arg, blocking: _Arg, patience: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ...,
    out: Any = ...
) -> Any: ...
@overload
def answered_wait(
    traffic: _Arg, agents: _Arg, aht: _Arg, *, patience: _Arg | None = ..., lines: _Arg | None = ..., redial: _Arg | None = ..., out: Any = ...
) -> Any: ...
@overload
def answered_wait(*, calls: _Arg, interval: _Arg, agents: _Arg, aht: _Arg, patience: _Arg | None = ..., lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., out: Any = ...) -> Any: ...

class ErlangX(NamedTuple):
    blocking: Any
    wait_probability: Any
    abandon_probability: Any
    average_wait: Any
    answered_wait: Any
    occupancy: Any
    service_level: Any
    attempts_traffic: Any
    callers_lost: Any

@overload
def erlang_x(
    traffic: _Arg, agents: _Arg, aht: _Arg, *, patience: _Arg | None = ..., lines: _Arg | None = ..., redial: _Arg | None = ...,
    target_time: _Arg | None = ..., basis: _Basis | _Arg = ..., out: Any = ...
) -> ErlangX: ...
@overload
def erlang_x(
    *, calls: _Arg, interval: _Arg, agents: _Arg, aht: _Arg, patience: _Arg | None = ..., lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ..., target_time: _Arg | None = ..., basis: _Basis | _Arg = ...,
    out: Any = ...
) -> ErlangX: ...
# At least one target.
def capacity(
    agents: _Arg, aht: _Arg, *, patience: _Arg | None = ..., lines: _Arg | None = ..., redial: _Arg | None = ...,
    target_time: _Arg | None = ..., service_level: _Arg | None = ...,
    average_wait: _Arg | None = ..., answered_wait: _Arg | None = ...,
    max_abandon: _Arg | None = ..., max_blocking: _Arg | None = ..., basis: _Basis | _Arg = ..., out: Any = ...
) -> Any: ...

class Staffing(NamedTuple):
    on_phones: Any
    scheduled: Any
    decided_by: Any  # a target's keyword, or "max_occupancy"
    blocking: Any
    wait_probability: Any
    abandon_probability: Any
    average_wait: Any
    answered_wait: Any
    occupancy: Any
    service_level: Any
    attempts_traffic: Any
    callers_lost: Any

# At least one target.
@overload
def staffing(
    traffic: _Arg, aht: _Arg, *, patience: _Arg | None = ..., lines: _Arg | None = ..., redial: _Arg | None = ...,
    target_time: _Arg | None = ..., service_level: _Arg | None = ...,
    average_wait: _Arg | None = ..., answered_wait: _Arg | None = ...,
    max_abandon: _Arg | None = ..., max_blocking: _Arg | None = ..., basis: _Basis | _Arg = ..., shrinkage: _Arg | None = ..., max_occupancy: _Arg | None = ..., out: Any = ...
) -> Staffing: ...
@overload
def staffing(
    *, calls: _Arg, interval: _Arg, aht: _Arg, patience: _Arg | None = ..., lines: _Arg | None = ..., redial: _Arg | None = ..., variance: _Arg | None = ...,
    target_time: _Arg | None = ..., service_level: _Arg | None = ...,
    average_wait: _Arg | None = ..., answered_wait: _Arg | None = ...,
    max_abandon: _Arg | None = ..., max_blocking: _Arg | None = ..., basis: _Basis | _Arg = ..., shrinkage: _Arg | None = ..., max_occupancy: _Arg | None = ..., out: Any = ...
) -> Staffing: ...

# --- Call records (corvane/_records.py) -------------------------------------------
import datetime
import os
from collections.abc import Iterable, Sequence

_Path = str | os.PathLike[str]
_Format = Literal["auto", "asterisk", "freeswitch", "cucm", "csv"]
_Holding = Literal["seizure", "answered"]
_Day = str | datetime.date
_ClockTime = str | datetime.time

class RefusedRowsWarning(UserWarning): ...

class Records:
    @property
    def reading(self) -> dict[str, Any]: ...
    def __add__(self, other: Records) -> Records: ...
    def __radd__(self, other: Literal[0]) -> Records: ...
    # pandas DataFrames indexed by time, tz-aware.
    def periods(
        self, *, from_: _Day | None = ..., to: _Day | None = ..., normal_days: int = ..., high_days: int = ...,
        blocking: float = ..., high_blocking: float = ..., lines: float | None = ..., fixed_hour: _ClockTime | None = ...
    ) -> Any: ...
    def days(
        self, *, from_: _Day | None = ..., to: _Day | None = ..., normal_days: int = ..., high_days: int = ...,
        blocking: float = ..., high_blocking: float = ..., lines: float | None = ..., fixed_hour: _ClockTime | None = ...
    ) -> Any: ...
    def summary(
        self, *, from_: _Day | None = ..., to: _Day | None = ..., normal_days: int = ..., high_days: int = ...,
        blocking: float = ..., high_blocking: float = ..., lines: float | None = ..., fixed_hour: _ClockTime | None = ...
    ) -> dict[str, Any]: ...

def read_records(
    path: _Path | Sequence[_Path], /, *, format: _Format = ..., timezone: str | None = ..., interval: int = ...,
    trunk: str | None = ..., holding: _Holding = ..., start_column: str | None = ..., end_column: str | None = ...,
    duration_column: str | None = ..., answer_column: str | None = ..., call_id_column: str | None = ...,
    time_format: str | None = ..., strict: bool = ..., window: int = ..., jobs: int = ...
) -> Records: ...
def merge_records(values: Iterable[Records]) -> Records: ...
# --- The day carried over (corvane/_day.py) ---------------------------------------
# A method or a start: a word (any case, "-", "_" and a blank the same).
_Plan = Literal["transient", "stationary", "lagged"]
_Start = Literal["empty", "periodic"]

class DayPlan(NamedTuple):
    agents: npt.NDArray[np.int64]
    scheduled: npt.NDArray[np.int64]
    service_level: npt.NDArray[np.float64]
    abandon_probability: npt.NDArray[np.float64]
    blocking: npt.NDArray[np.float64]
    average_wait: npt.NDArray[np.float64]
    occupancy: npt.NDArray[np.float64]
    queue_at_end: npt.NDArray[np.float64]
    stationary_agents: npt.NDArray[np.int64]
    error: npt.NDArray[np.object_]
    phone_hours: float
    scheduled_hours: float
    day_service_level: float
    missed: npt.NDArray[np.int64]
    periodic_days: int

@overload
def day(
    calls: list[float] | npt.NDArray[Any], *, interval: float, aht: float, patience: float | None = ...,
    lines: float | None = ..., target_time: float | None = ..., service_level: float | None = ...,
    average_wait: float | None = ..., shrinkage: float | None = ..., max_occupancy: float | None = ...,
    method: _Plan | str | None = ..., start: _Start | str | None = ..., agents: _Arg | None = ...
) -> DayPlan: ...
@overload
def day(
    calls: Any, *, interval: float, aht: float, patience: float | None = ...,
    lines: float | None = ..., target_time: float | None = ..., service_level: float | None = ...,
    average_wait: float | None = ..., shrinkage: float | None = ..., max_occupancy: float | None = ...,
    method: _Plan | str | None = ..., start: _Start | str | None = ..., agents: Any = ...
) -> Any: ...  # a pandas DataFrame for a Series of calls
# corvane.shifts: shifts with their breaks from the agents or calls of each
# period (the room shifts/), not a NumPy function.
class Shifts(NamedTuple):
    shifts: Any  # a pandas DataFrame: shift, start, end, breaks, agents
    coverage: Any  # a pandas DataFrame, one row a period
    status: Literal["optimal", "feasible"]
    gap: float
    cost: float
    agents: int
    paid_hours: float
    short_periods: int
    short: int
    service_level: float
    seconds: float

def shifts(
    requirements: Any,
    templates: Any,
    objective: Literal["cover", "service"] = ...,
    *,
    shortage_cost: float | None = ...,
    time_limit: float = ...,
    cyclic: bool = ...,
    interval: int | None = ...,
    service_level: float | None = ...,
    min_service_level: float | None = ...,
    aht: float | None = ...,
    target_time: float | None = ...,
    patience: float | None = ...,
    lines: int | None = ...,
    redial: float | None = ...,
    basis: _Basis = ...,
) -> Shifts: ...
