"""`zr47xcl web` against simulated cameras published on a private session bus."""

import http.client
import json
import os
import pathlib
import re
import shutil
import signal
import ssl
import subprocess
import time

import pytest

BIN_DIR = pathlib.Path(
    os.environ.get("ZR_BIN_DIR", pathlib.Path(__file__).resolve().parents[2] / "build" / "bin"))


class Web:
    """A running `zr47xcl web` and a way to talk to it like a browser of its own origin."""

    def __init__(self, process, url, cafile=None):
        self.process = process
        self.url = url
        match = re.match(r"(https?)://([^/]+)/", url)
        self.scheme, self.host = match.group(1), match.group(2)
        self.port = int(self.host.rsplit(":", 1)[1])
        self.origin = f"{self.scheme}://{self.host}"
        self.context = None
        if self.scheme == "https":
            self.context = ssl.create_default_context(cafile=cafile)
            self.context.check_hostname = False
        self.cookie = ""
        self.csrf = ""

    def connection(self, timeout=10):
        if self.scheme == "https":
            return http.client.HTTPSConnection("127.0.0.1", self.port, timeout=timeout,
                                               context=self.context)
        return http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)

    def request(self, method, path, body=None, headers=None, raw=False):
        """(status, headers, parsed JSON or raw bytes) of one request on a new connection."""
        sent = {"Host": self.host}
        if self.cookie:
            sent["Cookie"] = self.cookie
        if method == "POST":
            sent.update({"Origin": self.origin, "X-CSRF-Token": self.csrf})
        sent.update(headers or {})
        if isinstance(body, (dict, list)):
            body = json.dumps(body)
            sent.setdefault("Content-Type", "application/json")
        conn = self.connection()
        try:
            conn.request(method, path, body=body, headers=sent)
            answer = conn.getresponse()
            data = answer.read()
            cookie = answer.getheader("Set-Cookie")
            if cookie:
                self.cookie = cookie.split(";", 1)[0]
            if raw or not answer.getheader("Content-Type", "").startswith("application/json"):
                return answer.status, answer, data
            return answer.status, answer, json.loads(data)
        finally:
            conn.close()

    def sign_in(self, password=None):
        if password is not None:
            status, _, body = self.request("POST", "/api/v1/login", {"password": password})
            assert status == 200, body
            self.csrf = body["csrf"]
        status, _, body = self.request("GET", "/api/v1/session")
        assert status == 200 and body["authenticated"], body
        self.csrf = body["csrf"]


class Bench:
    """A temporary user with a session bus of its own and simulated cameras on COM ports."""

    def __init__(self, tmp_path):
        self.dir = tmp_path
        self.processes = []
        self.env = dict(os.environ, HOME=str(tmp_path), XDG_CONFIG_HOME=str(tmp_path / "config"),
                        XDG_DATA_HOME=str(tmp_path / "data"), XDG_RUNTIME_DIR=str(tmp_path))
        daemon = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address"])
        self.env["DBUS_SESSION_BUS_ADDRESS"] = daemon.stdout.readline().strip()

    def spawn(self, args, **options):
        process = subprocess.Popen(args, env=self.env, stdout=subprocess.PIPE,
                                   stdin=subprocess.DEVNULL, text=True, **options)
        self.processes.append(process)
        return process

    def camera(self, *options, port=1):
        """A simulated ZR-470 on COM<port>; every COM port leads to its link."""
        link = self.dir / f"camera-{port}"
        sim = self.spawn([str(BIN_DIR / "zr47xcl-sim"), "--link", str(link), *options])
        assert sim.stdout.readline().startswith("/dev/")
        folder = self.dir / "config" / "Korvel-XKorvelZR47xCL.ini-Control"
        folder.mkdir(parents=True, exist_ok=True)
        ports = "".join(f"COM{n}={self.dir / f'camera-{n}'}\r\n" for n in range(1, 17))
        (folder / "XKorvelZR47xCL Control.ini").write_bytes(
            f"[Comm]\r\n{ports}Class=0\r\nPort=0\r\n".encode())

    def serve(self, port="COM1"):
        process = self.spawn([str(BIN_DIR / "zr47xcl"), "serve", "--port", port])
        assert process.stdout.readline().startswith("com.korvel.ZR47xCL.p")
        return process

    def web(self, *args, cafile=None):
        # Standard error goes to a file: a pipe nobody reads would stall the server once full.
        self.web_errors = self.dir / f"web-{len(self.processes)}.err"
        with open(self.web_errors, "w") as errors:
            process = self.spawn([str(BIN_DIR / "zr47xcl"), "web", *args], stderr=errors)
        line = process.stdout.readline()
        while line.startswith("com.korvel."):  # the bus name first with --serve
            line = process.stdout.readline()
        match = re.match(r"zr47xcl web: listening on (\S+)", line)
        assert match, (line, self.web_errors.read_text())
        return Web(process, match.group(1), cafile)

    def cli(self, *args, stdin=None):
        done = subprocess.run([str(BIN_DIR / "zr47xcl"), *args], env=self.env, input=stdin,
                              capture_output=True, text=True, timeout=60)
        return done.returncode, done.stdout, done.stderr

    def password_file(self, password):
        path = self.dir / "web-password"
        status, _, err = self.cli("web", "--hash-password", str(path), stdin=password + "\n")
        assert status == 0, err
        assert path.stat().st_mode & 0o777 == 0o600
        return path

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
        for process in reversed(self.processes):
            try:
                process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            for stream in (process.stdout, process.stderr):
                if stream:
                    stream.close()


@pytest.fixture
def bench(tmp_path):
    for program in ("dbus-daemon",):
        if shutil.which(program) is None:
            pytest.skip(f"{program} is not installed")
    b = Bench(tmp_path)
    yield b
    b.stop()


def wait_for(check, timeout=5.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if check():
            return True
        time.sleep(0.02)
    return check()
