#!/usr/bin/python3
"""A month of a call centre's Asterisk Master.csv, for the worked example.

An inbound centre in Suva, Fiji, on a group of trunks from one carrier, from
Friday 18 December 2020 to Sunday 17 January 2021: the month in which Fiji's
clocks went forward (20 December, 02:00 to 03:00) and back (17 January,
03:00 to 02:00). Calls arrive as a Poisson process whose rate follows the
clock (a morning and an afternoon peak, quiet nights), the day of the week
(Mondays busiest, Sundays a quarter of them) and the holidays (Christmas, New
Year); callers wait in the queue, are answered by an agent or hang up, and
some are transferred to a second agent (a second row of the same carrier
channel and linkedid). Agents' internal calls name no carrier channel. A few
rows are damaged as real files are: a time that does not parse, a row cut
short, an end before its start (a clock stepped back), a start in the hour
the clocks skipped, an end left empty.

Rows are written as Asterisk writes them, at each leg's end, in local time
without an offset (so that the hour the clocks repeated is ambiguous), 21
fields each. The same seed gives the same file.

usage: make_month.py Master.csv          the month in one file
       make_month.py --daily FOLDER      a file a day, Master.csv-YYYYMMDD, cut
                                         at local midnight by the rows' ends
"""

import datetime as dt
import math
import os
import random
import sys
import zoneinfo

ZONE = zoneinfo.ZoneInfo("Pacific/Fiji")
FIRST = dt.datetime(2020, 12, 18, tzinfo=ZONE)
LAST = dt.datetime(2021, 1, 18, tzinfo=ZONE)  # exclusive
# Calls an hour at the busiest moment (a Monday at 10:00): about 20 erlangs.
PEAK_RATE = 370.0
# Share of the peak rate by local hour; within an hour the rate moves
# linearly to the next hour's.
HOURS = [0.02, 0.015, 0.01, 0.01, 0.01, 0.02, 0.08, 0.3, 0.7, 0.93, 1.0, 0.9,
         0.68, 0.78, 0.95, 0.88, 0.72, 0.48, 0.3, 0.2, 0.14, 0.1, 0.06, 0.035]
WEEKDAYS = [1.0, 0.95, 0.92, 0.9, 0.85, 0.45, 0.25]  # Monday first
HOLIDAYS = {dt.date(2020, 12, 24): 0.6, dt.date(2020, 12, 25): 0.2, dt.date(2020, 12, 26): 0.3,
            dt.date(2020, 12, 31): 0.6, dt.date(2021, 1, 1): 0.2, dt.date(2021, 1, 2): 0.35,
            dt.date(2021, 1, 4): 1.08}  # the Monday after New Year, catching up


def rate(t):
    """Calls an hour at the instant t (aware)."""
    local = t.astimezone(ZONE)
    hour = local.hour + local.minute / 60 + local.second / 3600
    h = int(hour)
    shape = HOURS[h] + (HOURS[(h + 1) % 24] - HOURS[h]) * (hour - h)
    day = HOLIDAYS.get(local.date(), WEEKDAYS[local.weekday()])
    return PEAK_RATE * shape * day


def local(t):
    return t.astimezone(ZONE).strftime("%Y-%m-%d %H:%M:%S")


class Ids:
    def __init__(self):
        self.channel = 0x1a40
        self.sequence = 5200

    def channel_name(self, prefix):
        self.channel += 1
        return f"{prefix}-{self.channel:08x}"

    def unique(self, t):
        self.sequence += 1
        return f"{int(t.timestamp())}.{self.sequence}", self.sequence


START, ANSWER, END = 9, 10, 11  # the fields of the times


def row(src, dst, channel, dstchannel, app, data, start, answer, end, disposition, unique,
        linkedid, sequence):
    """The 21 fields of a Master.csv row; answer None for an unanswered leg."""
    billsec = int((end - answer).total_seconds()) if answer else 0
    return ["", src, dst, "from-carrier" if channel.startswith("PJSIP/carrier") else "agents",
            f'"Caller" <{src}>', channel, dstchannel, app, data, local(start),
            local(answer) if answer else "", local(end), int((end - start).total_seconds()),
            billsec, disposition, "DOCUMENTATION", unique, "", "", linkedid, sequence]


def text(fields):
    """As Asterisk writes a row: text quoted, numbers bare."""
    return ",".join(str(f) if isinstance(f, int) else '"' + f.replace('"', '""') + '"'
                    for f in fields)


