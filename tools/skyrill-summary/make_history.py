#!/usr/bin/env python3
"""Fills a History tree with past days fetched from the local sample service.

Starts skyrill-sample-service on a free port of 127.0.0.1, fetches each day of
each station as the window does and saves the answer bytes as
OUT/History/<year>/0_<station>_0_<YYYYMMDD>.json, the names auto-save gives.

  make_history.py --service build/release/tools/sample-service/skyrill-sample-service \\
      --out /tmp/summary-data --days 3650

The default stations are 50953 (Harbin, a cold northern climate) and 59287
(Guangzhou, a warm southern one).
"""

import argparse
import datetime
import http.client
import os
import re
import subprocess
import sys
import threading


def start_service(program):
    service = subprocess.Popen([program, "--port", "0"], stderr=subprocess.PIPE, text=True)
    first = service.stderr.readline()
    match = re.search(r"http://[^:]+:(\d+)", first)
    if not match:
        service.kill()
        sys.exit("the sample service did not start: " + first)
    # Its request log must not fill the pipe and stall it.
    threading.Thread(target=lambda: service.stderr.read(), daemon=True).start()
    return service, int(match.group(1))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--service", required=True, help="the skyrill-sample-service program")
    parser.add_argument("--out", required=True, help="the folder that gets History/")
    parser.add_argument("--stations", default="50953,59287")
    parser.add_argument("--first", default="2016-01-01", help="first day, YYYY-MM-DD")
    parser.add_argument("--days", type=int, default=365)
    args = parser.parse_args()

    service, port = start_service(args.service)
    try:
        connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
        first = datetime.date.fromisoformat(args.first)
        for station in args.stations.split(","):
            for offset in range(args.days):
                day = first + datetime.timedelta(days=offset)
                connection.request(
                    "GET",
                    f"/api/weather/{station}/history/?key=demo&date={day.year}-{day.month}-{day.day}")
                response = connection.getresponse()
                body = response.read()
                if response.status != 200:
                    sys.exit(f"{station} {day}: status {response.status}")
                folder = os.path.join(args.out, "History", str(day.year))
                os.makedirs(folder, exist_ok=True)
                name = f"0_{station}_0_{day:%Y%m%d}.json"
                with open(os.path.join(folder, name), "wb") as out:
                    out.write(body)
    finally:
        service.terminate()
        service.wait()


if __name__ == "__main__":
    main()
