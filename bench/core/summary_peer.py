#!/usr/bin/env python3
"""The summary of saved days as a plain Python script would do it.

Walks the folders for *.json files, reads each name (mode, station, date,
fetch time), parses the answer with json.loads, checks it has records, builds
the 24 hour slots, the day's statistics and the panel texts (as
display_path_peer.py does), splits each text into value, label and mark,
keeps the later fetch of each station-day, sorts by station and date and
writes the CSV (UTF-8 with a byte-order mark) into memory.
Runs once to warm the cache, then prints the days per second of a second
run as "days/s N". Used by bench_summary as the peer it is compared with.
"""

import csv
import io
import json
import os
import re
import sys
import time

from display_path_peer import slots, summary, texts

NAME = re.compile(r"^(\d)_(.+)_[01]_(\d{8})(?:_(\d{6}))?\.json$")
LABEL = re.compile(r"^(?P<value>-?[\d.]+)(?P<unit>[^*（]*)(?P<mark>\*?)(?:（(?P<label>.*)）)?$")


def files_of(folders):
    for folder in folders:
        for root, _, names in os.walk(folder):
            for name in names:
                if name.endswith(".json"):
                    yield os.path.join(root, name)


def cells(text):
    value = text.split("：", 1)[1]
    match = LABEL.match(value)
    if not match:
        return ["", "", ""]
    return [match["value"], match["label"] or "", match["mark"]]


def summarise(folders):
    days = {}
    skipped = 0
    for path in files_of(folders):
        name = NAME.match(os.path.basename(path))
        if not name:
            continue
        mode, station, date, fetch_time = name.groups()
        with open(path, "rb") as file:
            data = file.read()
        try:
            answer = json.loads(data.decode("utf-8", "replace"))
        except ValueError:
            skipped += 1
            continue
        records = answer.get("res") if isinstance(answer, dict) else None
        if not records or not records[0].get("time"):
            skipped += 1
            continue
        lines = texts(answer, summary(slots(answer)))[1:]
        row = [path, mode, station, f"{date[:4]}-{date[4:6]}-{date[6:]}"]
        for line in lines:
            row += cells(line)
        later = (mode == "0", fetch_time or "", os.stat(path).st_mtime)
        key = (station, date)
        if key not in days or days[key][0] < later:
            days[key] = (later, row)
    out = io.StringIO()
    out.write("\ufeff")
    writer = csv.writer(out, lineterminator="\r\n")
    writer.writerow(["文件", "模式", "站号", "日期"] + ["值", "等级", "缺测"] * 10)
    for key in sorted(days):
        writer.writerow(days[key][1])
    return len(days), skipped, out.getvalue()


def main():
    folders = sys.argv[1:]
    summarise(folders)
    start = time.perf_counter()
    count, _, _ = summarise(folders)
    seconds = time.perf_counter() - start
    print(f"days/s {count / seconds:.1f}")


if __name__ == "__main__":
    main()
