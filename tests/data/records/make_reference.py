#!/usr/bin/env python3
"""Writes reference.csv: what the room records/ must find in the hand-made
call-record files beside this script (and the real samples in samples/),
computed another way: rows read with Python's csv module, local times with
zoneinfo, every holding as an exact Fraction of seconds, the periods found
by walking each day minute by minute, each period's peak by sorting its
events, Erlang B by its recurrence in Fractions and offered traffic by
bisection with mpmath at 50 digits.
    /usr/bin/python3 tests/data/records/make_reference.py
Rows: case, what (option, file, period, day, summary), key, field, value."""
import csv, fnmatch, os, sys
from datetime import datetime, timedelta, timezone
from fractions import Fraction as F
from zoneinfo import ZoneInfo
import mpmath as mp

mp.mp.dps = 50
HERE = os.path.dirname(os.path.abspath(__file__))
EPOCH = datetime(1970, 1, 1)

CASES = [
    ("midnight", ["midnight.csv"], {"format": "asterisk", "timezone": "UTC"}),
    ("midnight-answered", ["midnight.csv"], {"timezone": "UTC", "holding": "answered", "interval": "30"}),
    ("berlin-spring", ["berlin-spring.csv"], {"timezone": "Europe/Berlin"}),
    ("berlin-autumn", ["berlin-autumn.csv"], {"timezone": "Europe/Berlin", "interval": "30",
                                              "fixed-hour": "02:00"}),
    ("auckland", ["auckland.csv"], {"format": "csv", "start-column": "begin", "end-column": "finish",
                                    "call-id-column": "id", "timezone": "Pacific/Auckland",
                                    "interval": "60", "lines": "2", "fixed-hour": "10:00",
                                    "normal-days": "2", "high-days": "1"}),
    ("auckland-answered", ["auckland.csv"], {"format": "csv", "start-column": "begin",
                                             "end-column": "finish", "call-id-column": "id",
                                             "answer-column": "answered", "holding": "answered",
                                             "timezone": "Pacific/Auckland", "interval": "20"}),
    ("trunk", ["trunk.csv"], {"timezone": "UTC", "trunk": "SIP/carrier-*"}),
    ("freeswitch", ["freeswitch.csv"], {"timezone": "Asia/Kolkata", "interval": "60"}),
    ("cucm", ["cucm.csv"], {"timezone": "Asia/Tokyo", "blocking": "0.001"}),
    ("cucm-days", ["cucm.csv"], {"timezone": "Asia/Tokyo", "from": "2024-05-31", "to": "2024-06-02",
                                 "normal-days": "2", "high-days": "1", "interval": "10"}),
    ("dj", ["samples/dj-asterisk-cdr-Master.csv"], {"timezone": "UTC"}),
    ("dj-answered", ["samples/dj-asterisk-cdr-Master.csv"], {"timezone": "Europe/Moscow",
                                                             "holding": "answered"}),
    ("dj-trunk", ["samples/dj-asterisk-cdr-Master.csv"], {"timezone": "UTC", "trunk": "SIP/231498-*",
                                                          "interval": "5"}),
    ("testsuite-both", ["samples/asterisk-testsuite-Master.csv",
                        "samples/asterisk-testsuite-Master2.csv"], {"timezone": "Europe/Berlin"}),
]


def parse_time(text, zone, epoch_ok):
    """(kind, [utc seconds as Fractions: earlier, later]) for a time's text."""
    s = text.strip()
    if s == "":
        return "missing-time", None
    if epoch_ok and s.replace(".", "", 1).isdigit():
        whole, _, frac = s.partition(".")
        return "ok", [F(int(whole)) + (F(int(frac), 10 ** len(frac)) if frac else 0)] * 2
    offset = None
    for sign in "+-":
        at = s.rfind(sign)
        if at > 10:
            h, m = s[at + 1:].split(":")
            offset = (1 if sign == "+" else -1) * (int(h) * 3600 + int(m) * 60)
            s = s[:at]
    date, _, clock = s.replace("T", " ").partition(" ")
    y, mo, d = (int(x) for x in date.replace("/", "-").split("-"))
    parts = clock.split(":")
    if len(parts) == 2:
        return "time-without-seconds", None
    sec, _, frac = parts[2].partition(".")
    try:
        naive = datetime(y, mo, d, int(parts[0]), int(parts[1]), int(sec))
    except ValueError:
        return "bad-time", None
    fraction = F(int(frac), 10 ** len(frac)) if frac else F(0)
    local = int((naive - EPOCH).total_seconds())
    if offset is not None:
        return "ok", [local - offset + fraction] * 2
    readings = []
    for fold in (0, 1):
        aware = naive.replace(tzinfo=zone, fold=fold)
        back = aware.astimezone(timezone.utc).astimezone(zone).replace(tzinfo=None)
        if back != naive:
            return "nonexistent-time", None
        readings.append(local - int(aware.utcoffset().total_seconds()) + fraction)
    return "ok", readings


