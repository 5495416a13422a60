"""The docstrings of corvane's functions, by name; each example is tested.

Reals are shown to 12 digits and an ellipsis: the engine answers to 1e-12.
Each argument's domain is the words of the rule that refuses it, from the
engine's registry (teletraffic/arguments.h), as its DomainError says it.
"""

from . import _engine

# The registry's rules by name: "erlangs" is "a number of erlangs from 0 to 1e9".
R = _engine.rules

_COMMON = """
Every argument may be a number, an array, a pandas Series or DataFrame; they
broadcast as in NumPy (Series align on their labels, a missing value giving a
missing answer), and ``out=`` takes an array to write the result into.
An argument outside its domain raises DomainError (a ValueError) naming it,
its value and, for an array, the first such element's index; under
``corvane.errstate(domain="ignore")`` (or ``"warn"``) such elements give NaN
instead."""
_TRAFFIC = f"traffic : erlangs offered, {R['erlangs']}."
_LINES = f"lines : number of lines, whole or fractional, {R['count']}."
_BLOCKING = f"blocking : blocking target, a probability {R['blocking']}."
_RECALL = f"recall : share of blocked callers who try again, {R['share']}."
_AGENTS = f"agents : number of agents, whole or fractional, {R['count']}, more than the traffic."
_AHT = f"aht : average handling time of a call, {R['duration']}, in any unit of time."
_TARGET = f"target_time : time within which a call should be answered, {R['time_from_zero']}, unit of aht."
_LEVEL = f"service_level : share of calls to answer within target_time, {R['share']}."
_PATIENCE = (
    f"patience : mean time a caller waits before hanging up, {R['duration']}, unit of aht;\n"
    "    inf for callers who never hang up (Erlang C, with its domain)."
)
_WAIT = f"average_wait : the most the mean wait over all callers may be, {R['duration']}, unit of aht."
_SCHEDULE_ARGS = [
    f"agents : the agents the service target needs, {R['whole_count']}.",
    _TRAFFIC,
    f"shrinkage : share of paid time agents are off the phones, {R['share']}.",
    f"max_occupancy : the most carried traffic per agent, {R['occupancy_cap']}.",
]
_SCHEDULE = (
    "Schedule(on_phones, scheduled, by_occupancy), a named tuple of int64: agents on\n"
    "    the phones (raised until the occupancy is at most the cap), agents to schedule,\n"
    "    ceil(on_phones / (1 - shrinkage)), and 1 where the cap decided, else 0. Both\n"
    "    factors are taken as the shortest decimal that reads back as the value given.\n"
    "    float64 where errors give NaN."
)
_SOURCES = f"sources : number of sources, {R['sources']}."
_LOAD = (
    "traffic | intended_traffic | idle_source_traffic : the load, exactly one, keyword only:\n"
    "    erlangs offered (call attempts x holding time), erlangs offered were none\n"
    "    blocked, or the erlangs one idle source offers."
)
_MEAN = f"mean : mean of the overflow traffic, {R['erlangs']}."
_VARIANCE = f"variance : its variance, {R['number_from_zero']}, at least the mean (smooth traffic is refused)."
_METHOD = (
    "method : 'ert' (Wilkinson's equivalent random, the default) or 'hayward'\n"
    "    (Fredericks and Hayward), keyword only."
)
_ENGSET = (
    "Engset(time_congestion, call_congestion, traffic_congestion, carried, traffic,\n"
    "    intended_traffic, idle_source_traffic), a named tuple of float64: the share of\n"
    "    time all lines are busy, of call attempts blocked, of intended traffic lost;\n"
    "    then erlangs carried, offered, intended, and offered by one idle source."
)

