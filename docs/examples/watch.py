#!/usr/bin/env python3
"""Watches the fare display and moves the bus on, from Python.

Debian 12: sudo apt install python3-websockets
  FERROTAB_TOKEN=$(ferrotab-ctl token) python3 watch.py [EVENTS]

Prints the stop the device shows, moves it one stop on with a command over
the WebSocket, then prints each event as it comes (EVENTS of them, default
5) with the stop's name.
"""
import asyncio
import json
import os
import sys
import urllib.request

import websockets

BASE = os.environ.get("FERROTAB_URL", "http://127.0.0.1:50845")
TOKEN = os.environ["FERROTAB_TOKEN"]


def state():
    request = urllib.request.Request(BASE + "/state", headers={"Authorization": "Bearer " + TOKEN})
    with urllib.request.urlopen(request, timeout=10) as answer:
        return json.load(answer)


def stop_name(s):
    return s["stop"]["name"] if s.get("stop") else "-"


async def main(events):
    print("now:", stop_name(state()), flush=True)
    ws_url = BASE.replace("http", "ws", 1) + "/ws?token=" + TOKEN
    async with websockets.connect(ws_url) as ws:
        await ws.send(json.dumps({"id": 1, "command": "next"}))
        seen = 0
        while seen < events:
            message = json.loads(await ws.recv())
            if "event" in message:
                print(message["event"], stop_name(message["state"]), flush=True)
                seen += 1
            elif message.get("id") == 1 and not message["ok"]:
                print("refused:", message["error"]["message"], flush=True)
                return 1
    return 0


if __name__ == "__main__":
    sys.exit(asyncio.run(main(int(sys.argv[1]) if len(sys.argv) > 1 else 5)))