def read_rows(path, fmt, o, zone):
    """Each row as (refusal or skip or None, start, end, keys, ambiguous)."""
    with open(path, newline="", encoding="latin-1") as f:
        rows = list(csv.reader(f))
    out, answered = [], o.get("holding") == "answered"
    if fmt in ("cucm", "csv"):
        header, rows = rows[0], rows[1:]
        col = {name: i for i, name in enumerate(header)}
    for r in rows:
        if r == []:
            continue
        if fmt == "cucm" and r[0] == "INTEGER":
            continue
        if fmt == "asterisk":
            n = len(r)
            if n != 21 and n != 18 and n != 16 or r[-1].startswith("X.3"):
                out.append(("fields" if not r[-1].startswith("X.3") else "unclosed-quote",))
                continue
            s, a, e = r[9], r[10], r[11]
            if answered and (r[14] != "ANSWERED" or a == ""):
                out.append(("skip:unanswered",))
                continue
            if o.get("trunk"):
                keys = sorted({c for c in (r[5], r[6]) if c and fnmatch.fnmatchcase(c, o["trunk"])})
                if not keys:
                    out.append(("skip:other-channel",))
                    continue
            else:
                key = r[19] if n == 21 and r[19] else r[16] if n >= 17 and r[16] else None
                keys = [key] if key else []
        elif fmt == "freeswitch":
            s, a, e, keys = r[4], r[5], r[6], [r[10]]
        elif fmt == "cucm":
            if r[col["cdrRecordType"]] != "1":
                out.append(("skip:record-type",))
                continue
            s, a, e = (r[col[c]] for c in ("dateTimeOrigination", "dateTimeConnect", "dateTimeDisconnect"))
            if a == "0":
                a = ""
            keys = [r[col["globalCallID_callManagerId"]] + ":" + r[col["globalCallID_callId"]]]
        else:
            s, e = r[col[o["start-column"]]], r[col[o["end-column"]]]
            a = r[col[o["answer-column"]]] if "answer-column" in o else ""
            keys = [r[col[o["call-id-column"]]]] if "call-id-column" in o else []
        if answered and a == "":
            out.append(("skip:unanswered",))
            continue
        epoch = fmt in ("cucm", "csv")
        ks, start = parse_time(s, zone, epoch)
        ke, end = parse_time(e, zone, epoch)
        if ks != "ok" or ke != "ok":
            out.append((ks if ks != "ok" else ke,))
            continue
        ambiguous = start[0] != start[1] or end[0] != end[1]
        s0, e0 = start[0], end[0] if end[0] >= start[0] else end[1]
        if e0 < s0:
            out.append(("end-before-start",))
            continue
        if e0 - s0 > 31 * 86400:
            out.append(("holding-too-long",))
            continue
        if answered:
            ka, ans = parse_time(a, zone, epoch)
            if ka != "ok":
                out.append((ka,))
                continue
            ambiguous = ambiguous or ans[0] != ans[1]
            a0 = ans[0] if ans[0] >= s0 else ans[1]
            if a0 < s0 or a0 > e0:
                out.append(("answer-outside-call",))
                continue
            s0 = a0
        out.append((None, s0, e0, keys, ambiguous))
    return out


