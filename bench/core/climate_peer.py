#!/usr/bin/env python3
"""The climate table of one station as a plain Python script would make it.

Walks the folders for the station's past-day files (0_STATION_*_YYYYMMDD.json),
parses each with json.loads, takes the day's highest, lowest and mean
temperature and its precipitation as the window's panels show them (the
hourly "T" and "R1h" values, rounded half away from zero to one, two and one
decimals), then applies the table's rules: the 3/5 rule for the temperatures,
whole months for the precipitation, normals as means over the years that
count, extremes with the earliest date, the year row, one decimal. Writes the
CSV (UTF-8 with a byte-order mark, CR LF) into memory.

  climate_peer.py STATION FOLDER [--out FILE]

Runs once to warm the cache (writing the CSV to FILE when asked, for the
benchmark to check it against the program's), then prints the days per second
of a second run, of real and of processor time, as "days/s N cpu M". Used by
bench_climate as the peer it is compared with.
"""

import calendar
import json
import math
import os
import re
import sys
import time

TOLERANCE = 0.0000001


def round_half_away(x, decimals):
    if x == 0:
        return x
    scale = 10.0 ** decimals
    y = abs(x) * scale + 0.000000000001
    fraction, whole = math.modf(y)
    if fraction >= 0.5:
        whole += 1
    return math.copysign(whole, x) / scale


def shown(x, decimals):
    """The number as a panel shows it, read back."""
    return float(f"{round_half_away(x, decimals):.{decimals}f}")


def one_decimal(x):
    return f"{round_half_away(x, 1) + 0.0:.1f}"


def day_values(path):
    """Highest, lowest, mean temperature and precipitation; None for none."""
    with open(path, "rb") as file:
        answer = json.loads(file.read())
    records = answer.get("res") if isinstance(answer, dict) else None
    if not records or not records[0].get("time"):
        return None
    temperatures = []
    precipitation = None
    for record in records[:24]:
        t = record.get("T")
        if t is not None:
            temperatures.append(float(t))
        r = record.get("R1h")
        if r is not None:
            precipitation = (precipitation or 0.0) + (r if r > TOLERANCE else 0.0)
    if not temperatures:
        return (None, None, None, None if precipitation is None else shown(precipitation, 1))
    return (
        shown(max(temperatures), 1),
        shown(min(temperatures), 1),
        shown(sum(temperatures) / len(temperatures), 2),
        None if precipitation is None else shown(precipitation, 1),
    )


def days_of(station, folders):
    name = re.compile(r"^0_" + re.escape(station) + r"_[01]_(\d{8})\.json$")
    days = {}
    for folder in folders:
        for root, _, names in os.walk(folder):
            for file_name in names:
                match = name.match(file_name)
                if not match:
                    continue
                values = day_values(os.path.join(root, file_name))
                if values is not None:
                    days[int(match.group(1))] = values
    return days


def mean_counts(flags):
    missing = flags.count(False)
    run = longest = 0
    for has in flags:
        run = 0 if has else run + 1
        longest = max(longest, run)
    return missing <= 5 and longest <= 3


