"""zr47xcl-tool as a user meets it: the real program, its window under a window
manager (openbox) on a virtual X server, real clicks and keys (xdotool), a simulated camera whose
received lines a relay records."""

import ctypes
import os
import pathlib
import subprocess
import time

import pytest

from desktop import BIN_DIR, px, wait_until, xdo

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]


def red_pixels(display, window, x, y, width, height):
    """How many clearly red pixels the window shows in a rectangle (read from the X server)."""
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XGetImage.restype = ctypes.c_void_p
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XGetPixel.restype = ctypes.c_ulong
    xlib.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    xlib.XDestroyImage = xlib.XDestroyImage if hasattr(xlib, "XDestroyImage") else None
    connection = xlib.XOpenDisplay(display.encode())
    assert connection
    try:
        image = xlib.XGetImage(connection, int(window), x, y, width, height, 0xFFFFFFFF, 2)
        assert image
        count = 0
        for row in range(height):
            for column in range(width):
                pixel = xlib.XGetPixel(image, column, row)
                red, green, blue = pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF
                count += red > 160 and green < 80 and blue < 80
        return count
    finally:
        xlib.XCloseDisplay(ctypes.c_void_p(connection))


def test_context_menu_opens_over_the_main_panels_buttons_and_its_entry_shows_the_about_panel(
        desktop):
    tool = desktop("ZR-470")
    about = wait_until(lambda: tool.window("^About This Control$"))
    # Each button and the empty area right of them: the menu's one entry is taken with its key.
    for x, y in [(12, 12), (60, 12), (108, 12), (130, 20)]:
        xdo(tool.display, "windowactivate", "--sync", about)
        xdo(tool.display, "key", "Escape")
        assert wait_until(lambda: not tool.window("^About This Control$")), (x, y)
        tool.click(tool.host, x, y, button=3)
        xdo(tool.display, "key", "a")
        assert wait_until(lambda: tool.window("^About This Control$"), 5), (x, y)


# Up-down buttons sit on the right edge of their field: a click on the upper half steps the
# number up, on the lower half down. Rows: panel, field layout (x, y, width, height), step, the
# line sent. ZR-470: imager 1 colour, imager 2 monochrome.
ARROWS = [
    ("Control - IMG1", (163, 52, 38, 13), +1, "GA1=-83"),
    ("Control - IMG1", (163, 52, 38, 13), -1, "GA1=-84"),
    ("Control - IMG1", (167, 264, 38, 13), +1, "BLY1=-127"),
    ("Control - IMG2", (207, 47, 38, 13), +1, "GA2=-83"),
    ("Control - IMG2", (207, 148, 38, 13), +1, "BLY2=-127"),
]
TITLES = {"Control - IMG1": "^Imager 1", "Control - IMG2": "^Imager 2"}


def test_up_down_buttons_are_reachable_and_step_their_field(desktop):
    tool = desktop("ZR-470")
    for section, (x, y, width, height), step, line in ARROWS:
        panel = tool.show_panel(section, TITLES[section])
        assert panel, section
        xdo(tool.display, "windowactivate", "--sync", panel)
        right, top = px(x + width, y)
        _, bottom = px(x + width, y + height)
        tool.relay.sent.clear()
        tool.click(panel, right - 5, top + 3 if step > 0 else bottom - 3)
        assert wait_until(lambda: line in tool.sent(), 5), (section, line, tool.sent())
        # Only the close box hides it again; the next row's panel may lie at the same place.
        xdo(tool.display, "key", "Escape")


def test_high_frame_rate_sends_is_0_before_hf_1_every_time(desktop):
    # Both imagers monochrome: the high frame rate row is there.
    tool = desktop("ZR-471")
    panel = tool.show_panel("Control", "^Common Control$")
    assert panel
    box = px(57 + 4, 51 + 4)
    for _ in range(2):
        tool.relay.sent.clear()
        tool.click(panel, *box)
        assert wait_until(lambda: "HF=1" in tool.sent(), 5), tool.sent()
        sent = tool.sent()
        assert "IS=0" in sent and sent.index("IS=0") < sent.index("HF=1"), sent
        tool.relay.sent.clear()
        tool.click(panel, *box)
        assert wait_until(lambda: "HF=0" in tool.sent(), 5), tool.sent()


# Ending the port search from its progress window: a click on Cancel, Esc, the close box.
CANCELS = [
    ("click", None),
    ("key", "Escape"),
    ("key", "alt+F4"),
]