# The Erlang X keywords, each keyword only; without them a function answers
# as it always has.
_X_LINES = (
    "lines : calls the centre holds at once, answered or waiting (its trunks),\n"
    f"    {R['centre_lines']}, at least the agents (then whole); an attempt finding them all busy is blocked,\n"
    "    and every share is over the attempts accepted. Default: no limit."
)
_X_REDIAL = (
    "redial : share of blocked and abandoning attempts that call again,\n"
    f"    {R['share']}; the redials join the fresh calls. Default 0."
)
_X_CALLS = (
    "calls, interval : in place of traffic, the calls forecast for an interval of\n"
    f"    `interval` minutes ({R['number_from_zero']}; {R['minutes']}), aht then in\n"
    "    seconds: traffic = calls * aht / (interval * 60).\n"
    "    The other arguments are then given by keyword."
)
_X_VARIANCE = (
    f"variance : variance of the forecast's count of calls, {R['number_from_zero']}, at\n"
    "    least `calls` (needs\n"
    "    calls=; above the calls needs lines or a patience): the fresh call rate is then\n"
    "    Gamma distributed, and every share a ratio of expected counts."
)
_X_BASIS = (
    "basis : what the service level is a share of: 'offered' (default: answered within\n"
    "    target_time over all accepted attempts), 'answered' (over those answered),\n"
    "    'excluding_short_abandons' (over the accepted less those who hang up within\n"
    "    target_time) or 'virtual' (those whose wait to an agent is within target_time,\n"
    "    patience aside); read in any case with '-', '_' and a blank the same, and an\n"
    "    array or Series of them gives each element its own."
)
_X_PATIENCE = (
    f"patience : mean time a caller waits before hanging up, {R['duration']}, unit of aht;\n"
    "    keyword only. Default: callers never hang up."
)
_X_MODEL = [_X_LINES, _X_REDIAL, _X_CALLS, _X_VARIANCE]
_X_TARGETS = [
    f"target_time : time within which a call should be answered, {R['time_from_zero']}, unit\n"
    "    of aht (0 when not given).",
    f"service_level : at least this share answered within target_time, {R['share']}\n"
    "    (needs target_time=).",
    "average_wait : at most this mean wait over accepted attempts, those who hang up until\n"
    f"    they do, {R['duration']}, unit of aht.",
    f"answered_wait : at most this mean wait of the answered calls (the ASA an ACD reports),\n"
    f"    {R['duration']}.",
    f"max_abandon : at most this share of accepted attempts hang up, {R['open_share']}\n"
    "    (needs patience=).",
    f"max_blocking : at most this share of attempts blocked, {R['open_share']}\n"
    "    (needs lines=). The other targets' figures all fall as the agents grow; the\n"
    "    blocking need not: where callers hang up sooner than a call lasts (patience below\n"
    "    aht) more agents on the same lines may block more, and the agents are the fewest\n"
    "    meeting every target all the same.",
]
_ANSWERED = f"answered_wait : at most this mean wait of the answered calls, {R['duration']}; keyword only."
_MAX_ABANDON = f"max_abandon : at most this share of accepted attempts hang up, {R['open_share']}; keyword only."
_MAX_BLOCKING = f"max_blocking : at most this share of attempts blocked, {R['open_share']} (needs lines=); keyword only."
_FIGURES = (
    "blocking, the share of attempts blocked; wait_probability and\n"
    "    abandon_probability, the shares of accepted attempts that wait and that hang up;\n"
    "    average_wait and answered_wait, the mean wait over the accepted and over the\n"
    "    answered (unit of aht); occupancy, the carried traffic per agent; service_level, at\n"
    "    target_time on the basis; attempts_traffic, the erlangs fresh calls and redials\n"
    "    offer; callers_lost, the share of fresh callers never answered, redials and all."
)


