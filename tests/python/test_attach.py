"""zr47xcl.attach against controls that `zr47xcl serve` publishes on a private session bus."""

import os
import signal
import shutil
import subprocess
import sys
import time

import pytest

import zr47xcl
from conftest import BIN_DIR


@pytest.fixture
def bus(session, monkeypatch):
    """A session bus of the test's own, the address of this process and of its programs."""
    if shutil.which("dbus-daemon") is None:
        pytest.skip("dbus-daemon is not installed")
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    address = daemon.stdout.readline().strip()
    monkeypatch.setenv("DBUS_SESSION_BUS_ADDRESS", address)
    session.env["DBUS_SESSION_BUS_ADDRESS"] = address
    served = []

    def serve(*args):
        process = subprocess.Popen([str(BIN_DIR / "zr47xcl"), "serve", *args], env=session.env,
                                   stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
        served.append(process)
        name = process.stdout.readline().strip()
        assert name.startswith("com.korvel.ZR47xCL.p")
        return name

    yield serve
    for process in served:
        process.terminate()
        assert process.wait(timeout=10) == 0
        process.stdout.close()
    daemon.terminate()
    daemon.wait(timeout=10)
    daemon.stdout.close()


def test_attached_control_has_the_members_events_and_errors_of_a_local_one(camera, bus):
    bus()
    ctl = zr47xcl.attach()
    assert isinstance(ctl, zr47xcl.Control)
    events, lines = [], []
    ctl.connect("IMG1ShutterSpeedChanged", lambda: events.append("speed"))
    ctl.on_log(lambda line, sent: lines.append((line, sent)))

    ctl.img1shutterspeed = 6
    assert (ctl.IMG1ShutterSpeed, ctl.IMG1ShutterSpeedString) == (6, "1/1000")
    assert events == ["speed"]
    assert ("SH1=6", True) in lines and ("COMPLETE", False) in lines
    assert ctl.ModelName == "ZR-470" and isinstance(ctl.ShowAboutWindow, bool)
    # Methods with out arguments give a tuple, as locally.
    assert ctl.AskIMG1TriggerModeRange(1) == 6
    assert ctl.DoIMG1OnePushAWB(nShowResultMessage=0) == (0, 1)

    # Errors: the script errors of the dispatch, with their codes and descriptions.
    with pytest.raises(zr47xcl.ScriptError) as read_only:
        ctl.CommPort = 1
    assert read_only.value.code == 0x800A017F
    with pytest.raises(zr47xcl.ScriptError) as remote:
        ctl.StartCommunication(0, 15)
    with zr47xcl.Control(connect=False) as local, pytest.raises(zr47xcl.ScriptError) as here:
        local.StartCommunication(0, 15)
    assert (remote.value.code, str(remote.value)) == (here.value.code, str(here.value))
    assert ctl.CommPort == 15
    with pytest.raises(TypeError):
        ctl.IMG1ShutterSpeed = "fast"
    with pytest.raises(AttributeError):
        ctl.NoSuchMember
    assert ctl.StartCommunication(0, 0) == 0 and ctl.CheckOnline() is True
    ctl.close()
    assert ctl.closed
    with pytest.raises(RuntimeError):
        ctl.IMG1ShutterSpeed


def test_two_published_controls_are_reached_by_their_ports(session, bus):
    session.start_camera(port=1)
    session.start_camera("--model", "ZR-472", port=2)
    bus("--port", "COM1")
    bus("--port", "COM2")
    first, second = zr47xcl.attach("COM1"), zr47xcl.attach("com2")
    assert (first.CommPort, first.ModelName) == (0, "ZR-470")
    assert (second.CommPort, second.ModelName) == (1, "ZR-472")
    second.IMG2ShutterSpeed = 3
    first.IMG2ShutterSpeed = 5
    assert (first.IMG2ShutterSpeed, second.IMG2ShutterSpeed) == (5, 3)
    with pytest.raises(ConnectionError, match="name the port"):
        zr47xcl.attach()
    with pytest.raises(ConnectionError):
        zr47xcl.attach("COM3")
    with pytest.raises(ValueError):
        zr47xcl.attach("LPT1")
    first.close()
    second.close()


INTERRUPTED_CALL = """
import time
import zr47xcl
ctl = zr47xcl.attach()
print("attached", flush=True)
try:
    ctl.DoIMG1OnePushAWB(0)
    print("finished", flush=True)
except KeyboardInterrupt:
    print("interrupted", time.monotonic(), flush=True)
print("after", ctl.CommPort, flush=True)
"""


def test_ctrl_c_stops_an_attached_call_and_raises_keyboard_interrupt_at_once(session, bus):
    # A white balance the camera reports working for ten seconds.
    session.start_camera("--fault", "awb-working=100:AW1")
    bus()
    script = subprocess.Popen([sys.executable, "-c", INTERRUPTED_CALL], env=session.env,
                              stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
    try:
        assert script.stdout.readline().strip() == "attached"
        time.sleep(1.0)
        sent = time.monotonic()
        script.send_signal(signal.SIGINT)
        word, at = script.stdout.readline().split()
        assert word == "interrupted"
        # The stop reached the operation in the other program, which ended at its next poll.
        assert float(at) - sent < 3.0
        # The control is free again: the next call goes through at once.
        assert script.stdout.readline().strip() == "after 0"
        assert script.wait(timeout=10) == 0
    finally:
        script.kill()
        script.wait()
        script.stdout.close()
