"""The real program for the Python tests: started in a folder of its own as
a newcomer would start it (offscreen, sound to SDL's dummy output), found
through its announcement in the runtime folder, and small clients that
speak to its control interface over bare sockets (HTTP and WebSocket),
Python's standard library only."""

import base64
import glob
import hashlib
import json
import os
import shutil
import signal
import socket
import struct
import subprocess
import tempfile
import time

PROGRAM = os.environ.get("FERROTAB_PROGRAM", "")
SAMPLE = os.environ.get("FERROTAB_SAMPLE", "")


# ---- the device ------------------------------------------------------------------------------


class Device:
    """The plain program as model LED-84, the sample route's files beside
    it, started offscreen with its control interface on a free port."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="ferrotab-attack-")
        self.runtime = tempfile.mkdtemp(prefix="ferrotab-attack-run-")
        os.chmod(self.runtime, 0o700)
        for name in ("1.hy3", "1tp.csv", "1tt.csv"):
            shutil.copy(os.path.join(SAMPLE, name), self.folder)
        os.symlink(PROGRAM, os.path.join(self.folder, "LED-84"))
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, QT_QPA_PLATFORM="offscreen",
                        SDL_AUDIODRIVER="dummy")
        self.env.pop("FERROTAB_CONTROL", None)
        self.process = None
        self.port = 0
        self.token = b""

    def start(self):
        self.process = subprocess.Popen([os.path.join(self.folder, "LED-84"), "--control", "--control-port", "0"],
                                        cwd=self.folder, env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            announced = self.announcement()
            if announced:
                self.port = announced["port"]
                with open(os.path.join(self.folder, "LED-84.control.json"), "rb") as f:
                    self.token = json.load(f)["token"].encode()
                return self
            if self.process.poll() is not None:
                break
            time.sleep(0.05)
        raise AssertionError("the program did not start its interface: " + self.stderr())

    def announcement(self):
        """The running device's announcement in the runtime folder, if any."""
        for path in glob.glob(os.path.join(self.runtime, "**", "*.json"), recursive=True):
            try:
                with open(path, "rb") as f:
                    a = json.load(f)
            except (OSError, ValueError):
                continue
            if self.process and a.get("pid") == self.process.pid and a.get("port"):
                return a
        return None

    def stderr(self):
        if self.process and self.process.poll() is not None and self.process.stderr:
            return self.process.stderr.read().decode(errors="replace")
        return ""

    def quit(self, sig=signal.SIGTERM, timeout=20):
        """Ends the program as a log-out would; returns its exit code."""
        self.process.send_signal(sig)
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return "hung"

    def settings_saved(self):
        return os.path.getsize(os.path.join(self.folder, "LED-84.in4")) > 0

    def open_descriptors(self):
        return len(os.listdir("/proc/%d/fd" % self.process.pid))

    def dispose(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if self.process and self.process.stderr:
            self.process.stderr.close()
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.rmtree(self.runtime, ignore_errors=True)


# ---- clients -------------------------------------------------------------------------------


def connect(port, timeout=5):
    s = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return s


def reset(s):
    """Closes with a reset (RST) rather than a goodbye."""
    s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    s.close()


def read_answer(s, timeout=5):
    """One HTTP answer: (status, headers, body), or None when the connection
    closed or stayed silent first."""
    s.settimeout(timeout)
    data = b""
    try:
        while b"\r\n\r\n" not in data:
            chunk = s.recv(65536)
            if not chunk:
                return None
            data += chunk
        head, _, body = data.partition(b"\r\n\r\n")
        lines = head.split(b"\r\n")
        status = int(lines[0].split()[1])
        headers = {}
        for line in lines[1:]:
            k, _, v = line.partition(b":")
            headers[k.strip().lower()] = v.strip()
        length = int(headers.get(b"content-length", b"0"))
        while len(body) < length:
            chunk = s.recv(65536)
            if not chunk:
                break
            body += chunk
        return status, headers, body
    except (socket.timeout, ConnectionError):
        return None


def closed_by_peer(s, timeout=2):
    """True when the other end closes within `timeout` (what it sends first
    is read and dropped)."""
    s.settimeout(timeout)
    end = time.monotonic() + timeout
    try:
        while time.monotonic() < end:
            if not s.recv(65536):
                return True
    except ConnectionError:
        return True
    except socket.timeout:
        return False
    return False


def request(port, method="GET", target="/state", headers=None, body=b"", version="HTTP/1.1"):
    lines = ["%s %s %s" % (method, target, version), "Host: 127.0.0.1:%d" % port]
    for k, v in (headers or {}).items():
        lines.append("%s: %s" % (k, v))
    if body:
        lines.append("Content-Length: %d" % len(body))
    return ("\r\n".join(lines) + "\r\n\r\n").encode() + body


def timed_state(port, token=None):
    """GET /state on a fresh connection: (milliseconds, status, state)."""
    started = time.monotonic()
    s = connect(port)
    s.sendall(request(port, headers={"Authorization": "Bearer " + token.decode()} if token else None))
    answer = read_answer(s)
    elapsed = (time.monotonic() - started) * 1000
    s.close()
    if not answer:
        return elapsed, 0, None
    return elapsed, answer[0], json.loads(answer[2]) if answer[0] == 200 else answer[2]


def ws_key():
    return base64.b64encode(os.urandom(16)).decode()


def ws_request(port, key=None, headers=None, target="/ws"):
    h = {"Upgrade": "websocket", "Connection": "Upgrade", "Sec-WebSocket-Key": key or ws_key(),
         "Sec-WebSocket-Version": "13"}
    h.update(headers or {})
    return request(port, target=target, headers={k: v for k, v in h.items() if v is not None})


class WebSocket:
    """A small WebSocket client: the handshake, text frames out (masked) and
    in."""

    def __init__(self, port, token=None, timeout=5):
        self.s = connect(port, timeout)
        key = ws_key()
        headers = {"Authorization": "Bearer " + token.decode()} if token else {}
        self.s.sendall(ws_request(port, key, headers))
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = self.s.recv(4096)
            if not chunk:
                raise ConnectionError("closed during the handshake")
            data += chunk
        head, _, self.buffer = data.partition(b"\r\n\r\n")
        if not head.startswith(b"HTTP/1.1 101"):
            raise ConnectionError(head.split(b"\r\n")[0].decode(errors="replace"))
        accept = base64.b64encode(hashlib.sha1((key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11").encode()).digest())
        if accept not in head:
            raise ConnectionError("a wrong Sec-WebSocket-Accept")

    def send(self, obj):
        payload = json.dumps(obj).encode()
        mask = os.urandom(4)
        header = bytes([0x81])
        n = len(payload)
        if n < 126:
            header += bytes([0x80 | n])
        else:
            header += bytes([0x80 | 126]) + struct.pack("!H", n)
        self.s.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.s.recv(65536)
            if not chunk:
                raise ConnectionError("closed")
            self.buffer += chunk
        out, self.buffer = self.buffer[:n], self.buffer[n:]
        return out

    def receive(self, timeout=5):
        """The next text message as JSON; None at a close frame."""
        self.s.settimeout(timeout)
        b0, b1 = self._read(2)
        n = b1 & 0x7F
        if n == 126:
            n = struct.unpack("!H", self._read(2))[0]
        elif n == 127:
            n = struct.unpack("!Q", self._read(8))[0]
        payload = self._read(n)
        if b0 & 0x0F == 0x8:
            return None
        return json.loads(payload)

    def events(self, seconds):
        """Every event name that comes within `seconds`."""
        names = []
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            try:
                m = self.receive(max(0.05, end - time.monotonic()))
            except (socket.timeout, ConnectionError):
                break
            if m is None:
                break
            if "event" in m:
                names.append(m["event"])
        return names

    def close(self):
        self.s.close()




def command(port, token, name, query=""):
    """A command with the token, answered as JSON."""
    s = connect(port, timeout=30)
    s.sendall(request(port, "POST", "/command/%s?token=%s%s" % (name, token.decode(), "&" + query if query else "")))
    answer = read_answer(s, timeout=30)
    s.close()
    return json.loads(answer[2]) if answer else None
