#!/usr/bin/env python3
"""Property reads through the zr47xcl module against the same reads through the C++ dispatch.

bench/python_property_reads.py [--reads N] [--build DIR]

Reads three properties of an offline control (I4, BOOL, BSTR) N times each (default 10000),
best of five rounds, through the Python module in DIR/python, then runs
DIR/bin/zr47xcl-bench-dispatch-reads for the same reads by dispid in C++ (DIR defaults to the
build folder beside this one). Prints the nanoseconds per read of both and their difference.
Target: the module costs under 2 microseconds a read more than C++; the exit status is 1 when
it does not.
"""

import argparse
import os
import pathlib
import subprocess
import sys
import tempfile
import time

PROPERTIES = ("IMG1ShutterSpeed", "ShowAboutWindow", "ModelName")
TARGET_NS = 2000


def python_reads(zr47xcl, reads):
    results = {}
    with zr47xcl.Control(connect=False) as ctl:
        for name in PROPERTIES:
            # The attribute lookup is part of a script's read: a plain ctl.NAME each time.
            loop = eval(f"lambda ctl, n: [ctl.{name} for _ in range(n)]")
            best = None
            for _ in range(5):
                start = time.perf_counter_ns()
                loop(ctl, reads)
                ns = (time.perf_counter_ns() - start) / reads
                best = ns if best is None else min(best, ns)
            results[name] = best
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--reads", type=int, default=10000)
    parser.add_argument("--build", type=pathlib.Path,
                        default=pathlib.Path(__file__).resolve().parents[1] / "build")
    options = parser.parse_args()

    # A throw-away user: the control reads and writes module settings.
    os.environ["XDG_CONFIG_HOME"] = tempfile.mkdtemp(prefix="zr47xcl-bench-")
    sys.path.insert(0, str(options.build / "python"))
    import zr47xcl

    native_out = subprocess.run(
        [str(options.build / "bin" / "zr47xcl-bench-dispatch-reads"), str(options.reads)],
        check=True, capture_output=True, text=True).stdout
    native = {name: float(ns) for name, ns in (line.split() for line in native_out.splitlines())}
    module = python_reads(zr47xcl, options.reads)

    print(f"{options.reads} reads per property, best of 5 rounds, ns per read")
    print(f"{'property':<18} {'C++ dispatch':>12} {'module':>10} {'difference':>11}")
    worst = 0.0
    for name in PROPERTIES:
        difference = module[name] - native[name]
        worst = max(worst, difference)
        print(f"{name:<18} {native[name]:>12.1f} {module[name]:>10.1f} {difference:>11.1f}")
    met = worst < TARGET_NS
    print(f"largest difference {worst:.1f} ns: target under {TARGET_NS} ns "
          f"{'met' if met else 'MISSED'}")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
