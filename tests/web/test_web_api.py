"""The web face's JSON API end to end: members from the tables, values, set, call, files and the
event stream, against `zr47xcl serve` holding a simulated camera."""

import json
import queue
import socket
import subprocess
import threading
import time

from conftest import wait_for


class EventStream:
    """The events of one control, read on a thread of their own as a browser's EventSource."""

    def __init__(self, web, control):
        self.events = queue.Queue()
        self.sock = socket.create_connection(("127.0.0.1", web.port), timeout=30)
        self.sock.sendall(f"GET /api/v1/controls/{control}/events HTTP/1.1\r\nHost: {web.host}\r\n"
                          f"Cookie: {web.cookie}\r\nAccept: text/event-stream\r\n\r\n".encode())
        self.head = b""
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        buffer = b""
        try:
            while True:
                chunk = self.sock.recv(65536)
                if not chunk:
                    break
                buffer += chunk
                while b"\n\n" in buffer:
                    block, buffer = buffer.split(b"\n\n", 1)
                    if block.startswith(b"HTTP/"):
                        self.head, _, block = block.partition(b"\r\n\r\n")
                    fields = dict(line.split(": ", 1) for line in block.decode().split("\n")
                                  if ": " in line and not line.startswith(":"))
                    if "event" in fields:
                        self.events.put((fields["event"], json.loads(fields["data"]),
                                         time.monotonic()))
        except OSError:
            pass

    def wait(self, kind, check=lambda data: True, timeout=5):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            try:
                event, data, when = self.events.get(timeout=max(0.01, end - time.monotonic()))
            except queue.Empty:
                break
            if event == kind and check(data):
                return data, when
        raise AssertionError(f"no {kind} event")

    def close(self):
        self.sock.close()


