"""zr47xcl-tool as screen readers and GUI testing tools see it: the real program on a virtual X
server with its accessibility switched on, read and driven through the accessibility bus
(AT-SPI) by a client of its own, against the simulated camera."""

import pathlib

import pytest

from desktop import atspi_python, programs_missing, wait_until

pytestmark = pytest.mark.skipif(
    atspi_python() is None or not pathlib.Path("/usr/libexec/at-spi-bus-launcher").exists() or
    programs_missing("dbus-daemon", "Xvfb", "openbox", "xdotool"),
    reason="needs at-spi2-core, python3-pyatspi, dbus-daemon, xvfb, openbox and xdotool")

# What the user operates; a drop-down list's own items are not walked.
INTERACTIVE = {"push button", "toggle button", "check box", "radio button", "combo box",
               "spin button", "text", "entry", "list", "link"}
WINDOWS = ("ZR-47xCL", "About This Control", "Communication", "Common Control", "Imager 1 - ",
           "Imager 2 - ")


def walk(node, path=()):
    path = (*path, node["name"])
    yield path, node
    for child in node["children"]:
        yield from walk(child, path)


def shown_windows(tree):
    """The tool's windows that are showing, by the start of their titles in WINDOWS."""
    found = {}
    for window in tree or []:
        for title in WINDOWS:
            if window["name"].startswith(title) and window["showing"]:
                found[title] = window
    return found


def controls(windows):
    """(window title, path of names, node) of every control the user operates."""
    return [(title, path, node) for title, window in windows.items()
            for path, node in walk(window) if node["role"] in INTERACTIVE]


def names(windows):
    return sorted((title, path[1:], node["role"]) for title, path, node in controls(windows))


def find(windows, title, name):
    return next(node for _, path, node in controls({title: windows[title]}) if path[-1] == name)


def test_every_control_of_every_panel_has_a_name_that_stays_when_its_value_changes(desktop):
    for model in ("ZR-470", "ZR-471", "ZR-472"):
        tool = desktop(model, accessibility=True)
        windows = wait_until(
            lambda: len(shown_windows(tool.atspi("tree"))) == len(WINDOWS) and
            shown_windows(tool.atspi("tree")), 40)
        assert windows, (model, tool.output())
        every = controls(windows)
        unnamed = [(title, path, node["role"]) for title, path, node in every
                   if not node["name"].strip()]
        assert not unnamed, (model, unnamed)
        # Each imager panel: 8 or 12 number fields, each with its two arrows.
        fields = [node for _, _, node in every if node["role"] == "spin button"]
        assert len(fields) >= 12, model
        for field in fields:
            assert "value" in field and field["range"][0] <= field["range"][1], field["name"]

        # Captions name their controls, and the caption label is related to its control.
        comm = windows["Communication"]
        port = next(node for path, node in walk(comm) if path[-1] == "Communication Port" and
                    node["role"] != "label")
        inside = {path[-1]: node for path, node in walk(port) if node["role"] != "label"}
        assert "Category" in inside, [(path, node["role"]) for path, node in walk(port)]
        assert inside["Category"]["role"] == "combo box"
        assert "Category" in inside["Category"]["labelled_by"]
        assert inside["Port Name"]["role"] == "combo box"
        assert inside["Auto"]["role"] == "push button"
        imager2 = windows["Imager 2 - "]
        assert find({"Imager 2 - ": imager2}, "Imager 2 - ", "Trigger Mode")["role"] == \
            "combo box"

        # A value set through the bus goes to the camera; no name changes with it.
        before = names(windows)
        # Imager 1's master gain: "Master Gain" on a colour panel, "Gain" on a monochrome one.
        imager1 = [path[-1] for path, _ in walk(windows["Imager 1 - "])]
        gain = "Master Gain" if "Master Gain" in imager1 else "Gain"
        assert tool.atspi("set", f"Imager 1 - /{gain}", 12), gain
        assert wait_until(lambda: "GA1=12" in tool.sent(), 10), tool.sent()
        after = shown_windows(tool.atspi("tree"))
        assert find(after, "Imager 1 - ", gain)["value"] == 12
        assert names(after) == before
        tool.close()


def test_the_start_up_message_box_can_be_read_and_answered(desktop):
    # A camera that never answers: the start-up attempt ends with the control's message box.
    tool = desktop("ZR-470", accessibility=True, dismiss=False, relay=False,
                   sim_options=("--fault", "silent"))

    def box():
        for window in tool.atspi("tree") or []:
            texts = [node["name"] for _, node in walk(window) if node["role"] == "label"]
            buttons = [node["name"] for _, node in walk(window) if node["role"] == "push button"]
            if window["showing"] and texts and "OK" in buttons:
                return window["name"], texts
        return None

    shown = wait_until(box, 40)
    assert shown, tool.output()
    assert any(len(text) > 10 for text in shown[1]), shown
    assert tool.atspi("press", "OK")
    # Answered: the tool goes on and shows its window.
    assert wait_until(lambda: tool.window("^ZR-47xCL$"), 20)