# corvane.shifts: not a NumPy function, a whole schedule.
_SHIFTS = f"""Shifts people can work, with their breaks, optimal: from the agents each
period needs (objective 'cover') or its calls ('service') and the shift
templates, a schedule of least cost, solved as a mixed-integer programme by
CBC with the breaks placed inside it. The solve runs without the GIL, and
Ctrl-C (KeyboardInterrupt) stops it.

Parameters
----------
requirements : a pandas Series of agents or calls indexed by period start ('07:30',
    'mon 07:30', a time or a timestamp), or a DataFrame with columns start (and day)
    and agents or calls; every period from the first to the last once, on one grid.
templates : the shift templates, as the command line's JSON holds them (a list of
    dicts, or {{"shifts": [...]}}), or the path of such a file.
objective : 'cover' (default: every period its agents on the phones, the fewest
    agent-periods short first where no shift can) or 'service' (the horizon's
    service level, calls-weighted, at least service_level).
shortage_cost : cover: each agent-period short priced in the cost instead,
    {R['shortage_cost']}.
time_limit : seconds the solve may take, {R['time_limit']} (default 60); the best
    schedule found by then, with its gap.
cyclic : the horizon (a whole day or week) repeats, a shift past its end covering its
    start; {R['flag']} (default False).
interval : minutes a period lasts, {R['grid_interval']}, dividing a day; by default
    the gap between the periods.
service_level : service: the horizon's level at least this, {R['share']}.
min_service_level : service: no period with calls below this, {R['share']}
    (default half service_level; 0 lets the phones close in a busy period).
aht : service: average handling time, {R['seconds']}.
target_time : service: time within which to answer, {R['seconds_from_zero']}.
patience : service: mean time a caller waits before hanging up, in seconds,
    {R['centre_patience']} (Erlang A).
lines : service: calls the centre holds at once, {R['centre_lines']} (Erlang X).
redial : service: share of blocked and abandoning callers who call again, {R['share']}.
basis : service: what the level is a share of: 'offered' (default), 'answered',
    'excluding_short_abandons' or 'virtual'.

Returns
-------
Shifts(shifts, coverage, status, gap, cost, agents, paid_hours, short_periods, short,
    service_level, seconds), a named tuple: shifts a DataFrame of the groups of
    agents working the same shift (shift, start, end, breaks, agents), coverage one
    row a period (start, required or calls, on_phones, on_break, over, short,
    service_level under service); status 'optimal' or 'feasible' with its gap.
    A bad row, template or option raises ValueError naming it (DomainError for a
    value outside its domain); no schedule at all, RuntimeError.

Example
-------
>>> import pandas as pd
>>> need = pd.Series([2, 3, 3, 2], index=["08:00", "08:30", "09:00", "09:30"])
>>> plan = corvane.shifts(need, [{{"name": "short", "start": {{"earliest": "08:00",
...     "latest": "09:00"}}, "length": "1:00"}}])
>>> plan.shifts
   shift  start    end breaks  agents
0  short  08:00  09:00              2
1  short  08:30  09:30              1
2  short  09:00  10:00              2
>>> plan.status, plan.cost
('optimal', 5.0)
"""


def _doc(summary, parameters, returns, example):
    listed = "\n".join(parameters)
    return (
        f"{summary}\n\nParameters\n----------\n{listed}\n\nReturns\n-------\n{returns}\n"
        f"{_COMMON}\n\nExample\n-------\n{example}\n"
    )


