"""zr47xcl-tool on a Wayland compositor alone (weston's headless back-end, no X server): it runs
on Qt's Wayland platform, shows its panels, takes the user's input to the camera, and keeps the
saved window positions, which Wayland does not tell a program."""

import pathlib
import signal

import pytest

from desktop import POSITIONS, atspi_python, programs_missing, wait_until

pytestmark = pytest.mark.skipif(
    atspi_python() is None or programs_missing("weston", "dbus-daemon") or
    not pathlib.Path("/usr/libexec/at-spi-bus-launcher").exists(),
    reason="needs weston, qt6-wayland, at-spi2-core, python3-pyatspi and dbus-daemon")

TITLES = ("ZR-47xCL", "About This Control", "Communication", "Common Control", "Imager 1 - ",
          "Imager 2 - ")


def test_the_tool_runs_on_weston_and_its_input_reaches_the_camera(desktop):
    tool = desktop("ZR-470", wayland=True, accessibility=True)

    def windows():
        tree = tool.atspi("tree") or []
        return {title for window in tree for title in TITLES
                if window["name"].startswith(title) and window["showing"]}

    assert wait_until(lambda: windows() == set(TITLES), 40), (windows(), tool.output())
    # No X display is named: these windows are Wayland ones.
    assert "DISPLAY" not in tool.env
    # Weston's headless back-end has no input devices: the press comes through the
    # accessibility bus, as a testing tool or a screen reader gives it.
    tool.relay.sent.clear()
    assert tool.atspi("press", "Get Area")
    assert wait_until(lambda: tool.sent(), 10), "the press did not reach the camera"

    # Ended like a confirmed close: the saved positions are the ones it started with.
    tool.tool.send_signal(signal.SIGTERM)
    assert tool.tool.wait(timeout=30) == 130, tool.output()
    sections = {}
    for block in tool.settings.read_bytes().decode().split("\r\n["):
        name, _, body = block.lstrip("[").partition("]\r\n")
        sections[name] = dict(line.split("=", 1) for line in body.split("\r\n") if "=" in line)
    for section, (left, top) in POSITIONS.items():
        assert (sections[section]["Left"], sections[section]["Top"]) == (str(left), str(top)), \
            (section, sections[section])
