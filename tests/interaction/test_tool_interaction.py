"""zr47xcl-tool as a user meets it: the real program, its window run modally under a window
manager (openbox) on a virtual X server, real clicks and keys (xdotool), a simulated camera whose
received lines a relay records."""

import ctypes
import os
import pathlib
import pty
import select
import subprocess
import sys
import threading
import time
import tty

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
from user_environment import user_environment  # noqa: E402

BIN_DIR = pathlib.Path(
    os.environ.get("ZR_BIN_DIR", pathlib.Path(__file__).resolve().parents[2] / "build" / "bin"))

# Dialog units to pixels for Tahoma 8 pt at 96 dpi: 6 pixels a character, 13 a line.
def px(x, y):
    return (x * 6 + 2) // 4, (y * 13 + 4) // 8


# Where each panel opens, apart from the others so that no click lands on another window.
POSITIONS = {"Main": (20, 20), "About": (520, 20), "Communication": (20, 120),
             "Control": (520, 340), "Control - IMG1": (800, 480), "Control - IMG2": (800, 480)}
# The main panel's toggle buttons, by panel: 24 pixels wide each, starting at the left edge.
BUTTONS = {"Control": 0, "Control - IMG1": 1, "Control - IMG2": 2, "Communication": 3,
           "About": 4}


class Relay(threading.Thread):
    """A pseudo-terminal the tool talks to, passing every byte on to the camera and back, and
    keeping the lines the tool sent."""

    def __init__(self, device):
        super().__init__(daemon=True)
        self.master, slave = pty.openpty()
        tty.setraw(slave)
        self.path = os.ttyname(slave)
        self.slave = slave
        self.camera = os.open(device, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.camera)
        self.sent = bytearray()
        self.running = True
        self.start()

    def run(self):
        while self.running:
            ready, _, _ = select.select([self.master, self.camera], [], [], 0.1)
            for fd in ready:
                try:
                    data = os.read(fd, 4096)
                except OSError:
                    continue
                if fd == self.master:
                    self.sent += data
                    os.write(self.camera, data)
                else:
                    os.write(self.master, data)

    def lines(self):
        return [line.strip() for line in bytes(self.sent).decode(errors="replace").split("\r\n")
                if line.strip()]


def xdo(display, *args):
    result = subprocess.run(["xdotool", *map(str, args)], env=dict(os.environ, DISPLAY=display),
                            capture_output=True, text=True, timeout=30)
    return result.stdout.strip()


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


def wait_until(condition, timeout=15.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return condition()


class Desktop:
    """Xvfb with openbox, one or more simulated cameras and the tool, for one test."""

    def __init__(self, tmp_path, model, sim_options=(), ports=1, relay=True):
        self.processes = []
        reader, writer = os.pipe()
        self.processes.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(writer), "-nolisten", "tcp", "-screen", "0",
             "1280x1024x24"], pass_fds=(writer,), stderr=subprocess.DEVNULL))
        os.close(writer)
        self.display = ":" + os.fdopen(reader).readline().strip()
        env = user_environment(tmp_path, DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        env.pop("WAYLAND_DISPLAY", None)
        self.processes.append(subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL))
        camera = subprocess.Popen(
            [str(BIN_DIR / "zr47xcl-sim"), "--model", model, *sim_options],
            stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
        self.processes.append(camera)
        device = camera.stdout.readline().strip()
        self.relay = Relay(device) if relay else None
        line = self.relay.path if relay else device
        folder = tmp_path / "config" / "Korvel-XKorvelZR47xCL.ini-Control"
        folder.mkdir(parents=True)
        text = "[Comm]\r\n" + "".join(f"COM{n}={line}\r\n" for n in range(1, ports + 1))
        text += "Class=0\r\nPort=0\r\n"
        for section, (left, top) in POSITIONS.items():
            text += f"[{section}]\r\nLeft={left}\r\nTop={top}\r\n"
        (folder / "XKorvelZR47xCL Control.ini").write_bytes(text.encode())
        subprocess.run([str(BIN_DIR / "zr47xcl-regsvr")], env=env, check=True,
                       capture_output=True)
        self.messages = tmp_path / "messages"
        self.messages.mkdir()
        self.processes.append(subprocess.Popen(
            [str(BIN_DIR / "zr47xcl-tool"), "--dismiss-messages", str(self.messages)], env=env,
            stderr=subprocess.DEVNULL))
        self.host = wait_until(lambda: self.window("^ZR-47xCL$"))
        assert self.host, "the tool's window did not appear"

    def close(self):
        if self.relay:
            self.relay.running = False
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()

    def window(self, name):
        found = xdo(self.display, "search", "--onlyvisible", "--name", name).split()
        return found[0] if found else None

    def click(self, window, x, y, button=1):
        xdo(self.display, "mousemove", "--window", window, x, y)
        time.sleep(0.1)
        xdo(self.display, "click", button)
        time.sleep(0.2)

    def show_panel(self, section, title):
        """Opens a floating panel with its button on the main panel; its window."""
        if not self.window(title):
            self.click(self.host, BUTTONS[section] * 24 + 12, 12)
        return wait_until(lambda: self.window(title))

    def sent(self):
        return self.relay.lines()


@pytest.fixture
def desktop(tmp_path):
    made = []

    def make(model, **options):
        made.append(Desktop(tmp_path, model, **options))
        return made[-1]

    yield make
    for each in made:
        each.close()


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
