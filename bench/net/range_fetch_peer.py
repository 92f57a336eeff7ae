#!/usr/bin/env python3
"""A range of past days fetched as a plain Python script would do it.

Usage: range_fetch_peer.py BASE STATION YEAR FOLDER

Asks BASE (e.g. http://127.0.0.1:8080) for every day of YEAR at STATION with
the "demo" key, four requests in flight (urllib on a thread pool of 4, a new
connection per request), checks that each answer is JSON with records, and
writes it whole under FOLDER/YEAR/0_STATION_0_YYYYMMDD.json through a
temporary file in the same folder and os.replace.

Times itself from the first request to the last file written, so the
interpreter's start and imports are left out. Prints "days/s N" (the days
written over those seconds), "files N" (days written) and "failed N" (days
with no usable answer). Used by bench_range_fetch as the peer it is
compared with.
"""

import datetime
import json
import os
import sys
import tempfile
import time
import urllib.request
from concurrent.futures import ThreadPoolExecutor


def days_of(year):
    day = datetime.date(year, 1, 1)
    while day.year == year:
        yield day
        day += datetime.timedelta(days=1)


def fetch_day(base, station, day, folder):
    url = (f"{base}/api/weather/{station}/history/?key=demo"
           f"&date={day.year}-{day.month}-{day.day}")
    try:
        with urllib.request.urlopen(url, timeout=60) as response:
            body = response.read()
        answer = json.loads(body.decode("utf-8", "replace"))
    except (OSError, ValueError):
        return False
    records = answer.get("res") if isinstance(answer, dict) else None
    if not records or not records[0].get("time"):
        return False
    year_folder = os.path.join(folder, str(day.year))
    os.makedirs(year_folder, exist_ok=True)
    name = f"0_{station}_0_{day:%Y%m%d}.json"
    handle, temp = tempfile.mkstemp(dir=year_folder, suffix=".tmp")
    try:
        with os.fdopen(handle, "wb") as file:
            file.write(body)
        os.replace(temp, os.path.join(year_folder, name))
    except OSError:
        os.unlink(temp)
        return False
    return True


def main():
    base, station, year, folder = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    days = list(days_of(year))
    start = time.perf_counter()
    with ThreadPoolExecutor(max_workers=4) as pool:
        written = sum(pool.map(lambda day: fetch_day(base, station, day, folder), days))
    seconds = time.perf_counter() - start
    print(f"days/s {written / seconds:.1f}")
    print(f"files {written}")
    print(f"failed {len(days) - written}")


if __name__ == "__main__":
    main()
