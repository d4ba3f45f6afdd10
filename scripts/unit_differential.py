#!/usr/bin/env python3
"""Runs a project on the PC (kelvaro-cli run --fast --trace) and on the simulated control unit
(kelvaro-cli unit-trace) for the same span from the same start, with the same devices when a
scenario is given, and compares the changes the programs make to every object: value and
minute, in order. Prints the first difference and exits 1, or "gleich" with the number of
changes compared and exits 0.

    scripts/unit_differential.py KELVARO_CLI PROJECT [--start "YYYY-MM-DD hh:mm:ss"] [--for 7d]
                                 [--scenario FILE]

Values a device reported are left out on both sides (they are the scenario's, not the
programs'); what the programs make of them is compared.

The unit takes SONNENAUFGANG and SONNENUNTERGANG from the weekly tables in its image, one
entry for every 7 days from 1 January, while the PC computes them for each day; that is how
the unit works. A change that comes at a different minute on the two sides is therefore
accepted when, and only when, the PC's minute is that day's sunrise or sunset and the unit's
minute is the same event in the table entry the unit uses for that day. Such changes are
counted and reported ("davon N zur Sonnenzeit der Wochentabelle").
"""
import argparse
import datetime
import functools
import json
import subprocess
import sys


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"{' '.join(command)}: exit {result.returncode}\n{result.stderr}")
    return result.stdout


def trace(command):
    changes = {}
    for line in run(command).splitlines():
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
    parser.add_argument("--scenario")
    a = parser.parse_args()

    @functools.lru_cache(maxsize=None)
    def sun(date):
        # "sunrise hh:mm sunset hh:mm", summer time applied as in both runs.
        words = run([a.cli, "sun", "--summer", "--date", date.isoformat()]).split()
        return {words[1], words[3]}

    def table_date(day):
        # The unit's entry for a day: 1 January and every 7th day after it, 52 in all.
        week = min((day - datetime.date(day.year, 1, 1)).days // 7, 51)
        return datetime.date(day.year, 1, 1) + datetime.timedelta(days=7 * week)

    def sun_only(pc, unit):
        if pc[1] != unit[1] or pc[0][:10] != unit[0][:10]:
            return False
        day = datetime.date.fromisoformat(pc[0][:10])
        pc_minute, unit_minute = pc[0][11:], unit[0][11:]
        daily, weekly = sorted(sun(day)), sorted(sun(table_date(day)))
        return any(pc_minute == d and unit_minute == w for d, w in zip(daily, weekly))

    common = [a.project, "--start", a.start, "--for", a.span]
    devices = ["--scenario", a.scenario] if a.scenario else []
    pc = trace([a.cli, "run", *common, "--fast", "--trace", "--continue-on-error",
                *(["--port", "SIM", *devices] if devices else [])])
    unit = trace([a.cli, "unit-trace", *common, *devices])
    count = tolerated = 0
    for name in sorted(set(pc) | set(unit)):
        x, y = pc.get(name, []), unit.get(name, [])
        for i in range(max(len(x), len(y))):
            px = x[i] if i < len(x) else "(Ende)"
            uy = y[i] if i < len(y) else "(Ende)"
            if px == uy:
                continue
            if px != "(Ende)" and uy != "(Ende)" and sun_only(px, uy):
                tolerated += 1
                continue
            print(f"{name}, Änderung {i}: PC {px} | Steuereinheit {uy}")
            return 1
        count += len(x)
    print(f"gleich: {count} Änderungen, davon {tolerated} zur Sonnenzeit der Wochentabelle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
