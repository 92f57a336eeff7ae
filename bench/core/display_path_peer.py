#!/usr/bin/env python3
"""The display path of one answer as a plain Python script would do it.

json.loads, the 24 hour slots, the day's statistics and the status texts of
one answer file, timed with the standard library; prints the median
microseconds of each stage as "stage<TAB>microseconds" lines.
Used by bench_display_path as the peer it is compared with.
"""

import json
import statistics
import sys
import time

KEYS = ("T", "P", "RH", "WD0mMAX1h", "WS0mMAX1h", "R1h", "V10m", "SD")


def text(value):
    if value is None:
        return ""
    if value is True or value is False:
        return "true" if value else "false"
    return str(value)


def cell(record, acc, key):
    value = text(record.get(key))
    if acc:
        extra = text(acc.get(key))
        if extra:
            value += " {" + extra + "}"
    return value


def slots(answer):
    records = answer.get("res") or []
    hours = [[""] * 9 for _ in range(24)]
    for index, record in enumerate(records[:24]):
        row = hours[index]
        acc = record.get("acc")
        row[0] = record.get("time", "").replace("T", " ")
        for column, key in enumerate(KEYS, start=1):
            row[column] = cell(record, acc, key)
    return hours


def number(value):
    try:
        return float(value.split(" ")[0])
    except ValueError:
        return None


def summary(hours):
    temperatures = [t for t in (number(h[1]) for h in hours if h[1]) if t is not None]
    pressures = [p for p in (number(h[2]) for h in hours if h[2]) if p is not None]
    rain = [r for r in (number(h[6]) for h in hours if h[6]) if r is not None]
    wind = [w for w in (number(h[5]) for h in hours if h[5]) if w is not None]
    visibility = [v for v in (number(h[7]) for h in hours if h[7]) if v is not None]
    return {
        "maxT": max(temperatures, default=None),
        "minT": min(temperatures, default=None),
        "meanT": sum(temperatures) / len(temperatures) if temperatures else None,
        "maxP": max(pressures, default=None),
        "minP": min(pressures, default=None),
        "meanP": sum(pressures) / len(pressures) if pressures else None,
        "rain": sum(rain),
        "maxRain": max(rain, default=0),
        "maxWind": max(wind, default=None),
        "minV": min(visibility, default=None),
    }


def texts(answer, day):
    def shown(value, unit):
        return "无数据" if value is None else f"{value:.1f}{unit}"

    title = "历史数据\r\n" + answer.get("date", "") + "\r\n"
    records = answer.get("res") or [{}]
    title += records[0].get("name", "") + " " + answer.get("wmo", "")
    return [
        title,
        "最高气温：" + shown(day["maxT"], "℃"),
        "最低气温：" + shown(day["minT"], "℃"),
        "降水量：" + shown(day["rain"], "mm"),
        "最大小时雨强：" + shown(day["maxRain"], "mm"),
        "平均气温：" + shown(day["meanT"], "℃"),
        "最高风速：" + shown(day["maxWind"], "m/s"),
        "最高气压：" + shown(day["maxP"], "hPa"),
        "最低气压：" + shown(day["minP"], "hPa"),
        "平均气压：" + shown(day["meanP"], "hPa"),
        "最低能见度：" + shown(day["minV"], "km"),
    ]


def median_microseconds(run, repeats=21):
    # Enough calls per sample to last about a millisecond.
    calls = 1
    while True:
        start = time.perf_counter()
        for _ in range(calls):
            run()
        if time.perf_counter() - start > 1e-3:
            break
        calls *= 2
    samples = []
    for _ in range(repeats):
        start = time.perf_counter()
        for _ in range(calls):
            run()
        samples.append((time.perf_counter() - start) / calls * 1e6)
    return statistics.median(samples)


def main():
    with open(sys.argv[1], encoding="utf-8") as file:
        answer_text = file.read()
    answer = json.loads(answer_text)
    hours = slots(answer)
    day = summary(hours)

    def whole():
        parsed = json.loads(answer_text)
        texts(parsed, summary(slots(parsed)))

    print(f"parse\t{median_microseconds(lambda: json.loads(answer_text)):.2f}")
    print(f"slots\t{median_microseconds(lambda: slots(answer)):.2f}")
    print(f"statistics\t{median_microseconds(lambda: summary(hours)):.2f}")
    print(f"texts\t{median_microseconds(lambda: texts(answer, day)):.2f}")
    print(f"whole\t{median_microseconds(whole):.2f}")


if __name__ == "__main__":
    main()