def test_members_values_set_call_files_and_events(bench):
    bench.camera()
    bench.serve()
    web = bench.web("--listen", "127.0.0.1:0")
    web.sign_in()

    # Without a password, only requests naming this machine by a loopback name are answered: a
    # site whose name was pointed at 127.0.0.1 is refused, even from its own origin.
    rebound = {"Host": f"evil.example:{web.port}", "Origin": f"http://evil.example:{web.port}"}
    assert web.request("GET", "/api/v1/session", headers=rebound)[0] == 403
    assert web.request("POST", "/api/v1/controls/COM1/set",
                       {"name": "IMG1ShutterSpeed", "value": 1}, rebound)[0] == 403
    assert web.request("GET", "/api/v1/controls/COM1/events", headers=rebound)[0] == 403
    assert web.request("GET", "/api/v1/session", headers={"Host": f"localhost:{web.port}"})[0] == 200

    # The controls on the bus, by port.
    status, _, body = web.request("GET", "/api/v1/controls")
    assert status == 200 and [c["id"] for c in body["controls"]] == ["COM1"]
    assert body["controls"][0]["online"] is True

    # Members: groups, ranges and value names come from the tables.
    status, _, body = web.request("GET", "/api/v1/members")
    members = {m["name"]: m for m in body["members"]}
    speed = members["IMG1ShutterSpeed"]
    assert (speed["group"], speed["control"], speed["kind"]) == ("imager1", "list", "property")
    assert speed["values"][6] == "1/1000"
    assert members["IMG2ShutterSpeed"]["group"] == "imager2"
    gain = members["IMG1GainMaster"]
    assert gain["control"] == "number" and gain["min"] < gain["max"]
    assert members["ReadAllFromCamera"]["control"] == "button"
    assert members["CommPort"]["group"] == "communication"
    awb = members["DoIMG1OnePushAWB"]
    assert [a["out"] for a in awb["args"]] == [True, False]

    status, _, values = web.request("GET", "/api/v1/controls/com1/values")
    assert status == 200 and values["online"] is True and values["values"]["ModelName"] == "ZR-470"
    assert values["enabled"]["IMG1ShutterSpeed"] in (True, False)

    events = EventStream(web, "COM1")
    time.sleep(0.2)
    # A set from the page reaches the camera; its change comes back over the stream.
    status, _, body = web.request("POST", "/api/v1/controls/COM1/set",
                                  {"name": "IMG1ShutterSpeed", "value": 6})
    assert (status, body) == (200, {"ok": True})
    change, _ = events.wait("change", lambda d: d["name"] == "IMG1ShutterSpeed")
    assert change["value"] == 6
    events.wait("log", lambda d: d["line"] == "SH1=6" and d["sent"])

    # A change made by another client shows on the stream.
    started = time.monotonic()
    assert bench.cli("--attach", "COM1", "set", "IMG1ShutterSpeed=3")[0] == 0
    change, when = events.wait("change", lambda d: d["name"] == "IMG1ShutterSpeed" and d["value"] == 3)
    status, _, values = web.request("GET", "/api/v1/controls/COM1/values")
    assert values["values"]["IMG1ShutterSpeed"] == 3

    # Errors: a value of the wrong type, a read-only property, an unknown member.
    assert web.request("POST", "/api/v1/controls/COM1/set",
                       {"name": "IMG1ShutterSpeed", "value": "fast"})[0] == 400
    status, _, body = web.request("POST", "/api/v1/controls/COM1/set", {"name": "CommPort", "value": 1})
    assert status == 400 and body["error"]["code"] == "0x800A017F"
    assert web.request("GET", "/api/v1/controls/COM9/values")[0] == 404

    # Text is UTF-8 on the web and Windows-1252 in the control: it round-trips, and a character
    # the control cannot hold is refused rather than replaced.
    assert web.request("POST", "/api/v1/controls/COM1/set", {"name": "UserID", "value": "Zelle é€"})[0] == 200
    events.wait("change", lambda d: d["name"] == "UserID" and d["value"] == "Zelle é€")
    status, _, body = web.request("POST", "/api/v1/controls/COM1/set", {"name": "UserID", "value": "日"})
    assert status == 400 and "日" in body["error"]["message"]
    assert web.request("GET", "/api/v1/controls/COM1/values")[2]["values"]["UserID"] == "Zelle é€"

    # Methods: results and out arguments; a long operation streams its progress.
    status, _, body = web.request("POST", "/api/v1/controls/COM1/call",
                                  {"name": "AskIMG1TriggerModeRange", "args": [1]})
    assert (status, body["result"]) == (200, 6)
    status, _, body = web.request("POST", "/api/v1/controls/COM1/call",
                                  {"name": "DoIMG1OnePushAWB", "args": [0]})
    assert (status, body) == (200, {"result": 0, "out": {"pnResult": 1}})
    # The message box a call raises goes to the page, not to the server's standard error.
    assert web.request("POST", "/api/v1/controls/COM1/call",
                       {"name": "DoIMG1OnePushAWB", "args": [1]})[0] == 200
    message, _ = events.wait("message", lambda d: d["text"])
    assert message["problem"] is False
    status, _, body = web.request("POST", "/api/v1/controls/COM1/call", {"name": "ReadAllFromCamera"})
    assert (status, body["result"]) == (200, 0)
    events.wait("progress", lambda d: d.get("steps", 0) > 0)
    events.wait("progress", lambda d: d.get("done") is True)

    # A file name never comes from the browser.
    status, _, body = web.request("POST", "/api/v1/controls/COM1/call",
                                  {"name": "WriteAllToFile", "args": ["/tmp/x.cam"]})
    assert status == 403
    # Files pass through the server's own temporary files.
    status, answer, setup = web.request("GET", "/api/v1/controls/COM1/setup", raw=True)
    assert status == 200 and setup.startswith(b"[General]\r\n") and b"Shutter Speed=3" in setup
    assert 'filename="zr47xcl-COM1.cam"' in answer.getheader("Content-Disposition")
    assert web.request("POST", "/api/v1/controls/COM1/set", {"name": "IMG1ShutterSpeed", "value": 2})[0] == 200
    status, _, body = web.request("POST", "/api/v1/controls/COM1/setup", setup,
                                  {"Content-Type": "application/octet-stream"})
    assert status == 200, body
    assert wait_for(lambda: web.request("GET", "/api/v1/controls/COM1/values")[2]["values"]
                    ["IMG1ShutterSpeed"] == 3)
    status, answer, report = web.request("GET", "/api/v1/controls/COM1/report", raw=True)
    assert status == 200 and len(report) > 100
    assert list((bench.dir).glob("zr47xcl-web-*/*")) == []  # nothing left behind

    # The OpenAPI description names the writable properties of the member table.
    status, _, document = web.request("GET", "/api/v1/openapi.json")
    names = document["components"]["schemas"]["SetRequest"]["properties"]["name"]["enum"]
    assert "IMG1ShutterSpeed" in names and "CommPort" not in names
    events.close()


