#!/usr/bin/env python3
"""Keeps the fare display at the stop a bus game says the bus is at.

Many driving games publish their state as JSON over HTTP (a telemetry
plug-in or a companion server). This polls such a URL, reads the stop
number from it, and sends `goto` whenever it changes: the display follows
the game without a hand on the panel.

  FERROTAB_TOKEN=$(ferrotab-ctl token) python3 follow_telemetry.py \\
      http://127.0.0.1:25555/api/telemetry --field job.nextStop --offset 1

--field names the number in the game's JSON (dots go into nested objects),
--offset is added to it (a game counting stops from 0 needs 1: the device
counts from 1), --every is the polling interval in seconds, --for the
seconds to run (default: until Ctrl+C). Python's standard library only.
"""
import argparse
import json
import os
import sys
import time
import urllib.error
import urllib.request

BASE = os.environ.get("FERROTAB_URL", "http://127.0.0.1:50845")
TOKEN = os.environ["FERROTAB_TOKEN"]


def fetch_json(url, method="GET", headers=None):
    request = urllib.request.Request(url, method=method, headers=headers or {})
    try:
        with urllib.request.urlopen(request, timeout=5) as answer:
            return json.load(answer)
    except urllib.error.HTTPError as refused:
        return json.load(refused)


def field(document, path):
    for key in path.split("."):
        document = document[key]
    return int(document)


def main():
    options = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    options.add_argument("telemetry")
    options.add_argument("--field", default="stop")
    options.add_argument("--offset", type=int, default=0)
    options.add_argument("--every", type=float, default=0.5)
    options.add_argument("--for", dest="seconds", type=float, default=None)
    a = options.parse_args()
    shown = None
    end = time.monotonic() + a.seconds if a.seconds else None
    while end is None or time.monotonic() < end:
        try:
            row = field(fetch_json(a.telemetry), a.field) + a.offset
        except (OSError, ValueError, KeyError, TypeError):
            row = None  # the game is not running, or between states
        if row is not None and row != shown:
            answer = fetch_json("%s/command/goto?row=%d" % (BASE, row), "POST", {"Authorization": "Bearer " + TOKEN})
            if answer.get("ok"):
                shown = row
                print("stop %d: %s" % (row, answer["state"]["stop"]["name"]), flush=True)
            else:
                print("stop %d refused: %s" % (row, answer["error"]["message"]), flush=True)
                shown = row  # said once, not at every poll
        time.sleep(a.every)


if __name__ == "__main__":
    sys.exit(main())
