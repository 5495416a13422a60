#!/usr/bin/python3
"""Known optima for corvane's shift scheduling, made another way than the room
makes them: every shift with every placement of its breaks as a column of its
own (explicit placements, no break counts, no order rows), the service level
by an assignment of one count to each period (no increments) from Erlang C
in 50 digits (mpmath), solved by SciPy's milp (HiGHS); the smallest instances
also by enumerating every schedule, which must agree. Writes reference.json
beside this script: each instance's requirements, templates, settings and
optimum (cost, agent-periods short).

Run with Debian's interpreter: /usr/bin/python3 make_reference.py
"""
import itertools
import json
import os
import random

import mpmath
import numpy as np
from scipy.optimize import Bounds, LinearConstraint, milp

mpmath.mp.dps = 50
HERE = os.path.dirname(os.path.abspath(__file__))


DAYS = ["mon", "tue", "wed", "thu", "fri", "sat", "sun"]


def clock(minutes):
    minutes %= 1440
    return "%02d:%02d" % (minutes // 60, minutes % 60)


def week_clock(minutes):
    minutes %= 10080
    return DAYS[minutes // 1440] + " " + clock(minutes)


def duration(minutes):
    return "%d:%02d" % (minutes // 60, minutes % 60)


# --- the instance as corvane reads it, and its columns -----------------------

def lengths(t):
    if t["length"]["step"] == 0:
        return [t["length"]["min"]]
    return list(range(t["length"]["min"], t["length"]["max"] + 1, t["length"]["step"]))


def placements(t, length, interval):
    """Every start of every break (minutes from the shift's start), in order."""
    result = []

    def walk(k, free, chosen):
        if k == len(t["breaks"]):
            result.append(tuple(chosen))
            return
        b = t["breaks"][k]
        r = max(b["after"], free)
        while r + b["length"] <= min(b["before"], length):
            walk(k + 1, r + b["length"], chosen + [r])
            r += interval
    walk(0, 0, [])
    return result


def columns(inst):
    """(template, start offset, length, breaks, cost, on-phones vector)."""
    h = inst["horizon"]
    interval, first, periods, cyclic = h["interval"], h["first"], h["periods"], h["cyclic"]
    cycle = 10080 if h.get("week") else 1440
    cols = []
    for ti, t in enumerate(inst["templates"]):
        window = (t["latest"] - t["earliest"]) % 1440
        days = t.get("days", range(7)) if h.get("week") else [0]
        starts = sorted({(d * 1440 + t["earliest"] + c - first) % cycle
                         for d in days for c in range(0, window + 1, t["step"])})
        for offset in starts:
            if not cyclic and offset >= periods * interval:
                continue
            for length in lengths(t):
                if not cyclic and offset + length > periods * interval:
                    continue
                unpaid = sum(b["length"] for b in t["breaks"] if not b.get("paid", True))
                cost = t["cost"] if "cost" in t else (length - unpaid) / 60
                for place in placements(t, length, interval):
                    on = np.zeros(periods)
                    for m in range(0, length, interval):
                        on[((offset + m) // interval) % periods] += 1
                    if not cyclic and offset + length > periods * interval:
                        continue
                    for b, r in zip(t["breaks"], place):
                        for m in range(0, b["length"], interval):
                            on[((offset + r + m) // interval) % periods] -= 1
                    cols.append((ti, offset, length, place, cost, on))
    return cols


# --- Erlang C in 50 digits ------------------------------------------------

def erlang_c_level(calls, interval, agents, aht, target):
    a = mpmath.mpf(calls) * aht / (interval * 60)
    if agents <= 0 or (a > 0 and agents <= a):
        return 0.0
    if a == 0:
        return 1.0
    n = agents
    term = mpmath.mpf(1)
    total = mpmath.mpf(0)
    for k in range(n):
        total += term
        term = term * a / (k + 1)
    top = term * n / (n - a)
    c = top / (total + top)
    return float(1 - c * mpmath.exp(-(n - a) * mpmath.mpf(target) / aht))


def level_table(inst, p):
    """Levels of period p by count, up to where they are 1 in double."""
    s = inst["settings"]
    calls = inst["values"][p]
    table = []
    n = 0
    while True:
        v = erlang_c_level(calls, inst["horizon"]["interval"], n, s["aht"], s["target_time"])
        table.append(v)
        if v >= 1.0 or n > 400:
            return table
        n += 1


# --- the reference programmes --------------------------------------------

def solve(cost, A_rows, lo, hi, integrality, ub):
    res = milp(c=cost, constraints=LinearConstraint(np.array(A_rows), lo, hi),
               integrality=integrality, bounds=Bounds(np.zeros(len(cost)), ub),
               options={"time_limit": 600, "mip_rel_gap": 0})
    assert res.status == 0, res.message
    return res


def cover(inst, cols):
    """Fewest agent-periods short, then least cost (or the shortage priced)."""
    periods = inst["horizon"]["periods"]
    req = np.array(inst["values"], dtype=float)
    n = len(cols)
    nv = n + periods  # shift columns, then short per period
    rows, lo, hi = [], [], []
    for p in range(periods):
        row = np.zeros(nv)
        for j, c in enumerate(cols):
            row[j] = c[5][p]
        row[n + p] = 1
        rows.append(row)
        lo.append(req[p])
        hi.append(np.inf)
    for ti, t in enumerate(inst["templates"]):
        if "min" in t or "max" in t:
            row = np.zeros(nv)
            for j, c in enumerate(cols):
                row[j] = 1 if c[0] == ti else 0
            rows.append(row)
            lo.append(t.get("min", 0))
            hi.append(t.get("max", np.inf))
    ub = np.concatenate([np.full(n, np.inf), req])
    integrality = np.ones(nv)
    costs = np.array([c[4] for c in cols])
    shortage_cost = inst["settings"].get("shortage_cost")
    if shortage_cost is not None:
        res = solve(np.concatenate([costs, np.full(periods, shortage_cost)]),
                    rows, lo, hi, integrality, ub)
        short = round(sum(res.x[n:]))
        return round(res.fun, 9), short
    first = solve(np.concatenate([np.zeros(n), np.ones(periods)]), rows, lo, hi, integrality, ub)
    fewest = round(first.fun)
    row = np.concatenate([np.zeros(n), np.ones(periods)])
    res = solve(np.concatenate([costs, np.zeros(periods)]), rows + [row], lo + [-np.inf],
                hi + [fewest], integrality, ub)
    return round(res.fun, 9), fewest


def service(inst, cols):
    """Least cost with the calls-weighted level at least p, no period with
    calls below q: one binary per period and count."""
    s = inst["settings"]
    P, q = s["service_level"], s.get("min_service_level", s["service_level"] / 2)
    periods = inst["horizon"]["periods"]
    calls = inst["values"]
    allcalls = sum(calls)
    n = len(cols)
    pick = []  # (period, count, level) per binary
    for p in range(periods):
        if calls[p] > 0:
            for count, level in enumerate(level_table(inst, p)):
                if level >= q:
                    pick.append((p, count, level))
    nv = n + len(pick) + periods  # shifts, picks, excess past each table
    rows, lo, hi = [], [], []
    level_row = np.zeros(nv)
    for p in range(periods):
        if calls[p] <= 0:
            continue
        one = np.zeros(nv)
        count = np.zeros(nv)
        for j, c in enumerate(cols):
            count[j] = c[5][p]
        for i, (pp, k, level) in enumerate(pick):
            if pp == p:
                one[n + i] = 1
                count[n + i] = -k
                level_row[n + i] = calls[p] / allcalls * level
        count[n + len(pick) + p] = -1  # agents past the table earn no more
        rows += [one, count]
        lo += [1, 0]
        hi += [1, 0]
    rows.append(level_row)
    lo.append(P)
    hi.append(np.inf)
    cost = np.concatenate([[c[4] for c in cols], np.zeros(len(pick) + periods)])
    integrality = np.concatenate([np.ones(n + len(pick)), np.zeros(periods)])
    ub = np.concatenate([np.full(n, np.inf), np.ones(len(pick)), np.full(periods, np.inf)])
    res = solve(cost, rows, lo, hi, integrality, ub)
    return round(res.fun, 9), 0


def enumerate_cover(inst, cols, most):
    """Every schedule of up to `most` agents a column: the least (short, cost)."""
    req = np.array(inst["values"], dtype=float)
    best = None
    for counts in itertools.product(range(most + 1), repeat=len(cols)):
        on = sum((k * c[5] for k, c in zip(counts, cols)), np.zeros(len(req)))
        per_template = {}
        for k, c in zip(counts, cols):
            per_template[c[0]] = per_template.get(c[0], 0) + k
        if any(per_template.get(ti, 0) < t.get("min", 0) or
               per_template.get(ti, 0) > t.get("max", 10**9)
               for ti, t in enumerate(inst["templates"])):
            continue
        short = float(np.maximum(req - on, 0).sum())
        cost = sum(k * c[4] for k, c in zip(counts, cols))
        key = (short, round(cost, 9))
        best = key if best is None or key < best else best
    return best[1], round(best[0])


def enumerate_service(inst, cols, most):
    s = inst["settings"]
    P, q = s["service_level"], s.get("min_service_level", s["service_level"] / 2)
    calls = inst["values"]
    tables = {p: level_table(inst, p) for p in range(len(calls)) if calls[p] > 0}
    best = None
    for counts in itertools.product(range(most + 1), repeat=len(cols)):
        on = sum((k * c[5] for k, c in zip(counts, cols)), np.zeros(len(calls)))
        levels = {p: t[min(int(on[p]), len(t) - 1)] for p, t in tables.items()}
        if any(v < q for v in levels.values()):
            continue
        if sum(calls[p] * v for p, v in levels.items()) / sum(calls) < P:
            continue
        cost = round(sum(k * c[4] for k, c in zip(counts, cols)), 9)
        best = cost if best is None or cost < best else best
    return best, 0


# --- the instances --------------------------------------------------------

def without(t, key):
    return {k: v for k, v in t.items() if k != key}


def template_json(t):
    out = {"name": t["name"],
           "start": {"earliest": clock(t["earliest"]), "latest": clock(t["latest"]),
                     "step": t["step"]}}
    L = t["length"]
    out["length"] = duration(L["min"]) if L["step"] == 0 else \
        {"min": duration(L["min"]), "max": duration(L["max"]), "step": L["step"]}
    if t["breaks"]:
        out["breaks"] = [{"length": b["length"], "after": duration(b["after"]),
                          "before": duration(b["before"]), "paid": b.get("paid", True)}
                         for b in t["breaks"]]
    for key in ("cost", "min", "max"):
        if key in t:
            out[key] = t[key]
    if "days" in t:
        out["days"] = [DAYS[d] for d in t["days"]]
    return out


def random_template(rng, name, horizon):
    iv = horizon["interval"]
    span = horizon["periods"] * iv
    length = rng.choice([4, 5, 6]) * iv
    ranged = rng.random() < 0.3
    earliest = horizon["first"] + rng.randrange(0, max(1, span // iv - 6)) * iv
    t = {"name": name, "earliest": earliest % 1440,
         "latest": (earliest + rng.choice([1, 2, 3, 4]) * iv) % 1440,
         "step": iv * rng.choice([1, 1, 2]),
         "length": {"min": length, "max": length + (iv * 2 if ranged else 0),
                    "step": iv if ranged else 0},
         "breaks": []}
    nbreaks = rng.choice([0, 1, 1, 2])
    if nbreaks >= 1:
        t["breaks"].append({"length": iv, "after": iv, "before": 3 * iv})
    if nbreaks == 2:
        # A window overlapping the first's, so that their order matters.
        t["breaks"].append({"length": iv, "after": 2 * iv, "before": 4 * iv,
                            "paid": rng.random() < 0.5})
    if rng.random() < 0.3:
        t["cost"] = rng.choice([3, 4, 5])
    return t


def instance(rng, name, objective, periods, ntemplates, interval=30, first=480,
             cyclic=False, settings=None):
    horizon = {"interval": interval, "first": first, "periods": periods, "cyclic": cyclic}
    templates = [random_template(rng, "t%d" % i, horizon) for i in range(ntemplates)]
    if objective == "cover":
        values = [rng.randrange(0, 5) for _ in range(periods)]
    else:
        values = [rng.choice([0, 5, 10, 20, 30]) for _ in range(periods)]
    inst = {"name": name, "objective": objective, "horizon": horizon, "templates": templates,
            "values": values, "settings": dict(settings or {})}
    return inst


def main():
    rng = random.Random(20261207)
    insts = []
    # Tiny, for enumeration as well.
    for i in range(4):
        insts.append(("enumerated", instance(rng, "tiny cover %d" % i, "cover", 6, 1)))
    svc = {"aht": 180, "target_time": 20, "service_level": 0.8}
    for i in range(2):
        insts.append(("enumerated", instance(rng, "tiny service %d" % i, "service", 5, 1,
                                             settings=svc)))
    for i in range(8):
        insts.append(("milp", instance(rng, "cover %d" % i, "cover", 16, rng.choice([2, 3]))))
    limited = instance(rng, "cover with a max", "cover", 16, 2)
    limited["templates"][0]["max"] = 2
    limited["templates"][1]["min"] = 1
    insts.append(("milp", limited))
    insts.append(("milp", instance(rng, "cover with a shortage cost", "cover", 16, 2,
                                   settings={"shortage_cost": 2.5})))
    insts.append(("milp", instance(rng, "cyclic cover", "cover", 48, 2, first=0, cyclic=True)))
    # A week of hours: a night shift on weekdays only, past midnight (and
    # past Sunday where the week repeats), beside a day shift on every day.
    for cyclic in (False, True):
        week = {"interval": 60, "first": 0, "periods": 168, "cyclic": cyclic, "week": True}
        night = {"name": "night", "earliest": 21 * 60, "latest": 23 * 60, "step": 60,
                 "length": {"min": 480, "max": 480, "step": 0}, "days": [0, 1, 2, 3, 4, 6],
                 "breaks": [{"length": 60, "after": 180, "before": 360, "paid": False}]}
        day = {"name": "day", "earliest": 7 * 60, "latest": 10 * 60, "step": 60,
               "length": {"min": 360, "max": 480, "step": 120},
               "breaks": [{"length": 60, "after": 120, "before": 300}]}
        values = [rng.randrange(0, 4) for _ in range(168)]
        insts.append(("milp", {"name": "week of nights" + (", cyclic" if cyclic else ""),
                               "objective": "cover", "horizon": week,
                               "templates": [night, day], "values": values, "settings": {}}))
    for i in range(3):
        insts.append(("milp", instance(rng, "service %d" % i, "service", 12, 2, settings=svc)))
    # The floor at 0: the level's rising stretch below the traffic in play.
    insts.append(("milp", instance(rng, "service, no floor", "service", 12, 2,
                                   settings=dict(svc, min_service_level=0))))
    # Weeks of days apart (every shift ends by midnight) that a weekly limit
    # or the week's service level links: the room shares the linking row out
    # among the days.
    week = {"interval": 60, "first": 0, "periods": 168, "cyclic": False, "week": True}
    early = {"name": "early", "earliest": 6 * 60, "latest": 9 * 60, "step": 60,
             "length": {"min": 360, "max": 480, "step": 120},
             "breaks": [{"length": 60, "after": 120, "before": 300, "paid": False}], "max": 14}
    late = {"name": "late", "earliest": 12 * 60, "latest": 15 * 60, "step": 60,
            "length": {"min": 480, "max": 480, "step": 0}, "min": 9,
            "breaks": [{"length": 60, "after": 180, "before": 360}]}
    needs = [0 if h % 24 < 6 or h % 24 >= 23 else rng.randrange(1, 5) for h in range(168)]
    insts.append(("milp", {"name": "week with a weekly max and min", "objective": "cover",
                           "horizon": week, "templates": [early, late], "values": needs,
                           "settings": {}}))
    insts.append(("milp", {"name": "week with a weekly max, the shortage priced",
                           "objective": "cover", "horizon": week,
                           "templates": [dict(early, max=9), late], "values": needs,
                           "settings": {"shortage_cost": 3}}))
    calls = [0 if h % 24 < 7 or h % 24 >= 22 else rng.randrange(20, 60) for h in range(168)]
    insts.append(("milp", {"name": "week of service", "objective": "service", "horizon": week,
                           "templates": [without(early, "max"), without(late, "min")],
                           "values": calls, "settings": svc}))
    out = []
    for method, inst in insts:
        cols = columns(inst)
        if not cols:
            continue
        if inst["objective"] == "service":
            # Calls only where some shift can answer them: a schedule exists.
            inst["values"] = [v if any(c[5][p] > 0 for c in cols) else 0
                              for p, v in enumerate(inst["values"])]
        solve_ = cover if inst["objective"] == "cover" else service
        cost, short = solve_(inst, cols)
        if method == "enumerated":
            most = max(inst["values"]) if inst["objective"] == "cover" else 6
            by_hand = (enumerate_cover if inst["objective"] == "cover" else
                       enumerate_service)(inst, cols, most)
            assert by_hand == (cost, short), (inst["name"], by_hand, cost, short)
        h = inst["horizon"]
        label = week_clock if h.get("week") else clock
        starts = [label(h["first"] + p * h["interval"]) for p in range(h["periods"])]
        out.append({"name": inst["name"], "method": method, "objective": inst["objective"],
                    "cyclic": h["cyclic"], "starts": starts, "values": inst["values"],
                    "templates": {"shifts": [template_json(t) for t in inst["templates"]]},
                    "settings": inst["settings"], "columns": len(cols),
                    "cost": cost, "short": short})
    with open(os.path.join(HERE, "reference.json"), "w") as f:
        json.dump(out, f, indent=1)
        f.write("\n")
    print("%d instances" % len(out))


if __name__ == "__main__":
    main()
