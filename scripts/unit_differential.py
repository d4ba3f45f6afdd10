#!/usr/bin/env python3
"""Runs a project on the PC (kelvaro-cli run --fast --trace) and on the simulated control unit
(kelvaro-cli unit-trace) for the same span from the same start, and compares the changes of
every object: value and minute, in order. Prints the first difference and exits 1, or "gleich"
and the number of changes compared and exits 0.

    scripts/unit_differential.py KELVARO_CLI PROJECT [--start "YYYY-MM-DD hh:mm:ss"] [--for 7d] [--slack M]

The unit takes sunrise and sunset from the weekly tables of its image, the PC computes them for
each day: over a week they part by a few minutes. --slack M lets a change come up to M minutes
apart (same value); without it every minute counts.
"""
import argparse
import datetime
import json
import subprocess
import sys


def trace(command):
    run = subprocess.run(command, capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{' '.join(command)}: exit {run.returncode}\n{run.stderr}")
    changes = {}
    for line in run.stdout.splitlines():
        entry = json.loads(line)
        if entry.get("from") == "hardware":
            continue
        # The minute is the unit of comparison: the unit's clock and the PC's tick alike.
        changes.setdefault(entry["object"], []).append((entry["t"][:16], entry["value"]))
    return changes


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("project")
    parser.add_argument("--start", default="2026-01-08 00:00:02")
    parser.add_argument("--for", dest="span", default="7d")
    parser.add_argument("--slack", type=int, default=0, help="minutes two changes may lie apart")
    a = parser.parse_args()

    def same(x, y):
        if x == "(Ende)" or y == "(Ende)" or x[1] != y[1]:
            return x == y
        minutes = abs(datetime.datetime.fromisoformat(x[0]) - datetime.datetime.fromisoformat(y[0])).total_seconds() / 60
        return minutes <= a.slack

    common = [a.project, "--start", a.start, "--for", a.span]
    pc = trace([a.cli, "run", *common, "--fast", "--trace", "--continue-on-error"])
    unit = trace([a.cli, "unit-trace", *common])
    count = 0
    for name in sorted(set(pc) | set(unit)):
        x, y = pc.get(name, []), unit.get(name, [])
        for i in range(max(len(x), len(y))):
            px = x[i] if i < len(x) else "(Ende)"
            uy = y[i] if i < len(y) else "(Ende)"
            if not same(px, uy):
                print(f"{name}, Änderung {i}: PC {px} | Steuereinheit {uy}")
                return 1
        count += len(x)
    print(f"gleich: {count} Änderungen")
    return 0


if __name__ == "__main__":
    sys.exit(main())
