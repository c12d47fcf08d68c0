#!/usr/bin/env python3
"""Prints the host benchmark's tables from the raw output of its runs.

Usage: host_benchmark_table.py DOCUMENT_LABEL EXPAND_SECONDS BUILD=FILE[,FILE...] ...

BUILD is "32-bit", "64-bit" or "native"; each FILE is one round's output: BlankwiseHost.exe
--choose-each 1-15 --stats --steps for the Windows builds, ConversionSteps for the native build.
Each figure keeps its least value over the rounds (the round least disturbed by other work); the
counts are the same in every round. The first two builds given are compared as later / first."""
import re
import sys

LINE = re.compile(r"^([^:]+): (\S+)$")


def parse(path):
    """The figures before the first id, and those of each id."""
    header, ids, current = {}, {}, None
    with open(path, encoding="utf-8", errors="replace") as stream:
        for raw in stream:
            match = LINE.match(raw.strip().replace("\r", ""))
            if not match:
                continue
            key, value = match.groups()
            if key == "id":
                current = ids.setdefault(int(value), {})
                continue
            try:
                number = float(value)
            except ValueError:
                continue
            (header if current is None else current)[key] = number
    return header, ids


def best(paths):
    header, ids = {}, {}
    for path in paths:
        run_header, run_ids = parse(path)
        for key, value in run_header.items():
            header[key] = min(value, header.get(key, value))
        for id_, figures in run_ids.items():
            kept = ids.setdefault(id_, {})
            for key, value in figures.items():
                kept[key] = min(value, kept.get(key, value))
    return header, ids


def steps_of(figures):
    """The steps in order: (name, seconds), and the estimates' seconds added up."""
    steps, estimate = [], 0.0
    for key, value in figures.items():
        match = re.match(r"step (\d+) (.+)$", key)
        if not match:
            continue
        if match.group(2) == "result-length estimate":
            estimate += value
        else:
            steps.append((int(match.group(1)), match.group(2), value))
    return [(name, seconds) for _, name, seconds in sorted(steps)], estimate


def plugin_seconds(figures):
    """The DLL's seconds in the plug-in, or for the native build the seconds of its steps."""
    if "seconds in the plug-in" in figures:
        return figures["seconds in the plug-in"]
    return sum(seconds for _, seconds in steps_of(figures)[0])


def main():
    label, expand = sys.argv[1], float(sys.argv[2])
    builds = []
    for argument in sys.argv[3:]:
        name, files = argument.split("=", 1)
        builds.append((name, *best(files.split(","))))

    print(f"\n== {label}: seconds in the plug-in (the native build: in its steps), best of the rounds")
    names = [name for name, _, _ in builds]
    columns = "".join(f"{name:>10}" for name in names)
    ratio = f"{names[1] + '/' + names[0]:>16}" if len(builds) > 1 else ""
    per_six = "".join(f"{name + '/id 6':>13}" for name in names)
    print(f"{'id':>3}{columns}{ratio}{per_six}{'messages':>10}{'changed':>9}{'expand':>8}")
    for id_ in range(1, 16):
        values = [plugin_seconds(ids.get(id_, {})) for _, _, ids in builds]
        sixes = [plugin_seconds(ids.get(6, {})) for _, _, ids in builds]
        row = f"{id_:>3}" + "".join(f"{value:>10.3f}" for value in values)
        if len(builds) > 1:
            row += f"{values[1] / values[0] if values[0] else 0:>16.2f}"
        row += "".join(f"{value / six if six else 0:>13.2f}" for value, six in zip(values, sixes))
        first = builds[0][2].get(id_, {})
        row += f"{first.get('host messages', 0):>10.0f}{first.get('changed lines', 0):>9.0f}{expand:>8.3f}"
        print(row)

    for name, header, ids in builds:
        print(f"\n-- {label}, {name}: where the time goes (seconds; each part redone in the host, "
              "the DLL's own run beside it)")
        print(f"{'id':>3}{'read':>8}{'steps':>8}{'estimate':>9}{'code page calls':>22}"
              f"{'locale comparisons':>22}{'write-back':>11}{'answering':>10}{'parts':>8}{'plug-in':>9}  steps")
        for id_ in range(1, 16):
            figures = ids.get(id_, {})
            steps, estimate = steps_of(figures)
            step_total = sum(seconds for _, seconds in steps)
            answering = figures.get("read answering", 0) + figures.get("write-back answering", 0)
            parts = (figures.get("read", 0) + figures.get("prefix width", 0) + step_total +
                     figures.get("write-back", 0) - answering)
            code_page = f"{figures.get('code page calls', 0):.0f} in {figures.get('code page seconds', 0):.4f}"
            locale = (f"{figures.get('locale comparisons', 0):.0f} in "
                      f"{figures.get('locale comparison seconds', 0):.4f}")
            each = ", ".join(f"{step} {seconds:.4f}" for step, seconds in steps)
            print(f"{id_:>3}{figures.get('read', 0):>8.4f}{step_total:>8.4f}{estimate:>9.4f}{code_page:>22}"
                  f"{locale:>22}{figures.get('write-back', 0):>11.4f}{answering:>10.4f}{parts:>8.4f}"
                  f"{plugin_seconds(figures):>9.4f}  {each}")
        if "microseconds per host message" in header:
            print(f"Wine, {name}, µs per call: host message {header['microseconds per host message']:.3f} "
                  f"(beside the model's answer), performance counter read "
                  f"{header['microseconds per clock read']:.3f}, WideCharToMultiByte of a word "
                  f"{header['microseconds per code page conversion of a word']:.3f}, CompareStringW of a unit "
                  f"{header['microseconds per locale comparison of a unit']:.3f}; the command cancelled in its "
                  f"menu: {header['seconds of the command cancelled']:.4f} s")
    print("parts: read, prefix width, steps and write-back less the model's answering, the plug-in's "
          "share of its run;\nplug-in: the DLL's own run less the model's answering, its menu included.")


main()
