"""Simulated cameras on real pseudo-terminals and throw-away module settings for the tests."""

import os
import pathlib
import subprocess
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
from user_environment import NAMES, user_environment  # noqa: E402

BIN_DIR = pathlib.Path(
    os.environ.get("ZR_BIN_DIR", pathlib.Path(__file__).resolve().parents[2] / "build" / "bin"))


class Session:
    """A temporary user whose ports lead to simulated cameras or nowhere."""

    def __init__(self, tmp_path, monkeypatch):
        self.dir = tmp_path
        self.cameras = {}  # port number -> simulator process
        # The programs it starts, and the controls the tests make in-process, see only this user.
        self.env = user_environment(tmp_path)
        for name in NAMES:
            monkeypatch.setenv(name, self.env[name])

    def start_camera(self, *options, port=1):
        """A simulated camera on COM<port>; class 0 and port 0 (COM1) remembered."""
        camera = subprocess.Popen(
            [str(BIN_DIR / "zr47xcl-sim"), "--link", str(self.link(port)), *options],
            stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
        self.cameras[port] = camera
        assert camera.stdout.readline().startswith("/dev/")
        folder = self.dir / "config" / "Korvel-XKorvelZR47xCL.ini-Control"
        folder.mkdir(parents=True, exist_ok=True)
        ports = "".join(f"COM{n}={self.link(n)}\r\n" for n in range(1, 17))
        (folder / "XKorvelZR47xCL Control.ini").write_bytes(
            f"[Comm]\r\n{ports}Class=0\r\nPort=0\r\n".encode())

    def link(self, port):
        return self.dir / f"camera-{port}"

    def run_cli(self, *args):
        """zr47xcl with these arguments in this session: (exit status, stdout, stderr)."""
        done = subprocess.run([str(BIN_DIR / "zr47xcl"), *args], env=self.env,
                              capture_output=True, text=True, timeout=60)
        return done.returncode, done.stdout, done.stderr

    def stop(self):
        for camera in self.cameras.values():
            camera.terminate()
            camera.wait(timeout=10)
            camera.stdout.close()


@pytest.fixture
def session(tmp_path, monkeypatch):
    s = Session(tmp_path, monkeypatch)
    yield s
    s.stop()


@pytest.fixture
def camera(session):
    """A session with a ZR-470 on COM1."""
    session.start_camera()
    return session