@pytest.mark.parametrize("how,key", CANCELS)
def test_cancel_ends_the_port_search_at_the_next_candidate(desktop, how, key):
    # A camera that never answers behind all sixteen ports: each candidate waits its time out.
    tool = desktop("ZR-470", sim_options=("--fault", "silent"), ports=16, relay=False)
    panel = tool.show_panel("Communication", "^Communication$")
    assert panel
    xdo(tool.display, "windowactivate", "--sync", panel)
    tool.click(panel, *px(235 + 22, 46 + 7))
    progress = wait_until(lambda: tool.window("^In Progress"), 10)
    assert progress, "no progress window"
    # Owned by the host's window and above it.
    assert xdo(tool.display, "getwindowname", progress).startswith("In Progress")
    if how == "click":
        tool.click(progress, *px(144 + 17, 7 + 7))
    else:
        xdo(tool.display, "windowactivate", "--sync", progress)
        xdo(tool.display, "key", key)
    started = time.monotonic()
    assert wait_until(lambda: not tool.window("^In Progress"), 8), "the search went on"
    title_seen_last = time.monotonic() - started
    # All sixteen candidates would take far longer than the one or two left.
    assert title_seen_last < 8
    # "Camera not found." was shown (and dismissed).
    assert wait_until(lambda: any(tool.messages.iterdir()), 5)


def test_floating_panels_stay_usable_during_the_search(desktop):
    tool = desktop("ZR-470", sim_options=("--fault", "silent"), ports=16, relay=False)
    comm = tool.show_panel("Communication", "^Communication$")
    about = wait_until(lambda: tool.window("^About This Control$"))
    xdo(tool.display, "windowactivate", "--sync", comm)
    tool.click(comm, *px(235 + 22, 46 + 7))
    progress = wait_until(lambda: tool.window("^In Progress"), 10)
    assert progress
    # The about panel still takes its Esc (it hides) while the search runs.
    xdo(tool.display, "windowactivate", "--sync", about)
    xdo(tool.display, "key", "Escape")
    xdo(tool.display, "windowactivate", "--sync", progress)
    xdo(tool.display, "key", "Escape")
    assert wait_until(lambda: not tool.window("^In Progress"), 8)
    assert wait_until(lambda: not tool.window("^About This Control$"), 5)


# The stop sign of the communication panel follows the offline result (100) alone: a camera that
# never answered is offline, so reading from it gives 100; a camera that stops answering in the
# middle of a read gives a time-out, whose message box is shown instead. Rows: camera faults,
# whether the stop sign shows after "Synchronize Program".
STOP_SIGN = [
    (("--fault", "silent"), True),
    (("--fault", "silent:SH1"), False),
]


@pytest.mark.parametrize("faults,shown", STOP_SIGN)
def test_stop_sign_only_for_the_offline_result(desktop, faults, shown):
    tool = desktop("ZR-470", sim_options=faults, relay=False)
    panel = tool.show_panel("Communication", "^Communication$")
    assert panel
    xdo(tool.display, "windowactivate", "--sync", panel)
    icon = (*px(241, 205), *px(21, 20))
    assert red_pixels(tool.display, panel, *icon) == 0
    before = len(list(tool.messages.iterdir()))
    tool.click(panel, *px(199 + 41, 78 + 7))
    # Done once the line status has settled (a read of all rows takes a while).
    time.sleep(4)
    xdo(tool.display, "windowactivate", "--sync", panel)
    time.sleep(0.5)
    assert (red_pixels(tool.display, panel, *icon) > 20) == shown
    # A time-out is told in the control's message box (dismissed unattended).
    assert (len(list(tool.messages.iterdir())) > before) == (not shown)


