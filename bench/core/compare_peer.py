#!/usr/bin/env python3
"""Stations compared by their daily highest temperature, as a plain Python
script would do it.

Walks the folders for the stations' past-day files (0_STATION_*_YYYYMMDD.json),
parses each with json.loads and takes the day's highest temperature as the
window's panel shows it (the highest hourly "T" of the first 24 records,
rounded half away from zero to one decimal), then writes the comparison's CSV:
UTF-8 with a byte-order mark, CR LF, the header 日期 then "STATION 最高气温 (℃)"
per station, one row per date from the first to the last day any station
has, a cell empty where a station has no day or the day no temperature.

  compare_peer.py STATIONS FOLDER [--out FILE]    (STATIONS as A,B,C)

Runs once to warm the cache (writing the CSV to FILE when asked, for the
benchmark to check it against the program's), then prints the days per second
of a second run, of real and of processor time, as "days/s N cpu M". Used by
bench_compare as the peer it is compared with.
"""

import datetime
import json
import math
import os
import re
import sys
import time


def round_half_away(x, decimals):
    if x == 0:
        return x
    scale = 10.0 ** decimals
    y = abs(x) * scale + 0.000000000001
    fraction, whole = math.modf(y)
    if fraction >= 0.5:
        whole += 1
    return math.copysign(whole, x) / scale


def highest_temperature(path):
    """The day's highest temperature as its panel shows it; None for none."""
    with open(path, "rb") as file:
        answer = json.loads(file.read())
    records = answer.get("res") if isinstance(answer, dict) else None
    if not records or not records[0].get("time"):
        return None
    temperatures = [float(r["T"]) for r in records[:24] if r.get("T") is not None]
    if not temperatures:
        return ""
    return f"{round_half_away(max(temperatures), 1) + 0.0:.1f}"


def compare(stations, folders):
    name = re.compile(r"^0_(" + "|".join(map(re.escape, stations)) + r")_[01]_(\d{8})\.json$")
    days = {station: {} for station in stations}
    count = 0
    for folder in folders:
        for root, _, names in os.walk(folder):
            for file_name in names:
                match = name.match(file_name)
                if not match:
                    continue
                value = highest_temperature(os.path.join(root, file_name))
                if value is not None:
                    days[match.group(1)][match.group(2)] = value
                    count += 1
    dates = [date for station in days.values() for date in station]
    out = ["\ufeff日期," + ",".join(f"{s} 最高气温 (℃)" for s in stations) + "\r\n"]
    if dates:
        day = datetime.date.fromisoformat(min(dates)[:4] + "-" + min(dates)[4:6] + "-" + min(dates)[6:])
        last = max(dates)
        while True:
            key = day.strftime("%Y%m%d")
            if key > last:
                break
            out.append(day.isoformat() + "," + ",".join(days[s].get(key, "") for s in stations) + "\r\n")
            day += datetime.timedelta(days=1)
    return count, "".join(out)


def main():
    stations, folders = sys.argv[1].split(","), sys.argv[2:]
    out = None
    if "--out" in folders:
        at = folders.index("--out")
        out = folders[at + 1]
        folders = folders[:at] + folders[at + 2:]
    _, csv = compare(stations, folders)
    if out:
        with open(out, "w", encoding="utf-8", newline="") as file:
            file.write(csv)
    start = time.perf_counter()
    cpu_start = time.process_time()
    count, _ = compare(stations, folders)
    cpu_seconds = time.process_time() - cpu_start
    seconds = time.perf_counter() - start
    print(f"days/s {count / seconds:.1f} cpu {count / cpu_seconds:.1f}")


if __name__ == "__main__":
    main()
