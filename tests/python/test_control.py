"""zr47xcl.Control against the simulated camera, checked against what zr47xcl does."""

import threading
import time

import pytest

import zr47xcl


def test_properties_of_each_type_read_and_write(camera):
    with zr47xcl.Control() as ctl:
        assert ctl.CheckOnline() is True
        # BSTR: the model name the start-up read, and a text written to the camera.
        assert ctl.ModelName == "ZR-470"
        ctl.UserID = "Line 3"
        assert ctl.userid == "Line 3"
        # I4, any letter case; an out-of-range value is clamped, not refused.
        ctl.IMG1ShutterSpeed = 5
        assert ctl.img1shutterspeed == 5
        ctl.img1SHUTTERspeed = 15
        assert (ctl.IMG1ShutterSpeed, ctl.IMG1ShutterSpeedString) == (11, "1/50000")
        # BOOL, from a bool or an int.
        ctl.ShowAboutWindow = True
        assert ctl.ShowAboutWindow is True
        ctl.ShowAboutWindow = 0
        assert ctl.ShowAboutWindow is False
        # The dispatch's own name of dispid 154 reaches the same member.
        assert ctl.AskIMG1ProcessBypassIndexRange(1) == ctl.AskIMG1ProcessBypassIndex(1)
    assert ctl.closed
    with pytest.raises(RuntimeError, match="closed"):
        ctl.ModelName


def test_settings_written_when_the_control_goes(session):
    with zr47xcl.Control(connect=False) as ctl:
        ctl.IMG1ShutterSpeed = 7
    ctl.close()  # a second close does nothing
    with zr47xcl.Control(connect=False) as again:
        assert again.IMG1ShutterSpeed == 7


def test_methods_with_and_without_out_arguments(camera):
    with zr47xcl.Control() as ctl:
        assert ctl.AskIMG1GainMasterRange(0) == -84
        assert ctl.AskIMG1GainMasterRange(nMinMax=-5) == 336
        assert ctl.DoIMG1OnePushAWB(0) == (0, 1)
        assert ctl.DoIMG1OnePushAWB(nShowResultMessage=0) == (0, 1)
    assert camera.run_cli("call", "DoIMG1OnePushAWB", "0")[1] == "0\npnResult=1\n"
    assert "pnResult" in zr47xcl.Control.DoIMG1OnePushAWB.__doc__
    assert "dispid 277" in zr47xcl.Control.ReadAllFromCamera.__doc__


@pytest.mark.parametrize("camera_options, member, value, cli_args", [
    ((), "CommPort", 2, ["set", "CommPort=2"]),
    ((), "ModelName", "X", ["set", "ModelName=X"]),
    ((), "StartCommunication", (0, 5), ["call", "StartCommunication", "0", "5"]),
    # A camera that refuses SH1: a camera error naming the row.
    (("--fault", r"noise=Bad Parameters!!\r\n:SH1"), "IMG1ShutterSpeed", 3,
     ["set", "IMG1ShutterSpeed=3"]),
])
def test_script_error_equals_the_command_line(session, camera_options, member, value, cli_args):
    session.start_camera(*camera_options)
    with zr47xcl.Control() as ctl, pytest.raises(zr47xcl.ScriptError) as raised:
        if isinstance(value, tuple):
            getattr(ctl, member)(*value)
        else:
            setattr(ctl, member, value)
    status, _, err = session.run_cli(*cli_args)
    assert status == 1
    assert err.endswith("error 0x%08X: %s\n" % (raised.value.code, raised.value.description))
    assert err.endswith(str(raised.value) + "\n")


def test_events_and_log_lines_in_order_during_read_all(camera):
    seen = []

    class Handler:
        def onOnlineStatusChanged(self):  # letter case does not matter
            seen.append("event OnlineStatusChanged")

    with zr47xcl.Control(connect=False) as ctl:
        for name in zr47xcl.EVENTS:
            if name != "OnlineStatusChanged":
                ctl.connect(name.upper(), lambda name=name: seen.append("event " + name))
        ctl.connect(Handler())
        ctl.on_log(lambda line, sent: seen.append(("> " if sent else "< ") + line))
        assert ctl.StartCommunication(0, 0) == 0
        assert ctl.ReadAllFromCamera() == 0
    status, _, err = camera.run_cli("--offline", "--events", "--log",
                                    "call", "StartCommunication", "0", "0",
                                    "call", "ReadAllFromCamera")
    assert status == 0
    assert seen == err.splitlines()
    assert "> SH1?" in seen and "event IMG1ShutterSpeedChanged" in seen
    assert [s for s in seen if s.endswith("Changed")][-2] == "event EEPROMAreaChanged"


def test_callback_exceptions_raised_after_the_operation(camera):
    with zr47xcl.Control() as ctl:
        seen = []

        def failing():
            seen.append("failing")
            raise ValueError("from a callback")

        ctl.connect("ReceivingFromCameraStatusChanged", failing)
        ctl.connect("EEPROMAreaChanged", lambda: seen.append(ctl.ModelName))  # nested call
        with pytest.raises(ValueError, match="from a callback"):
            ctl.ReadAllFromCamera()
        # The read-all ran to its end: every receiving change, the last row event.
        assert seen.count("failing") > 100 and seen[-2:] == ["failing", "ZR-470"]
        ctl.disconnect("receivingfromcamerastatuschanged", failing)

        # A callback that closes the control mid-call gets a RuntimeError, raised likewise.
        ctl.connect("EEPROMAreaChanged", ctl.close)
        with pytest.raises(RuntimeError, match="inside one of its own calls"):
            ctl.ReadAllFromCamera()
        ctl.disconnect()
        ctl.on_log(lambda line, sent: 1 / 0)
        with pytest.raises(ZeroDivisionError):
            ctl.IMG1ShutterSpeed = 4
        ctl.on_log(None)
        assert ctl.CheckOnline() and ctl.ReadAllFromCamera() == 0