DOCS = {
    "erlang_b": _doc(
        "Erlang B blocking probability of `lines` offered `traffic` erlangs.",
        [_TRAFFIC, _LINES],
        "float64: the share of calls blocked, 0 to 1. No lines block everything (1);\n"
        "    no traffic is never blocked (0). Below the double range it is 0: see log_erlang_b.",
        ">>> corvane.erlang_b(traffic=10, lines=18)\n0.00714243815789...",
    ),
    "log_erlang_b": _doc(
        "Natural logarithm of the Erlang B blocking, finite however small the blocking.",
        [_TRAFFIC, _LINES],
        "float64: log B, accurate to 1e-12 relative of the logarithm; -inf for no traffic.",
        ">>> corvane.log_erlang_b(traffic=1, lines=1000)\n-5913.12817848...",
    ),
    "erlang_b_lines": _doc(
        "Smallest whole number of lines whose Erlang B blocking meets a target.",
        [_TRAFFIC, _BLOCKING],
        "int64: lines, exact (ties to the last bit decided on the true blocking);\n"
        "    0 for no traffic. float64 where errors give NaN.",
        ">>> corvane.erlang_b_lines(traffic=10, blocking=0.01)\n18",
    ),
    "erlang_b_traffic": _doc(
        "Largest traffic `lines` carry at a blocking of `blocking` (Erlang B).",
        [_LINES, _BLOCKING],
        "float64: erlangs offered whose blocking equals the target; 0 for 0 lines.",
        ">>> corvane.erlang_b_traffic(lines=18, blocking=0.01)\n10.4368810513...",
    ),
    "extended_erlang_b": _doc(
        "Extended Erlang B: blocking when a share of blocked callers tries again.",
        [_TRAFFIC, _LINES, _RECALL],
        "Retrial(offered, blocking), a named tuple of float64: the traffic offered\n"
        "    with the retries, A* = A + recall A* B(A*, N), in erlangs, and the blocking\n"
        "    B(A*, N) each attempt meets.",
        ">>> corvane.extended_erlang_b(traffic=10, lines=15, recall=0.5)\n"
        "Retrial(offered=10.2076522100..., blocking=0.0406855965979...)",
    ),
    "extended_erlang_b_lines": _doc(
        "Smallest whole number of lines meeting a blocking target when blocked callers retry.",
        [_TRAFFIC, _BLOCKING, _RECALL],
        "int64: lines whose blocking at the retrial fixed point is at most the target.\n"
        "    float64 where errors give NaN.",
        ">>> corvane.extended_erlang_b_lines(traffic=10, blocking=0.01, recall=0.5)\n18",
    ),
    "extended_erlang_b_traffic": _doc(
        "Largest fresh traffic (retries not counted) `lines` carry at a blocking target.",
        [_LINES, _BLOCKING, _RECALL],
        "float64: erlangs, erlang_b_traffic(lines, blocking) * (1 - recall * blocking).",
        ">>> corvane.extended_erlang_b_traffic(lines=18, blocking=0.01, recall=0.5)\n"
        "10.3846966461...",
    ),
    "erlang_c": _doc(
        "Erlang C: probability that a caller waits for one of `agents`.",
        [_TRAFFIC, _AGENTS, f"aht : average handling time, {R['duration']}, keyword only: with calls= alone."]
        + _X_MODEL,
        "float64: the share of callers who wait at all, 0 to 1.",
        ">>> corvane.erlang_c(traffic=10, agents=12)\n0.449388224298...",
    ),
    "service_level": _doc(
        "Erlang C: share of callers answered within `target_time`.",
        [_TRAFFIC, _AGENTS, _AHT, _TARGET] + _X_MODEL + [_X_BASIS],
        "float64: the service level, 0 to 1.",
        ">>> corvane.service_level(traffic=10, agents=12, aht=180, target_time=20)\n"
        "0.640158040374...",
    ),
    "average_wait": _doc(
        "Erlang C: average speed of answer, the mean wait over all callers.",
        [_TRAFFIC, _AGENTS, _AHT] + _X_MODEL,
        "float64: the mean wait, in the unit of aht.",
        ">>> corvane.average_wait(traffic=10, agents=12, aht=180)\n40.4449401868...",
    ),
    "agents": _doc(
        "Erlang C: smallest whole number of agents that reaches a service level.",
        [
            _TRAFFIC,
            _AHT,
            _TARGET,
            _LEVEL,
        ]
        + _X_MODEL
        + [_X_BASIS, _ANSWERED, _MAX_BLOCKING],
        "int64: agents, more than the traffic (0 for no traffic), exact.\n"
        "    float64 where errors give NaN.",
        ">>> corvane.agents(traffic=10, aht=180, target_time=20, service_level=0.8)\n14",
    ),
    "agents_for_wait": _doc(
        "Erlang C: smallest whole number of agents whose average wait is at most a target.",
        [_TRAFFIC, _AHT, _WAIT] + _X_MODEL + [_ANSWERED, _MAX_BLOCKING],
        "int64: agents, more than the traffic (0 for no traffic), exact.\n"
        "    float64 where errors give NaN.",
        ">>> corvane.agents_for_wait(traffic=10, aht=180, average_wait=20)\n13",
    ),
    "erlang_a": _doc(
        "Erlang A (M/M/N+M): waiting and hanging up when callers have limited patience.",
        [_TRAFFIC, f"agents : number of agents, whole or fractional, {R['count']} (may be below the "
         "traffic).", _AHT, _PATIENCE] + _X_MODEL,
        "Abandonment(wait_probability, abandon_probability, average_wait, occupancy), a\n"
        "    named tuple of float64: the share of callers who wait, who hang up, the mean\n"
        "    wait over all callers (unit of aht), and the carried traffic per agent.",
        ">>> corvane.erlang_a(traffic=10, agents=12, aht=180, patience=300)\n"
        "Abandonment(wait_probability=0.331802035543..., abandon_probability=0.0427111056986...,"
        " average_wait=12.8133317095..., occupancy=0.797740745251...)",
    ),
    "erlang_a_service_level": _doc(
        "Erlang A: share of all callers answered within `target_time`.",
        [_TRAFFIC, f"agents : number of agents, whole or fractional, {R['count']}.", _AHT, _PATIENCE,
         _TARGET] + _X_MODEL + [_X_BASIS],
        "float64: the service level, 0 to 1; callers who hang up count as not answered.",
        ">>> corvane.erlang_a_service_level(traffic=10, agents=12, aht=180, patience=300,"
        " target_time=20)\n0.772279307715...",
    ),
    "erlang_a_agents": _doc(
        "Erlang A: smallest whole number of agents that reaches a service level.",
        [_TRAFFIC, _AHT, _PATIENCE, _TARGET, _LEVEL] + _X_MODEL
        + [_X_BASIS, _ANSWERED, _MAX_ABANDON, _MAX_BLOCKING],
        "int64: agents, 0 for no traffic, otherwise 1 or more, exact.\n"
        "    float64 where errors give NaN.",
        ">>> corvane.erlang_a_agents(traffic=10, aht=180, patience=300, target_time=20,"
        " service_level=0.8)\n13",
    ),
    "erlang_a_agents_for_wait": _doc(
        "Erlang A: smallest whole number of agents meeting an average-wait target.",
        [_TRAFFIC, _AHT, _PATIENCE, _WAIT] + _X_MODEL + [_ANSWERED, _MAX_ABANDON, _MAX_BLOCKING],
        "int64: agents, 0 for no traffic, otherwise 1 or more, exact.\n"
        "    float64 where errors give NaN.",
        ">>> corvane.erlang_a_agents_for_wait(traffic=10, aht=180, patience=300,"
        " average_wait=20)\n12",
    ),
    "schedule_agents": _doc(
        "Erlang C staffing factors: the agents to schedule from those a service target needs.",
        _SCHEDULE_ARGS,
        _SCHEDULE,
        ">>> corvane.schedule_agents(agents=84, traffic=70, shrinkage=0.2, max_occupancy=1)\n"
        "Schedule(on_phones=84, scheduled=105, by_occupancy=0)",
    ),
    "erlang_a_schedule_agents": _doc(
        "Erlang A staffing factors: as schedule_agents, the occupancy from the carried traffic.",
        _SCHEDULE_ARGS[:2] + [_AHT, _PATIENCE] + _SCHEDULE_ARGS[2:],
        _SCHEDULE,
        ">>> corvane.erlang_a_schedule_agents(agents=13, traffic=10, aht=180, patience=300,"
        " shrinkage=0.3, max_occupancy=0.85)\n"
        "Schedule(on_phones=13, scheduled=19, by_occupancy=0)",
    ),
    "engset": _doc(
        "Engset: blocking when `sources` share `lines` and a busy source offers nothing.",
        [_SOURCES, f"lines : number of lines, {R['source_lines']}, at most the sources.", _LOAD],
        _ENGSET,
        ">>> corvane.engset(sources=20, lines=5, idle_source_traffic=0.1).call_congestion\n"
        "0.0191159450786...",
    ),
    "engset_lines": _doc(
        "Engset: smallest whole number of lines whose call congestion meets a target.",
        [_SOURCES, _BLOCKING, _LOAD],
        "int64: lines, exact.\n    float64 where errors give NaN.",
        ">>> corvane.engset_lines(sources=20, blocking=0.01, intended_traffic=2)\n6",
    ),
    "engset_traffic": _doc(
        "Engset: the traffic at which `lines` meet a call congestion of `blocking`.",
        [_SOURCES, f"lines : number of lines, {R['source_lines']}, fewer than the sources.", _BLOCKING],
        _ENGSET,
        ">>> corvane.engset_traffic(sources=20, lines=5, blocking=0.01).traffic\n"
        "1.53033246038...",
    ),
    "overflow": _doc(
        "Riordan's moments of the traffic that overflows `lines` offered `traffic`.",
        [_TRAFFIC, _LINES],
        "Overflow(mean, variance, peakedness), a named tuple of float64: erlangs\n"
        "    overflowing, their variance, and variance / mean (1 where nothing overflows).",
        ">>> corvane.overflow(traffic=10, lines=12)\n"
        "Overflow(mean=1.19739188444..., variance=2.61634908987...,"
        " peakedness=2.18503993876...)",
    ),
    "equivalent_random": _doc(
        "Wilkinson's equivalent random traffic: the traffic and lines whose overflow has "
        "this mean and variance.",
        [_MEAN, _VARIANCE],
        "EquivalentRandom(traffic, lines), a named tuple of float64: erlangs, and lines\n"
        "    (fractional).",
        ">>> corvane.equivalent_random(mean=3, variance=6)\n"
        "EquivalentRandom(traffic=11.3222330134..., lines=10.1527912667...)",
    ),
    "overflow_blocking": _doc(
        "Traffic lost when an overflow stream is offered `lines` further lines.",
        [_MEAN, _VARIANCE, _LINES, _METHOD],
        "OverflowLoss(lost, blocking), a named tuple of float64: erlangs lost, and\n"
        "    lost / mean.",
        ">>> corvane.overflow_blocking(mean=3, variance=6, lines=5, method='hayward')\n"
        "OverflowLoss(lost=0.627172641432..., blocking=0.209057547144...)",
    ),
    "overflow_lines": _doc(
        "Smallest whole number of further lines an overflow stream needs for a blocking target.",
        [_MEAN, _VARIANCE, _BLOCKING, _METHOD],
        "int64: lines, exact.\n    float64 where errors give NaN.",
        ">>> corvane.overflow_lines(mean=3, variance=6, blocking=0.01)\n12",
    ),
    "offered_traffic": _doc(
        "The traffic offered to `lines` that carry `carried` erlangs: A (1 - B(A, N)) = carried.",
        [f"carried : erlangs carried, {R['erlangs']}, below the lines.", _LINES],
        "float64: erlangs offered.",
        ">>> corvane.offered_traffic(carried=8, lines=10)\n10.4736504294...",
    ),
    "queue_blocking": _doc(
        "Erlang X: share of call attempts that find all `lines` busy (a busy tone).",
        [_TRAFFIC, f"agents : number of agents, {R['whole_count']}, at most the lines.", _AHT,
         "lines : calls the centre holds at once, answered or waiting,\n"
         f"    {R['centre_lines']}, at least the agents.", _X_PATIENCE, _X_REDIAL, _X_CALLS, _X_VARIANCE],
        "float64: the blocking, 0 to 1.",
        ">>> corvane.queue_blocking(traffic=10, agents=12, aht=180, lines=14)\n"
        "0.0702931464950...",
    ),
    "queue_lines": _doc(
        "Erlang X: smallest whole number of lines, at least the agents, meeting a blocking target.",
        [_TRAFFIC, f"agents : number of agents, whole or fractional, {R['count']}.", _AHT,
         f"blocking : the most share of attempts blocked, {R['open_share']}.", _X_PATIENCE,
         _X_REDIAL, _X_CALLS, _X_VARIANCE],
        "int64: lines, exact. Where nobody hangs up and the agents are fewer than the\n"
        "    traffic, a target no number of lines meets is refused. float64 where errors give NaN.",
        ">>> corvane.queue_lines(traffic=10, agents=12, aht=180, blocking=0.01)\n24",
    ),
    "answered_wait": _doc(
        "Erlang X: mean wait of the answered calls (the average speed of answer an ACD reports).",
        [_TRAFFIC, f"agents : number of agents, whole or fractional, {R['count']}.", _AHT,
         _X_PATIENCE] + _X_MODEL,
        "float64: the mean wait, unit of aht; unlike average_wait, those who hang up are\n"
        "    left out.",
        ">>> corvane.answered_wait(traffic=10, agents=12, aht=180, patience=300)\n"
        "11.8614194714...",
    ),
    "erlang_x": _doc(
        "Erlang X: every figure of `agents` offered `traffic` erlangs, with lines, hang-ups,\n"
        "redials and a forecast's variance.",
        [_TRAFFIC, f"agents : number of agents, whole or fractional, {R['count']}.", _AHT,
         _X_PATIENCE] + _X_MODEL + _X_TARGETS[:1] + [_X_BASIS],
        "ErlangX, a named tuple of float64:\n    " + _FIGURES,
        ">>> corvane.erlang_x(traffic=10, agents=12, aht=180, patience=300, lines=16,"
        " redial=0.3).callers_lost\n0.0426303184283...",
    ),
    "capacity": _doc(
        "Erlang X: the largest fresh traffic `agents` take while meeting every target given.",
        [f"agents : number of agents, {R['count']} (whole with lines).", _AHT, _X_PATIENCE, _X_LINES,
         _X_REDIAL] + _X_TARGETS + [_X_BASIS],
        "float64: erlangs, at least one target given. Where lines keep a target met at any\n"
        "    traffic, the others bound it; met at all traffics up to 1e9, refused.",
        ">>> corvane.capacity(agents=12, aht=180, patience=300, target_time=20,"
        " service_level=0.8)\n9.72743910491...",
    ),
    "staffing": _doc(
        "Erlang X staffing in one call: the agents every target given needs, to schedule,\n"
        "what decided them, and every figure at that count.",
        [_TRAFFIC, _AHT, _X_PATIENCE] + _X_MODEL + _X_TARGETS + [
            _X_BASIS,
            f"shrinkage : share of paid time agents are off the phones, {R['share']}.",
            f"max_occupancy : the most carried traffic per agent, {R['occupancy_cap']};\n"
            "    with lines, refused where no count up to them meets it.",
        ],
        "Staffing, a named tuple: on_phones and scheduled, the agents on the phones and\n"
        "    to schedule (int64); decided_by, what decided them: a target's keyword, or\n"
        "    'max_occupancy' ('' where errors give NaN); and at on_phones ErlangX's figures:\n"
        "    " + _FIGURES,
        ">>> corvane.staffing(traffic=10, aht=180, patience=300, lines=16, target_time=20,"
        " service_level=0.8,\n...     max_abandon=0.01, shrinkage=0.3)[:3]\n"
        "(14, 20, 'max_abandon')",
    ),
    "shifts": _SHIFTS,
}