def month(random):
    """Every leg as (end instant, the row's fields)."""
    ids = Ids()
    legs = []
    t = FIRST.astimezone(dt.timezone.utc)
    last = LAST.astimezone(dt.timezone.utc)
    most = PEAK_RATE * 1.1
    while True:
        # Arrivals by thinning a Poisson process of the highest rate.
        t += dt.timedelta(seconds=random.expovariate(most / 3600))
        if t >= last:
            break
        if random.random() * most > rate(t):
            continue
        caller = f"679{random.randrange(2000000, 9999999)}"
        carrier = ids.channel_name("PJSIP/carrier")
        unique, sequence = ids.unique(t)
        wait = dt.timedelta(seconds=random.expovariate(1 / 14))
        if random.random() < 0.11:  # hangs up in the queue
            end = t + dt.timedelta(seconds=5 + random.expovariate(1 / 40))
            legs.append((end, row(caller, "5000", carrier, "", "Queue", "support,t,,,300", t, None,
                                  end, "NO ANSWER", unique, unique, sequence)))
            continue
        answer = t + dt.timedelta(seconds=int(wait.total_seconds()) + 1)
        talk = dt.timedelta(seconds=20 + random.lognormvariate(math.log(150), 0.75))
        agent = ids.channel_name(f"PJSIP/2{random.randrange(10, 48)}")
        if random.random() < 0.12:  # transferred to a second agent
            handover = answer + talk * random.uniform(0.3, 0.7)
            legs.append((handover, row(caller, "5000", carrier, agent, "Queue", "support,t,,,300",
                                       t, answer, handover, "ANSWERED", unique, unique, sequence)))
            second = ids.channel_name(f"PJSIP/2{random.randrange(10, 48)}")
            u2, s2 = ids.unique(handover)
            end = answer + talk + dt.timedelta(seconds=random.expovariate(1 / 60))
            legs.append((end, row(caller, "5000", carrier, second, "Dial", second.split("-")[0],
                                  handover, handover + dt.timedelta(seconds=4), end, "ANSWERED",
                                  u2, unique, s2)))
        else:
            end = answer + talk
            legs.append((end, row(caller, "5000", carrier, agent, "Queue", "support,t,,,300", t,
                                  answer, end, "ANSWERED", unique, unique, sequence)))
        if random.random() < 0.04:  # an agent consults another, off the trunks
            a = ids.channel_name(f"PJSIP/2{random.randrange(10, 48)}")
            b = ids.channel_name(f"PJSIP/2{random.randrange(10, 48)}")
            start = answer + dt.timedelta(seconds=10)
            done = start + dt.timedelta(seconds=random.expovariate(1 / 50))
            u, s = ids.unique(start)
            legs.append((done, row(a.split("-")[0][6:], b.split("-")[0][6:], a, b, "Dial",
                                   b.split("-")[0], start, start + dt.timedelta(seconds=3), done,
                                   "ANSWERED", u, u, s)))
    legs.sort(key=lambda leg: leg[0])
    return legs


def damage(legs):
    """A few rows broken as real files break, at places spread over the month."""
    def at(day, hour):
        when = FIRST + dt.timedelta(days=day, hours=hour)
        return legs[next(i for i, (end, _) in enumerate(legs) if end >= when)][1]

    bad = at(18, 11)  # 5 January: an hour of 25
    bad[START] = bad[START][:11] + "25" + bad[START][13:]
    del at(6, 15)[13:]  # cut short, as by a full disk
    # A start written in the hour the clocks skipped, by a clock without the new rule.
    at(2, 3)[START] = "2020-12-20 02:40:12"
    stepped = at(26, 9)  # a clock stepped back between the start and the end
    stepped[START], stepped[END] = stepped[END], stepped[START]
    at(12, 16)[END] = ""


def main(argv):
    legs = month(random.Random(20201218))
    damage(legs)
    if len(argv) == 3 and argv[1] == "--daily":
        os.makedirs(argv[2], exist_ok=True)
        files = {}
        for end, fields in legs:
            day = end.astimezone(ZONE).strftime("%Y%m%d")
            files.setdefault(day, []).append(text(fields))
        for day, rows in files.items():
            with open(os.path.join(argv[2], f"Master.csv-{day}"), "w", newline="") as out:
                out.write("\n".join(rows) + "\n")
    elif len(argv) == 2 and not argv[1].startswith("-"):
        with open(argv[1], "w", newline="") as out:
            out.write("\n".join(text(fields) for _, fields in legs) + "\n")
    else:
        sys.exit(__doc__.split("usage:")[1].join(["usage:", ""]))


if __name__ == "__main__":
    main(sys.argv)