def test_web_serve_publishes_its_own_control_stops_operations_and_ends_on_sighup(bench):
    bench.camera("--pace")
    web = bench.web("--serve", "--port", "COM1", "--listen", "127.0.0.1:0")
    web.sign_in()
    assert web.request("POST", "/api/v1/controls/COM1/set",
                       {"name": "IMG1ShutterSpeed", "value": 5})[0] == 200

    # A read-all at 9600 baud shows its progress and stops when asked; meanwhile a second
    # operation is refused as busy and values are still answered.
    events = EventStream(web, "COM1")
    time.sleep(0.2)
    answers = []
    started = time.monotonic()
    caller = threading.Thread(target=lambda: answers.append(
        web.request("POST", "/api/v1/controls/COM1/call", {"name": "ReadAllFromCamera"})))
    caller.start()
    first, _ = events.wait("progress", lambda d: d.get("steps", 0) > 0)
    status, _, body = web.request("POST", "/api/v1/controls/COM1/call", {"name": "ReadAllFromCamera"})
    assert status == 409 and body["error"]["code"] == "0x80010001"
    assert web.request("GET", "/api/v1/controls/COM1/values")[2]["busy"] is True
    assert web.request("POST", "/api/v1/controls/COM1/stop")[0] == 200
    caller.join(timeout=30)
    events.wait("progress", lambda d: d.get("done") is True)
    steps = []
    while not events.events.empty():
        event, data, _ = events.events.get()
        if event == "progress" and "step" in data:
            steps.append(data["step"])
    assert answers and answers[0][0] in (200, 400)
    assert steps == [] or max(steps) < first["steps"]
    events.close()
    status, out, _ = bench.cli("--attach", "COM1", "get", "IMG1ShutterSpeed")
    assert (status, out.strip()) == (0, "5")
    web.process.send_signal(1)
    assert web.process.wait(timeout=15) == 0, bench.web_errors.read_text()


def test_refuses_to_start_where_it_would_be_unsafe(bench, tmp_path):
    status, _, err = bench.cli("web", "--listen", "0.0.0.0:0")
    assert status == 1 and "not a loopback address, needs TLS and a password" in err
    readable = tmp_path / "readable"
    readable.write_text("x\n")
    readable.chmod(0o644)
    status, _, err = bench.cli("web", "--password-file", str(readable), "--listen", "127.0.0.1:0")
    assert status == 1 and "group or others" in err
    assert bench.cli("web", "get", "ModelName")[0] == 2
    assert bench.cli("--listen", "127.0.0.1:0", "list")[0] == 2


def test_systemd_user_unit_verifies(tmp_path):
    import os
    import pathlib
    import shutil
    import pytest
    from conftest import BIN_DIR
    if shutil.which("systemd-analyze") is None:
        pytest.skip("systemd-analyze is not installed")
    unit = BIN_DIR.parent / "share" / "systemd" / "user" / "zr47xcl-web.service"
    text = unit.read_text()
    assert "ExecStart=" in text and " web --serve" in text
    # The unit as installed, its program pointed at the one just built.
    exec_line = next(l for l in text.splitlines() if l.startswith("ExecStart="))
    program = exec_line.split("=", 1)[1].split()[0]
    copy = tmp_path / "zr47xcl-web.service"
    copy.write_text(text.replace(program, str(BIN_DIR / "zr47xcl")))
    done = subprocess.run(["systemd-analyze", "verify", "--man=no", str(copy)],
                          capture_output=True, text=True, env=dict(os.environ, SYSTEMD_LOG_LEVEL="warning"))
    problems = [l for l in (done.stdout + done.stderr).splitlines() if "zr47xcl-web" in l]
    assert done.returncode == 0 and not problems, done.stderr