def test_enter_presses_the_focused_button_and_nothing_else(desktop):
    tool = desktop("ZR-470")
    panel = tool.show_panel("Communication", "^Communication$")
    assert panel
    xdo(tool.display, "windowactivate", "--sync", panel)
    # "Get Area" takes the focus with a press of the mouse button that is let go elsewhere, so
    # that the button is not clicked.
    x, y = px(68 + 22, 146 + 7)
    xdo(tool.display, "mousemove", "--window", panel, x, y)
    xdo(tool.display, "mousedown", 1)
    xdo(tool.display, "mousemove", "--window", panel, x, y + 60)
    xdo(tool.display, "mouseup", 1)
    time.sleep(0.5)
    tool.relay.sent.clear()
    xdo(tool.display, "key", "Return")
    assert wait_until(lambda: tool.sent(), 5), "Enter on Get Area sent nothing"
    first = tool.sent()
    # Space presses it too, and sends the same.
    time.sleep(1)
    tool.relay.sent.clear()
    xdo(tool.display, "key", "space")
    assert wait_until(lambda: tool.sent() == first, 5), (first, tool.sent())
    # Enter on a number field sends nothing and leaves the panel open; Esc still hides it.
    imager = tool.show_panel("Control - IMG1", "^Imager 1")
    xdo(tool.display, "windowactivate", "--sync", imager)
    tool.click(imager, *px(163 + 10, 52 + 6))
    time.sleep(0.5)
    tool.relay.sent.clear()
    xdo(tool.display, "key", "Return")
    time.sleep(1)
    assert tool.sent() == [] and tool.window("^Imager 1")
    xdo(tool.display, "key", "Escape")
    assert wait_until(lambda: not tool.window("^Imager 1"), 5)
    # Enter and Esc in the main window do nothing; the quit question still ends the tool.
    xdo(tool.display, "windowactivate", "--sync", tool.host)
    xdo(tool.display, "key", "Return", "Escape")
    time.sleep(0.5)
    assert tool.window("^ZR-47xCL$") and tool.tool.poll() is None
    xdo(tool.display, "key", "alt+F4")
    box = wait_until(lambda: tool.window("^ZR-47xCL Control Tool$"), 10)
    assert box
    xdo(tool.display, "windowactivate", "--sync", box)
    xdo(tool.display, "key", "y")
    assert tool.tool.wait(timeout=20) == 0


def xprop(display, window, name):
    result = subprocess.run(["xprop", "-display", display, "-id", str(window), name],
                            capture_output=True, text=True, timeout=30)
    return result.stdout.strip()


def test_the_main_window_is_a_normal_window_of_the_desktop_entry_for_the_taskbar(desktop):
    tool = desktop("ZR-470")
    window = tool.host
    assert "_NET_WM_WINDOW_TYPE_NORMAL" in xprop(tool.display, window, "_NET_WM_WINDOW_TYPE")
    state = xprop(tool.display, window, "_NET_WM_STATE")
    assert "MODAL" not in state and "SKIP_TASKBAR" not in state, state
    assert "not found" in xprop(tool.display, window, "WM_TRANSIENT_FOR")
    entry = (SOURCE_DIR / "packaging" / "com.korvel.ZR47xCLTool.desktop").read_text()
    wm_class = next(line.split("=", 1)[1] for line in entry.splitlines()
                    if line.startswith("StartupWMClass="))
    assert xprop(tool.display, window, "WM_CLASS").endswith(f'"{wm_class}"')


def frames(tool, titles):
    """Outer rectangles (left, top, right, bottom) of the windows with these title patterns."""
    found = {}
    for title in titles:
        window = wait_until(lambda: tool.window(title), 20)
        assert window, title
        geometry = xdo(tool.display, "getwindowgeometry", "--shell", window)
        values = dict(line.split("=") for line in geometry.splitlines())
        left, top = int(values["X"]), int(values["Y"])
        found[title] = (left, top, left + int(values["WIDTH"]), top + int(values["HEIGHT"]))
    return found


def test_a_first_start_places_the_windows_side_by_side(desktop):
    # The module settings hold the port alone, as scripts/run.sh writes them.
    tool = desktop("ZR-471", settings="comm")
    titles = ["^ZR-47xCL$", "^About This Control$", "^Communication$", "^Common Control$",
              "^Imager 1", "^Imager 2"]
    rectangles = frames(tool, titles)
    main = rectangles["^ZR-47xCL$"]
    assert main[0] < 40 and main[1] < 60, main
    for first in titles:
        assert rectangles[first][2] <= 1280 and rectangles[first][3] <= 1024, first
        for second in titles[titles.index(first) + 1:]:
            a, b = rectangles[first], rectangles[second]
            apart = a[2] <= b[0] or b[2] <= a[0] or a[3] <= b[1] or b[3] <= a[1]
            assert apart, (first, a, second, b)
    settings = tool.settings.read_bytes().decode()
    assert "[Control - IMG2]" in settings, settings


def test_a_display_that_does_not_answer_is_named_in_one_line(tmp_path):
    runtime = tmp_path / "runtime"
    runtime.mkdir(mode=0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), WAYLAND_DISPLAY="wayland-gone",
               HOME=str(tmp_path), XDG_CONFIG_HOME=str(tmp_path / "config"))
    for name in ("DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(name, None)
    result = subprocess.run([str(BIN_DIR / "zr47xcl-tool")], env=env, capture_output=True,
                            text=True, timeout=60)
    assert result.returncode == 1, result
    lines = result.stderr.splitlines()
    assert len(lines) == 1 and "wayland-gone" in lines[0] and "Wayland" in lines[0], lines