def join_calls(rows):
    """Rows of one key whose holdings overlap or touch are one call."""
    calls, by_key = [], {}
    for r in rows:
        if not r[3]:
            calls.append((r[1], r[2]))
        for k in r[3]:
            by_key.setdefault(k, []).append((r[1], r[2]))
    for spans in by_key.values():
        spans.sort()
        cur = list(spans[0])
        for s, e in spans[1:]:
            if s <= cur[1]:
                cur[1] = max(cur[1], e)
            else:
                calls.append(tuple(cur))
                cur = [s, e]
        calls.append(tuple(cur))
    return calls


def local_of(t, zone):
    return datetime.fromtimestamp(int(t), zone)


def day_periods(day, zone, minutes):
    """The periods of a local day: walking it minute by minute from its
    midnight, a new one wherever the clock's period or its offset changes."""
    midnight = datetime(day.year, day.month, day.day, tzinfo=zone)
    t = int(midnight.timestamp())
    key = lambda u: (local_of(u, zone).replace(tzinfo=None) - EPOCH).total_seconds() // 60 // minutes
    offset = lambda u: local_of(u, zone).utcoffset()
    periods, start = [], t
    while True:
        u = t + 60
        if local_of(u, zone).date() != day or key(u) != key(t) or offset(u) != offset(t):
            periods.append((start, u, int(key(start) * minutes)))
            start = u
        t = u
        if local_of(t, zone).date() != day:
            return periods


