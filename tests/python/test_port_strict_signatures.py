"""Control(port=..., strict=...), the version and the signatures that inspect reads."""

import inspect
import os
import re

import pytest

import zr47xcl


def remembered_port(session):
    text = (session.dir / "config" / "Korvel-XKorvelZR47xCL.ini-Control" /
            "XKorvelZR47xCL Control.ini").read_bytes().decode()
    return re.search(r"\r\nPort=(\d+)\r\n", text).group(1)


def test_port_by_name_by_device_path_and_refused(session):
    session.start_camera(port=3)  # remembered is COM1, which has no camera
    with zr47xcl.Control() as ctl:
        assert ctl.CheckOnline() is False
    # A name in any letter case, the mapped path, and the device the mapped link leads to.
    for port in ("COM3", "com3", str(session.link(3)), os.path.realpath(session.link(3))):
        with zr47xcl.Control(port=port) as ctl:
            assert ctl.CheckOnline() is True, port
            assert (ctl.CommClass, ctl.CommPort) == (0, 2)
        assert remembered_port(session) == "2"
    # A Camera Link port that is not there is an offline start, as on the command line.
    with zr47xcl.Control(port="CL:0") as ctl:
        assert ctl.CheckOnline() is False
    for bad, words in (("COM17", "COM1..COM16"), ("ttyUSB0", "device path"),
                       ("/dev/zr47xcl-nothing", "[Comm]")):
        with pytest.raises(ValueError, match=re.escape(words)):
            zr47xcl.Control(port=bad)


def test_strict_raises_where_the_command_line_exits_3(session):
    session.start_camera(port=3)
    # Offline: a read answers from the mirror; a write the camera holds, and a method that needs
    # the camera, raise OfflineError with the offline result code.
    with zr47xcl.Control(strict=True) as ctl:
        assert ctl.IMG1GainMaster == ctl.IMG1GainMaster
        ctl.ShowAboutWindow = False  # no camera row: no error
        with pytest.raises(zr47xcl.OfflineError) as raised:
            ctl.IMG1GainMaster = 100
        assert isinstance(raised.value, zr47xcl.ScriptError)
        assert raised.value.code == 100
        assert "IMG1GainMaster kept in the mirror only" in str(raised.value)
        with pytest.raises(zr47xcl.OfflineError, match="ReadAllFromCamera did not reach"):
            ctl.ReadAllFromCamera()
        assert ctl.IMG1GainMaster == 100  # the mirror took the value all the same
    with zr47xcl.Control() as ctl:  # without strict the same calls pass quietly
        ctl.IMG1GainMaster = 100
        assert ctl.ReadAllFromCamera() == 100
    # The command line exits with status 3 for the same write; online the strict control
    # passes what succeeds.
    code, _, _ = session.run_cli("--strict", "set", "IMG1GainMaster=100")
    assert code == 3
    with zr47xcl.Control(port="COM3", strict=True) as ctl:
        ctl.IMG1GainMaster = 120
        assert ctl.ReadAllFromCamera() == 0
        assert ctl.IMG1GainMaster == 120


def test_version_and_signatures(session):
    assert re.fullmatch(r"\d+\.\d+(\.\d+)?", zr47xcl.__version__)
    assert list(inspect.signature(zr47xcl.Control).parameters) == ["connect", "port", "strict"]
    with zr47xcl.Control(connect=False) as ctl:
        # Out arguments are returned, not passed: only the in arguments are parameters.
        assert str(inspect.signature(ctl.AskIMG1GainMasterRange)) == "(nMinMax)"
        assert str(inspect.signature(ctl.DoIMG1OnePushAWB)) == "(nShowResultMessage)"
        assert str(inspect.signature(ctl.ReadAllFromCamera)) == "()"
        assert ctl.ReadAllFromCamera.__doc__.startswith("ReadAllFromCamera() -> int")
