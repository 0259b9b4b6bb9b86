"""The desktop the tool's end-to-end tests run it on: a virtual X server (Xvfb) with a window
manager (openbox), or weston's headless back-end; a private session bus (with the
accessibility bus it starts on demand); a simulated camera behind a relay that records the lines
the tool sends; a temporary user with the component registered."""

import json
import os
import pathlib
import pty
import select
import shutil
import subprocess
import sys
import threading
import time
import tty

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
from user_environment import user_environment  # noqa: E402

BIN_DIR = pathlib.Path(
    os.environ.get("ZR_BIN_DIR", pathlib.Path(__file__).resolve().parents[2] / "build" / "bin"))
ATSPI_CLIENT = pathlib.Path(__file__).resolve().parent / "atspi_client.py"
SETTINGS = pathlib.Path("Korvel-XKorvelZR47xCL.ini-Control") / "XKorvelZR47xCL Control.ini"


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


def wait_until(condition, timeout=15.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return condition()


def atspi_python():
    """An interpreter that has Debian's pyatspi, or None."""
    for candidate in (sys.executable, "/usr/bin/python3"):
        if candidate and subprocess.run([candidate, "-c", "import pyatspi"],
                                        capture_output=True).returncode == 0:
            return candidate
    return None


class Desktop:
    """A display, one simulated camera and the tool, for one test.

    settings: None for no module settings file at all, "comm" for the port entries alone (a first
    start as scripts/run.sh makes it), "positions" for the port entries and POSITIONS.
    wayland: weston's headless back-end instead of Xvfb and openbox."""

    def __init__(self, tmp_path, model, sim_options=(), ports=1, relay=True,
                 settings="positions", wayland=False, dismiss=True, accessibility=False):
        self.processes = []
        self.tmp_path = tmp_path
        # A user of the test's own: no registration for every user under /usr/share, nor the
        # caller's settings or session bus, reaches the tool.
        self.env = user_environment(tmp_path, HOME=str(tmp_path / "home"))
        for name in ("WAYLAND_DISPLAY", "DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"):
            self.env.pop(name, None)
        (tmp_path / "home").mkdir(exist_ok=True)
        self.display = self.start_wayland() if wayland else self.start_x()
        self.start_session_bus()
        if accessibility:
            self.env.update(QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        camera = subprocess.Popen(
            [str(BIN_DIR / "zr47xcl-sim"), "--model", model, *sim_options],
            stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
        self.processes.append(camera)
        device = camera.stdout.readline().strip()
        self.relay = Relay(device) if relay else None
        line = self.relay.path if relay else device
        self.settings = tmp_path / "config" / SETTINGS
        self.settings.parent.mkdir(parents=True, exist_ok=True)
        if settings is not None:
            text = "[Comm]\r\n" + "".join(f"COM{n}={line}\r\n" for n in range(1, ports + 1))
            text += "Class=0\r\nPort=0\r\n"
            if settings == "positions":
                for section, (left, top) in POSITIONS.items():
                    text += f"[{section}]\r\nLeft={left}\r\nTop={top}\r\n"
            self.settings.write_bytes(text.encode())
        subprocess.run([str(BIN_DIR / "zr47xcl-regsvr")], env=self.env, check=True,
                       capture_output=True)
        self.messages = tmp_path / "messages"
        self.messages.mkdir(exist_ok=True)
        self.log = open(tmp_path / "tool.log", "wb")
        dismissal = ["--dismiss-messages", str(self.messages)] if dismiss else []
        self.tool = subprocess.Popen([str(BIN_DIR / "zr47xcl-tool"), *dismissal], env=self.env,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        self.processes.append(self.tool)
        # A message box the tool shows while it starts comes before its window.
        if not wayland and dismiss:
            self.host = wait_until(lambda: self.window("^ZR-47xCL$"))
            assert self.host, "the tool's window did not appear"

    def start_x(self):
        reader, writer = os.pipe()
        self.processes.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(writer), "-nolisten", "tcp", "-screen", "0",
             "1280x1024x24"], pass_fds=(writer,), stderr=subprocess.DEVNULL))
        os.close(writer)
        display = ":" + os.fdopen(reader).readline().strip()
        self.env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb")
        self.processes.append(subprocess.Popen(["openbox", "--sm-disable"], env=self.system_env(),
                                               stderr=subprocess.DEVNULL))
        return display

    def system_env(self):
        """The environment of the desktop's own programs (window manager, compositor, bus
        daemon): they find their themes and the accessibility bus in the system's data folders,
        which the tool itself never sees."""
        return dict(self.env, XDG_DATA_DIRS="/usr/local/share:/usr/share")

    def start_wayland(self):
        runtime = self.tmp_path / "runtime"
        runtime.mkdir(mode=0o700)
        self.env.update(XDG_RUNTIME_DIR=str(runtime), WAYLAND_DISPLAY="wayland-zr")
        self.processes.append(subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--socket=wayland-zr", "--idle-time=0",
             "--width=1280", "--height=1024"], env=self.system_env(), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL))
        assert wait_until(lambda: (runtime / "wayland-zr").exists()), "weston did not start"
        return None

    def start_session_bus(self):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               env=self.system_env(), stdout=subprocess.PIPE, text=True)
        self.processes.append(bus)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()

    def close(self):
        if self.relay:
            self.relay.running = False
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
        self.log.close()

    def output(self):
        return (self.tmp_path / "tool.log").read_text(errors="replace")

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

    def atspi(self, *args):
        """Runs the accessibility client against the tool: its output (JSON for "tree"), or None
        when it found nothing. A busy bus may let a call time out: tried three times."""
        for _ in range(3):
            result = subprocess.run(
                [atspi_python(), str(ATSPI_CLIENT), "zr47xcl-tool", *map(str, args)],
                env=self.env, capture_output=True, text=True, timeout=120)
            if result.returncode == 0:
                return json.loads(result.stdout) if args[0] == "tree" else True
        return None


def desktop_fixture(tmp_path):
    made = []

    def make(model, **options):
        folder = tmp_path / f"desktop-{len(made)}"
        folder.mkdir()
        made.append(Desktop(folder, model, **options))
        return made[-1]

    yield make
    for each in made:
        each.close()


def programs_missing(*programs):
    return [program for program in programs if shutil.which(program) is None]
