"""The control's 8-bit texts (Windows-1252) as Python str: every high byte, both ways."""

import subprocess

import pytest

import zr47xcl

from conftest import BIN_DIR


def character(byte):
    """The character of one byte; the five bytes Windows-1252 leaves undefined keep the C1
    control of their own number."""
    try:
        return bytes([byte]).decode("cp1252")
    except UnicodeDecodeError:
        return chr(byte)


HIGH = "".join(character(b) for b in range(0x80, 0x100))
HIGH_BYTES = bytes(range(0x80, 0x100))
CHUNK = 16  # the camera keeps a user ID of up to 16 characters


def test_every_high_byte_goes_through_the_camera_and_back_as_str(camera):
    lines = []
    with zr47xcl.Control() as ctl:
        ctl.on_log(lambda line, sent: lines.append(line))
        for start in range(0, len(HIGH), CHUNK):
            text = HIGH[start:start + CHUNK]
            ctl.UserID = text
            assert ctl.UserID == text
            # Read back from the camera, not only from the mirror.
            assert ctl.ReadAllFromCamera() == 0
            assert ctl.UserID == text
            assert "UD=" + text in lines  # the log line as sent
        # A character Windows-1252 has no byte for is refused, naming it; nothing is sent.
        sent = len(lines)
        with pytest.raises(ValueError, match=r"U\+2192.*Windows-1252"):
            ctl.UserID = "A\u2192B"
        with pytest.raises(ValueError, match=r"U\+0100"):
            ctl.UserID = "\u0100"
        assert len(lines) == sent
        assert ctl.UserID == HIGH[-CHUNK:]
    # The camera holds the bytes themselves: zr47xcl under the C locale shows them unchanged.
    done = subprocess.run([str(BIN_DIR / "zr47xcl"), "call", "ReadAllFromCamera", "get", "UserID"],
                          env=dict(camera.env, LC_ALL="C"), capture_output=True, timeout=60)
    assert done.returncode == 0, done.stderr
    assert done.stdout == b"0\n" + HIGH_BYTES[-CHUNK:] + b"\n"
