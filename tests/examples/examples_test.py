#!/usr/bin/env python3
"""The examples of docs/control.md run against the real program, on the
Node.js and Python that Debian 12 ships: the Python watcher (with
python3-websockets), the Node.js watcher (with npm's ws, installed from its
lock file) and the telemetry follower against a made-up game server."""

import http.server
import json
import os
import subprocess
import sys
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "docs", "examples")
# The Python Debian ships, with its python3-websockets.
PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from ferrotab_device import PROGRAM, SAMPLE, Device, command  # noqa: E402


class Examples(unittest.TestCase):
    def setUp(self):
        if not PROGRAM or not SAMPLE:
            self.skipTest("FERROTAB_PROGRAM and FERROTAB_SAMPLE are set by the build's CTest")
        self.device = Device().start()
        self.addCleanup(self.device.dispose)
        self.env = dict(os.environ, FERROTAB_TOKEN=self.device.token.decode(),
                        FERROTAB_URL="http://127.0.0.1:%d" % self.device.port)
        self.assertTrue(command(self.device.port, self.device.token, "route", "route=1&section=1")["ok"])

    def run_example(self, *args, seconds=30):
        done = subprocess.run(args, cwd=EXAMPLES, env=self.env, capture_output=True, text=True, timeout=seconds)
        self.assertEqual(done.returncode, 0, done.stderr)
        return done.stdout

    def test_python_watcher(self):
        self.assertEqual(self.run_example(PYTHON, "watch.py", "1"), "now: 桜川駅（北口）\nstopChanged 本町\n")

    def test_node_watcher(self):
        self.assertEqual(self.run_example("node", "watch.mjs", "1"), "now: 桜川駅（北口）\nstopChanged 本町\n")

    def test_telemetry_follower(self):
        # A game that counts its stops from 0: at stop 4, then 6, then one
        # past the route's end.
        stops = iter([3, 3, 5, 5, 25])
        current = {"job": {"nextStop": 3}}

        class Game(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                body = json.dumps(current).encode()
                self.send_response(200)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        game = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Game)
        threading.Thread(target=game.serve_forever, daemon=True).start()
        self.addCleanup(game.shutdown)

        def play():
            for stop in stops:
                current["job"]["nextStop"] = stop
                time.sleep(0.6)

        threading.Thread(target=play, daemon=True).start()
        out = self.run_example(PYTHON, "follow_telemetry.py",
                               "http://127.0.0.1:%d/" % game.server_address[1], "--field", "job.nextStop",
                               "--offset", "1", "--every", "0.1", "--for", "4")
        lines = out.splitlines()
        self.assertEqual(lines[:2], ["stop 4: 中央商店街", "stop 6: 県立桜川病院（正面玄関）"])
        self.assertTrue(lines[2].startswith("stop 26 refused: "), out)
        self.assertEqual(len(lines), 3, "each change is sent once")


if __name__ == "__main__":
    unittest.main()
