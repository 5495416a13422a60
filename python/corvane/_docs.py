"""The docstrings of corvane's functions, by name; each example is tested."""

_COMMON = """
Every argument may be a number, an array or a pandas Series; they broadcast
as in NumPy, and ``out=`` takes an array to write the result into.
An argument outside its domain raises DomainError (a ValueError) naming it,
its value and, for an array, the first such element's index; under
``corvane.errstate(domain="nan")`` such elements give NaN instead."""

_TRAFFIC = "traffic : erlangs offered, 0 to 1e9."
_LINES = "lines : number of lines, whole or fractional, 0 to 2e9."
_BLOCKING = "blocking : blocking target, a probability from 1e-300 up to but not including 1."
_RECALL = "recall : share of blocked callers who try again, 0 up to but not including 1."
_AGENTS = "agents : number of agents, whole or fractional, more than the traffic (up to 2e9)."
_AHT = "aht : average handling time of a call, greater than 0, in any unit of time."
_TARGET = "target_time : time within which a call should be answered, 0 or more, unit of aht."


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
        ">>> corvane.erlang_b(traffic=10, lines=18)\n0.007142438157899826",
    ),
    "log_erlang_b": _doc(
        "Natural logarithm of the Erlang B blocking, finite however small the blocking.",
        [_TRAFFIC, _LINES],
        "float64: log B, accurate to 1e-12 relative of the logarithm; -inf for no traffic.",
        ">>> corvane.log_erlang_b(traffic=1, lines=1000)\n-5913.128178488164",
    ),
    "erlang_b_lines": _doc(
        "Smallest whole number of lines whose Erlang B blocking meets a target.",
        [_TRAFFIC, _BLOCKING],
        "int64: lines, exact (ties to the last bit decided on the true blocking);\n"
        "    0 for no traffic. float64 under errstate(domain='nan').",
        ">>> corvane.erlang_b_lines(traffic=10, blocking=0.01)\n18",
    ),
    "erlang_b_traffic": _doc(
        "Largest traffic `lines` carry at a blocking of `blocking` (Erlang B).",
        [_LINES, _BLOCKING],
        "float64: erlangs offered whose blocking equals the target; 0 for 0 lines.",
        ">>> corvane.erlang_b_traffic(lines=18, blocking=0.01)\n10.436881051360315",
    ),
    "extended_erlang_b": _doc(
        "Extended Erlang B: blocking when a share of blocked callers tries again.",
        [_TRAFFIC, _LINES, _RECALL],
        "Retrial(offered, blocking), a named tuple of float64: the traffic offered\n"
        "    with the retries, A* = A + recall A* B(A*, N), in erlangs, and the blocking\n"
        "    B(A*, N) each attempt meets.",
        ">>> corvane.extended_erlang_b(traffic=10, lines=15, recall=0.5)\n"
        "Retrial(offered=10.207652210014542, blocking=0.04068559659797534)",
    ),
    "extended_erlang_b_lines": _doc(
        "Smallest whole number of lines meeting a blocking target when blocked callers retry.",
        [_TRAFFIC, _BLOCKING, _RECALL],
        "int64: lines whose blocking at the retrial fixed point is at most the target.\n"
        "    float64 under errstate(domain='nan').",
        ">>> corvane.extended_erlang_b_lines(traffic=10, blocking=0.01, recall=0.5)\n18",
    ),
    "extended_erlang_b_traffic": _doc(
        "Largest fresh traffic (retries not counted) `lines` carry at a blocking target.",
        [_LINES, _BLOCKING, _RECALL],
        "float64: erlangs, erlang_b_traffic(lines, blocking) * (1 - recall * blocking).",
        ">>> corvane.extended_erlang_b_traffic(lines=18, blocking=0.01, recall=0.5)\n"
        "10.384696646103514",
    ),
    "erlang_c": _doc(
        "Erlang C: probability that a caller waits for one of `agents`.",
        [_TRAFFIC, _AGENTS],
        "float64: the share of callers who wait at all, 0 to 1.",
        ">>> corvane.erlang_c(traffic=10, agents=12)\n0.44938822429827113",
    ),
    "service_level": _doc(
        "Erlang C: share of callers answered within `target_time`.",
        [_TRAFFIC, _AGENTS, _AHT, _TARGET],
        "float64: the service level, 0 to 1.",
        ">>> corvane.service_level(traffic=10, agents=12, aht=180, target_time=20)\n"
        "0.640158040374006",
    ),
    "average_wait": _doc(
        "Erlang C: average speed of answer, the mean wait over all callers.",
        [_TRAFFIC, _AGENTS, _AHT],
        "float64: the mean wait, in the unit of aht.",
        ">>> corvane.average_wait(traffic=10, agents=12, aht=180)\n40.4449401868444",
    ),
    "agents": _doc(
        "Erlang C: smallest whole number of agents that reaches a service level.",
        [
            _TRAFFIC,
            _AHT,
            _TARGET,
            "service_level : share of calls to answer within target_time, 0 up to 1 exclusive.",
        ],
        "int64: agents, more than the traffic, exact.\n"
        "    float64 under errstate(domain='nan').",
        ">>> corvane.agents(traffic=10, aht=180, target_time=20, service_level=0.8)\n14",
    ),
}