def iso(t, zone):
    whole = int(t // 1)
    text = local_of(whole, zone).isoformat()
    if t != whole:
        frac = str(float(t - whole))[1:]
        text = text[:19] + frac + text[19:]
    return text


def erlang_b_lines(load, target):
    if load == 0:
        return 0
    b, n = F(1), 0
    while b > target:
        n += 1
        b = load * b / (n + load * b)
    return n


def offered(carried, lines):
    c, n = mp.mpf(carried.numerator) / carried.denominator, int(lines)
    def b(a):
        inv = mp.mpf(1)
        for k in range(1, n + 1):
            inv = 1 + k / a * inv
        return 1 / inv
    lo, hi = c, c * 10 + 10
    while hi * (1 - b(hi)) < c:
        hi *= 2
    for _ in range(400):
        mid = (lo + hi) / 2
        lo, hi = (mid, hi) if mid * (1 - b(mid)) < c else (lo, mid)
    return (lo + hi) / 2


def num(x):
    return repr(float(x))


def run(name, files, o, out):
    zone = ZoneInfo(o.get("timezone", "UTC"))
    minutes = int(o.get("interval", "15"))
    emit = lambda what, key, field, value: out.writerow([name, what, key, field, value])
    for k, v in o.items():
        emit("option", "", k, v)
    rows = []
    for f in files:
        emit("file", "", "path", f)
        first = open(os.path.join(HERE, f), encoding="latin-1").readline()
        fmt = o.get("format") or ("cucm" if first.startswith('"cdrRecordType"') else
                                  "freeswitch" if first.count(",") in (12, 14) else "asterisk")
        rows += read_rows(os.path.join(HERE, f), fmt, o, zone)
    used = [r for r in rows if r[0] is None]
    refused, skipped = {}, {}
    for r in rows:
        if r[0] and r[0].startswith("skip:"):
            skipped[r[0][5:]] = skipped.get(r[0][5:], 0) + 1
        elif r[0]:
            refused[r[0]] = refused.get(r[0], 0) + 1
    calls = join_calls(used)
    first_day = local_of(min(c[0] for c in calls), zone).date()
    last_day = local_of(max(max(c[1] for c in calls) - F(1, 10 ** 9), min(c[0] for c in calls)), zone).date()
    if "from" in o:
        first_day, last_day = (datetime.strptime(o[k], "%Y-%m-%d").date() for k in ("from", "to"))
    n = 60 // minutes
    day_hours, slot_sum, slot_days, peak_all = [], {}, {}, 0
    lines = F(o["lines"]) if "lines" in o else None
    saturated, offered_days = [], []
    day = first_day
    while day <= last_day:
        traffic, seen, day_calls, day_peak = [], set(), 0, 0
        periods = day_periods(day, zone, minutes)
        for ps, pe, clock in periods:
            inside = [(max(s, ps), min(e, pe)) for s, e in calls if s < pe and e > ps]
            starting = [(s, e) for s, e in calls if ps <= s < pe]
            value = sum((b - a for a, b in inside), F(0)) / (pe - ps)
            events = sorted([(a, 1) for a, b in inside] + [(b, -1) for a, b in inside])
            held = peak = 0
            for _, step in events:
                held += step
                peak = max(peak, held)
            key = local_of(ps, zone).isoformat()
            emit("period", key, "calls", len(starting))
            emit("period", key, "traffic", num(value))
            emit("period", key, "peak", peak)
            if starting:
                emit("period", key, "holding-time", num(sum((e - s for s, e in starting), F(0)) / len(starting)))
            traffic.append(value)
            day_calls += len(starting)
            day_peak = max(day_peak, peak)
            slot = clock % 1440
            if slot not in seen:
                seen.add(slot)
                slot_sum[slot] = slot_sum.get(slot, 0) + value
                slot_days[slot] = slot_days.get(slot, 0) + 1
        means = [sum(traffic[i:i + n]) / n for i in range(len(traffic) - n + 1)]
        best = max(means)
        at = means.index(best)
        d = day.isoformat()
        emit("day", d, "calls", day_calls)
        emit("day", d, "peak", day_peak)
        emit("day", d, "peak-hour", local_of(periods[at][0], zone).isoformat())
        emit("day", d, "peak-hour-traffic", num(best))
        if lines is not None:
            if best >= lines:
                saturated.append(d)
            else:
                offered_days.append(offered(best, lines))
                emit("day", d, "offered", mp.nstr(offered_days[-1], 17))
        day_hours.append(best)
        peak_all = max(peak_all, day_peak)
        day += timedelta(days=1)

    def hour_at(start):
        slots = [slot_sum[s] / slot_days[s] for s in range(start, start + 60, minutes) if slot_days.get(s)]
        return sum(slots) / len(slots) if slots else F(0)

    hours = [(hour_at(s), s) for s in range(0, 23 * 60 + 1, minutes)]
    tcbh = max(h for h, _ in hours)
    tcbh_at = next(s for h, s in hours if h == tcbh)

    def highest(values, count):
        top = sorted(values, reverse=True)[:count]
        return (sum(top) / len(top) if top else 0), len(top)

    values = offered_days if lines is not None else day_hours
    normal, normal_n = highest(values, int(o.get("normal-days", "30")))
    high, high_n = highest(values, int(o.get("high-days", "5")))
    as_fraction = lambda x: F(x) if not isinstance(x, mp.mpf) else F(mp.nstr(x, 40))
    lines_normal = erlang_b_lines(as_fraction(normal), F(o.get("blocking", "0.01")))
    lines_high = erlang_b_lines(as_fraction(high), F(o.get("high-blocking", "0.07")))
    summary = {
        "adph-traffic": num(sum(day_hours) / len(day_hours)),
        "tcbh": "%02d:%02d" % divmod(tcbh_at, 60),
        "tcbh-traffic": num(tcbh),
        "normal-load": mp.nstr(normal, 17) if lines is not None else num(normal),
        "high-load": mp.nstr(high, 17) if lines is not None else num(high),
        "normal-days": normal_n, "high-days": high_n,
        "lines-normal": lines_normal, "lines-high": lines_high, "lines": max(lines_normal, lines_high),
        "peak": peak_all, "calls": sum(1 for s, e in calls if first_day <= local_of(s, zone).date() <= last_day),
        "days": (last_day - first_day).days + 1, "rows": len(rows), "rows-used": len(used),
        "ambiguous": sum(1 for r in used if r[4]), "saturated": " ".join(saturated),
        "first": iso(min(c[0] for c in calls), zone), "last": iso(max(c[1] for c in calls), zone),
    }
    if "fixed-hour" in o:
        h, m = o["fixed-hour"].split(":")
        summary["fdmh-traffic"] = num(hour_at(int(h) * 60 + int(m)))
    for k, v in refused.items():
        summary["rows-refused:" + k] = v
    for k, v in skipped.items():
        summary["rows-skipped:" + k] = v
    for k, v in summary.items():
        emit("summary", "", k, v)


def main():
    with open(os.path.join(HERE, "reference.csv"), "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        for name, files, options in CASES:
            run(name, files, options, out)


if __name__ == "__main__":
    main()
