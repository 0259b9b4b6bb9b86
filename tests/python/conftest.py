"""Simulated cameras on real pseudo-terminals and throw-away module settings for the tests."""

import os
import pathlib
import subprocess

import pytest

BIN_DIR = pathlib.Path(
    os.environ.get("ZR_BIN_DIR", pathlib.Path(__file__).resolve().parents[2] / "build" / "bin"))


class Session:
    """A temporary user whose COM1 leads to a simulated camera (COM2..COM16 lead nowhere)."""

    def __init__(self, tmp_path, monkeypatch):
        self.dir = tmp_path
        self.camera = None
        self.env = dict(os.environ,
                        XDG_CONFIG_HOME=str(tmp_path / "config"),
                        XDG_DATA_HOME=str(tmp_path / "data"))
        for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME"):
            monkeypatch.setenv(name, self.env[name])

    def start_camera(self, *options):
        link = self.dir / "camera"
        self.camera = subprocess.Popen(
            [str(BIN_DIR / "zr47xcl-sim"), "--link", str(link), *options],
            stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
        assert self.camera.stdout.readline().startswith("/dev/")
        folder = self.dir / "config" / "Korvel-XKorvelZR47xCL.ini-Control"
        folder.mkdir(parents=True)
        ports = "".join(f"COM{n}={self.dir}/no-such-port-{n}\r\n" for n in range(2, 17))
        (folder / "XKorvelZR47xCL Control.ini").write_bytes(
            f"[Comm]\r\nCOM1={link}\r\n{ports}Class=0\r\nPort=0\r\n".encode())

    def run_cli(self, *args):
        """zr47xcl with these arguments in this session: (exit status, stdout, stderr)."""
        done = subprocess.run([str(BIN_DIR / "zr47xcl"), *args], env=self.env,
                              capture_output=True, text=True, timeout=60)
        return done.returncode, done.stdout, done.stderr

    def stop(self):
        if self.camera is not None:
            self.camera.terminate()
            self.camera.wait(timeout=10)
            self.camera.stdout.close()


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
