#!/usr/bin/env python3
"""The display path peer run once, as a whole process.

Reads the answer file given, makes the 24 hour slots, the day's statistics
and the status texts as display_path_peer.py does, and prints the texts.
bench_process_start times it from start to exit beside skyrill-day.
"""

import json
import sys

from display_path_peer import slots, summary, texts


def main():
    with open(sys.argv[1], encoding="utf-8") as file:
        answer = json.load(file)
    print("\n".join(texts(answer, summary(slots(answer)))))


if __name__ == "__main__":
    main()
