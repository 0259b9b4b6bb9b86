"""The type stub: it names exactly the module's public names, and mypy --strict checks scripts
against it (event names as Literal types, read-only properties, the out arguments' tuples)."""

import ast
import pathlib
import shutil
import subprocess
import sys
import textwrap

import pytest

import zr47xcl

STUB = pathlib.Path(zr47xcl.__file__).with_name("zr47xcl.pyi")
TYPE_ONLY = {"EventName"}  # aliases the stub adds for the type checker


def public(names):
    return {n for n in names if not n.startswith("_") or n == "__version__"}


def defined(body):
    names = set()
    for node in body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            names.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            names.add(node.target.id)
        elif isinstance(node, ast.Assign):
            names.update(t.id for t in node.targets)
    return names


def test_the_stub_names_every_public_name_of_the_module_and_no_other():
    tree = ast.parse(STUB.read_text())
    assert defined(tree.body) - TYPE_ONLY == public(dir(zr47xcl))
    control = next(n for n in tree.body if isinstance(n, ast.ClassDef) and n.name == "Control")
    assert public(defined(control.body)) == public(dir(zr47xcl.Control))
    alias = next(n for n in tree.body if isinstance(n, ast.Assign)
                 and n.targets[0].id == "EventName")
    assert tuple(e.value for e in alias.value.slice.elts) == zr47xcl.EVENTS


GOOD = '''
    import zr47xcl

    def changed() -> None:
        print("changed")

    ctl = zr47xcl.attach("COM2")
    ctl.IMG1ShutterSpeed = 6
    speed: int = ctl.IMG1ShutterSpeed
    text: str = ctl.AskIMG1ShutterSpeedString(speed)
    online: bool = ctl.CheckOnline()
    result, found_class, found_port = ctl.AutoSelectCommunication(0)
    ctl.connect("OnlineStatusChanged", changed)
    for event in zr47xcl.EVENTS:
        ctl.disconnect(event)
    with zr47xcl.Control(connect=False) as local:
        code: int = local.DoIMG1OnePushAWB(0)[1]
    try:
        ctl.StartCommunication(0, 15)
    except zr47xcl.ScriptError as error:
        print(error.code, error.description, text, online, result, found_class, found_port, code)
'''

BAD = {
    'ctl.connect("OnlineStatusChange", changed)': "call-overload",
    "ctl.FirmwareVersion = 3": "misc",
    'ctl.IMG1ShutterSpeed = "6"': "assignment",
    "ctl.StartCommunication(0)": "call-arg",
    "x: int = ctl.DoIMG1OnePushAWB(0)": "assignment",
}


@pytest.mark.skipif(shutil.which("mypy") is None, reason="mypy is not installed")
def test_mypy_strict_accepts_a_sound_script_and_finds_each_fault(tmp_path):
    script = tmp_path / "script.py"
    bad = "".join("    %s\n" % line for line in BAD)
    script.write_text(textwrap.dedent(GOOD) + "\n\ndef faults(ctl: zr47xcl.Control) -> None:\n"
                      + "    def changed() -> None: ...\n" + bad)
    done = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-incremental", "--show-error-codes",
         "--no-color-output", script.name],
        cwd=tmp_path, capture_output=True, text=True, timeout=300,
        env={"MYPYPATH": str(STUB.parent), "PATH": "/usr/bin:/bin", "HOME": str(tmp_path)})
    errors = [line for line in done.stdout.splitlines() if ": error: " in line]
    lines = script.read_text().splitlines()
    numbers = {lines.index("    " + line) + 1: code for line, code in BAD.items()}
    # The sound script passes; each fault is found on its line, with its kind.
    assert {int(line.split(":")[1]) for line in errors} == set(numbers), done.stdout
    for number, code in numbers.items():
        assert any(line.startswith("%s:%d:" % (script.name, number)) and "[%s]" % code in line
                   for line in errors), (number, code, done.stdout)