def test_bad_arguments_raise_and_change_nothing(session):
    with zr47xcl.Control(connect=False) as ctl:
        cases = [
            (TypeError, lambda: ctl.AskIMG1GainMasterRange("1")),
            (TypeError, lambda: ctl.AskIMG1GainMasterRange(1.0)),
            (TypeError, lambda: ctl.AskIMG1GainMasterRange(None)),
            (TypeError, lambda: ctl.AskIMG1GainMasterRange()),
            (TypeError, lambda: ctl.AskIMG1GainMasterRange(1, 2)),
            (TypeError, lambda: ctl.AskIMG1GainMasterRange(nMax=1)),
            (TypeError, lambda: ctl.AskIMG1GainMasterRange(1, nMinMax=1)),
            (TypeError, lambda: ctl.DoIMG1OnePushAWB(0, 0)),  # no value for an out argument
            (TypeError, lambda: setattr(ctl, "IMG1ShutterSpeed", "5")),
            (TypeError, lambda: setattr(ctl, "ShowAboutWindow", "false")),
            (TypeError, lambda: setattr(ctl, "UserID", 5)),
            (TypeError, lambda: ctl.WriteAllToFile(b"/tmp/x.cam")),
            (OverflowError, lambda: setattr(ctl, "IMG1ShutterSpeed", 2**31)),
            (OverflowError, lambda: ctl.IsColorImager(-2**63)),
            (ValueError, lambda: ctl.WriteAllToFile("/tmp/x\0.cam")),
            (AttributeError, lambda: ctl.Bogus),
            (AttributeError, lambda: setattr(ctl, "Bogus", 1)),
            (AttributeError, lambda: setattr(ctl, "ReadAllFromCamera", 1)),
            (AttributeError, lambda: ctl.OnlineStatusChanged),
            (AttributeError, lambda: delattr(ctl, "ModelName")),
            (AttributeError, lambda: ctl.connect("Bogus", print)),
            (TypeError, lambda: ctl.connect("ModelName", print)),
            (TypeError, lambda: ctl.connect("OnlineStatusChanged", 5)),
            (TypeError, lambda: ctl.connect(object())),
            (TypeError, lambda: ctl.on_log("not callable")),
            (AttributeError, lambda: getattr(ctl, "\udcff")),
            (TypeError, lambda: zr47xcl.Control.ModelName.fget(5)),
            # An object whose __init__ never ran holds no control.
            (TypeError, lambda: zr47xcl.Control.__new__(zr47xcl.Control).ModelName),
        ]
        for error, call in cases:
            with pytest.raises(error):
                call()
        assert ctl.IMG1ShutterSpeed == 0 and ctl.UserID == ""
        # Values that do convert.
        ctl.IMG1ShutterSpeed = True
        assert ctl.IMG1ShutterSpeed == 1
        assert ctl.IsColorImager(nImager=False) is False


def test_all_members_listed_from_the_one_table(session):
    rows = zr47xcl.members()
    assert [len(zr47xcl.PROPERTIES), len(zr47xcl.METHODS), len(zr47xcl.EVENTS)] == [129, 155, 83]
    cli_rows = [tuple(line.split("\t")) for line in session.run_cli("list")[1].splitlines()]
    assert [(str(d), k, n, s) for d, k, n, s in rows] == cli_rows
    with zr47xcl.Control(connect=False) as ctl:
        listed = set(dir(ctl))
        assert set(zr47xcl.PROPERTIES) | set(zr47xcl.METHODS) <= listed
        assert not set(zr47xcl.EVENTS) & listed


def test_other_threads_run_while_a_paced_read_all_waits(session):
    session.start_camera("--pace")
    with zr47xcl.Control() as ctl:
        started = threading.Event()
        ctl.on_log(lambda line, sent: started.set())
        outcome = []
        worker = threading.Thread(target=lambda: outcome.append(ctl.ReadAllFromCamera()))
        begin = time.monotonic()
        worker.start()
        assert started.wait(10)
        with pytest.raises(RuntimeError, match="busy"):
            ctl.ModelName
        with pytest.raises(RuntimeError, match="busy"):
            ctl.close()
        rounds = 0
        while worker.is_alive():
            rounds += 1
            time.sleep(0.001)
        worker.join()
        assert outcome == [0]
        assert time.monotonic() - begin > 0.5  # a paced read-all takes about a second
        assert rounds > 100


def test_controls_in_two_threads_work_at_once(session):
    session.start_camera("--pace")
    session.start_camera("--pace", "--model", "ZR-471", port=2)
    outcome = {}

    def run(port):
        with zr47xcl.Control(connect=False) as ctl:
            ctl.StartCommunication(0, port - 1)
            outcome[port] = (ctl.ReadAllFromCamera(), ctl.ModelName, ctl.CommPort)

    workers = [threading.Thread(target=run, args=(port,)) for port in (1, 2)]
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    assert outcome == {1: (0, "ZR-470", 0), 2: (0, "ZR-471", 1)}
