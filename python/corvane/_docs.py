"""The docstrings of corvane's functions, by name; each example is tested.

Reals are shown to 12 digits and an ellipsis: the engine answers to 1e-12.
"""

_COMMON = """
Every argument may be a number, an array, a pandas Series or DataFrame; they
broadcast as in NumPy (Series align on their labels, a missing value giving a
missing answer), and ``out=`` takes an array to write the result into.
An argument outside its domain raises DomainError (a ValueError) naming it,
its value and, for an array, the first such element's index; under
``corvane.errstate(domain="ignore")`` (or ``"warn"``) such elements give NaN
instead."""
_TRAFFIC = "traffic : erlangs offered, 0 to 1e9."
_LINES = "lines : number of lines, whole or fractional, 0 to 2e9."
_BLOCKING = "blocking : blocking target, a probability from 1e-300 up to but not including 1."
_RECALL = "recall : share of blocked callers who try again, 0 up to but not including 1."
_AGENTS = "agents : number of agents, whole or fractional, more than the traffic (up to 2e9)."
_AHT = "aht : average handling time of a call, greater than 0, in any unit of time."
_TARGET = "target_time : time within which a call should be answered, 0 or more, unit of aht."
_LEVEL = "service_level : share of calls to answer within target_time, 0 up to 1 exclusive."
_PATIENCE = (
    "patience : mean time a caller waits before hanging up, greater than 0, unit of aht;\n"
    "    inf for callers who never hang up (Erlang C, with its domain)."
)
_WAIT = "average_wait : the most the mean wait over all callers may be, greater than 0, unit of aht."
_SCHEDULE_ARGS = [
    "agents : the agents the service target needs, a whole number, 0 to 2e9.",
    _TRAFFIC,
    "shrinkage : share of paid time agents are off the phones, 0 up to 1 exclusive.",
    "max_occupancy : the most carried traffic per agent, greater than 0, at most 1.",
]
_SCHEDULE = (
    "Schedule(on_phones, scheduled, by_occupancy), a named tuple of int64: agents on\n"
    "    the phones (raised until the occupancy is at most the cap), agents to schedule,\n"
    "    ceil(on_phones / (1 - shrinkage)), and 1 where the cap decided, else 0. Both\n"
    "    factors are taken as the shortest decimal that reads back as the value given.\n"
    "    float64 where errors give NaN."
)
_SOURCES = "sources : number of sources, whole, 1 to 1e9."
_LOAD = (
    "traffic | intended_traffic | idle_source_traffic : the load, exactly one, keyword only:\n"
    "    erlangs offered (call attempts x holding time), erlangs offered were none\n"
    "    blocked, or the erlangs one idle source offers."
)
_MEAN = "mean : mean of the overflow traffic, in erlangs, 0 to 1e9."
_VARIANCE = "variance : its variance, at least the mean (smooth traffic is refused)."
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
        [_TRAFFIC, _AGENTS],
        "float64: the share of callers who wait at all, 0 to 1.",
        ">>> corvane.erlang_c(traffic=10, agents=12)\n0.449388224298...",
    ),
    "service_level": _doc(
        "Erlang C: share of callers answered within `target_time`.",
        [_TRAFFIC, _AGENTS, _AHT, _TARGET],
        "float64: the service level, 0 to 1.",
        ">>> corvane.service_level(traffic=10, agents=12, aht=180, target_time=20)\n"
        "0.640158040374...",
    ),
    "average_wait": _doc(
        "Erlang C: average speed of answer, the mean wait over all callers.",
        [_TRAFFIC, _AGENTS, _AHT],
        "float64: the mean wait, in the unit of aht.",
        ">>> corvane.average_wait(traffic=10, agents=12, aht=180)\n40.4449401868...",
    ),
    "agents": _doc(
        "Erlang C: smallest whole number of agents that reaches a service level.",
        [
            _TRAFFIC,
            _AHT,
            _TARGET,
            "service_level : share of calls to answer within target_time, 0 up to 1 exclusive.",
        ],
        "int64: agents, more than the traffic (0 for no traffic), exact.\n"
        "    float64 where errors give NaN.",
        ">>> corvane.agents(traffic=10, aht=180, target_time=20, service_level=0.8)\n14",
    ),
    "agents_for_wait": _doc(
        "Erlang C: smallest whole number of agents whose average wait is at most a target.",
        [_TRAFFIC, _AHT, _WAIT],
        "int64: agents, more than the traffic (0 for no traffic), exact.\n"
        "    float64 where errors give NaN.",
        ">>> corvane.agents_for_wait(traffic=10, aht=180, average_wait=20)\n13",
    ),
    "erlang_a": _doc(
        "Erlang A (M/M/N+M): waiting and hanging up when callers have limited patience.",
        [_TRAFFIC, "agents : number of agents, whole or fractional, 0 to 2e9 (may be below the "
         "traffic).", _AHT, _PATIENCE],
        "Abandonment(wait_probability, abandon_probability, average_wait, occupancy), a\n"
        "    named tuple of float64: the share of callers who wait, who hang up, the mean\n"
        "    wait over all callers (unit of aht), and the carried traffic per agent.",
        ">>> corvane.erlang_a(traffic=10, agents=12, aht=180, patience=300)\n"
        "Abandonment(wait_probability=0.331802035543..., abandon_probability=0.0427111056986...,"
        " average_wait=12.8133317095..., occupancy=0.797740745251...)",
    ),
    "erlang_a_service_level": _doc(
        "Erlang A: share of all callers answered within `target_time`.",
        [_TRAFFIC, "agents : number of agents, whole or fractional, 0 to 2e9.", _AHT, _PATIENCE,
         _TARGET],
        "float64: the service level, 0 to 1; callers who hang up count as not answered.",
        ">>> corvane.erlang_a_service_level(traffic=10, agents=12, aht=180, patience=300,"
        " target_time=20)\n0.772279307715...",
    ),
    "erlang_a_agents": _doc(
        "Erlang A: smallest whole number of agents that reaches a service level.",
        [_TRAFFIC, _AHT, _PATIENCE, _TARGET, _LEVEL],
        "int64: agents, 0 for no traffic, otherwise 1 or more, exact.\n"
        "    float64 where errors give NaN.",
        ">>> corvane.erlang_a_agents(traffic=10, aht=180, patience=300, target_time=20,"
        " service_level=0.8)\n13",
    ),
    "erlang_a_agents_for_wait": _doc(
        "Erlang A: smallest whole number of agents meeting an average-wait target.",
        [_TRAFFIC, _AHT, _PATIENCE, _WAIT],
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
        [_SOURCES, "lines : number of lines, whole, 0 to the sources.", _LOAD],
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
        [_SOURCES, "lines : number of lines, whole, fewer than the sources.", _BLOCKING],
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
        ["carried : erlangs carried, 0 up to the lines exclusive.", _LINES],
        "float64: erlangs offered.",
        ">>> corvane.offered_traffic(carried=8, lines=10)\n10.4736504294...",
    ),
}