def climate_csv(days):
    # Per month: lists of the years' values of mean, highest, lowest,
    # precipitation and wet days; extremes as (value, date).
    years = [[[] for _ in range(5)] for _ in range(13)]
    highest = [None] * 13
    lowest = [None] * 13
    wettest = [None] * 13
    by_month = {}
    for date in sorted(days):
        by_month.setdefault(date // 100, []).append(date)
        month = date // 100 % 100
        high, low, _, rain = days[date]
        if high is not None and (highest[month] is None or high - highest[month][0] > TOLERANCE):
            highest[month] = (high, date)
        if low is not None and (lowest[month] is None or low - lowest[month][0] < -TOLERANCE):
            lowest[month] = (low, date)
        if rain is not None and (wettest[month] is None or rain - wettest[month][0] > TOLERANCE):
            wettest[month] = (rain, date)
    for year_month, dates in by_month.items():
        year, month = divmod(year_month, 100)
        length = calendar.monthrange(year, month)[1]
        month_days = {date % 100: days[date] for date in dates}
        for column, element in ((0, 2), (1, 0), (2, 1)):
            flags = [d in month_days and month_days[d][element] is not None
                     for d in range(1, length + 1)]
            if mean_counts(flags):
                values = [month_days[d][element] for d in range(1, length + 1) if flags[d - 1]]
                years[month][column].append(sum(values) / len(values))
        rains = [month_days[d][3] if d in month_days else None for d in range(1, length + 1)]
        if all(r is not None for r in rains):
            years[month][3].append(sum(rains))
            years[month][4].append(float(sum(1 for r in rains if r - 0.1 >= -TOLERANCE)))

    def cell(value):
        return "" if value is None else one_decimal(value)

    def extreme(pair):
        if pair is None:
            return ["", ""]
        value, date = pair
        return [one_decimal(value), f"{date // 10000:04d}-{date // 100 % 100:02d}-{date % 100:02d}"]

    def row(name, means, counts, high, low, wet):
        cells = [name]
        for column in range(3):
            cells += [cell(means[column]), str(counts[column])]
        cells += extreme(high) + extreme(low)
        cells += [cell(means[3]), str(counts[3]), cell(means[4])] + extreme(wet)
        return ",".join(cells) + "\r\n"

    def earliest_extreme(pairs, beyond):
        best = None
        for pair in pairs:
            if pair is None:
                continue
            if best is None or beyond(pair[0], best[0]) or (
                    not beyond(best[0], pair[0]) and pair[1] < best[1]):
                best = pair
        return best

    out = ["\ufeff月份,平均气温 (℃),平均气温 年数,平均最高气温 (℃),平均最高气温 年数,"
           "平均最低气温 (℃),平均最低气温 年数,极端最高气温 (℃),极端最高气温 日期,"
           "极端最低气温 (℃),极端最低气温 日期,降水量 (mm),降水量 年数,降水日数,"
           "日最大降水量 (mm),日最大降水量 日期\r\n"]
    normals = []
    for month in range(1, 13):
        means = [sum(v) / len(v) if v else None for v in years[month]]
        counts = [len(v) for v in years[month]]
        normals.append((means, counts))
        out.append(row(str(month), means, counts, highest[month], lowest[month], wettest[month]))
    year_means = []
    for column in range(5):
        values = [means[column] for means, _ in normals]
        if any(v is None for v in values):
            year_means.append(None)
        else:
            total = 0.0
            for v in values:
                total += v
            year_means.append(total / 12 if column < 3 else total)
    year_counts = [min(counts[column] for _, counts in normals) for column in range(5)]
    higher = lambda a, b: a - b > TOLERANCE
    lower = lambda a, b: a - b < -TOLERANCE
    out.append(row("全年", year_means, year_counts, earliest_extreme(highest[1:], higher),
                   earliest_extreme(lowest[1:], lower), earliest_extreme(wettest[1:], higher)))
    return "".join(out)


def climate(station, folders):
    days = days_of(station, folders)
    return len(days), climate_csv(days)


def main():
    station, folders = sys.argv[1], sys.argv[2:]
    out = None
    if "--out" in folders:
        at = folders.index("--out")
        out = folders[at + 1]
        folders = folders[:at] + folders[at + 2:]
    _, csv = climate(station, folders)
    if out:
        with open(out, "w", encoding="utf-8", newline="") as file:
            file.write(csv)
    start = time.perf_counter()
    cpu_start = time.process_time()
    count, _ = climate(station, folders)
    cpu_seconds = time.process_time() - cpu_start
    seconds = time.perf_counter() - start
    print(f"days/s {count / seconds:.1f} cpu {count / cpu_seconds:.1f}")


if __name__ == "__main__":
    main()
