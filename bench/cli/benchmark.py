#!/usr/bin/env python3
"""End-to-end throughput (read, decode, convert, encode, write) of blankwise against peers run on
the same inputs in the same run: GNU expand, unexpand and sed (LC_ALL=C), with cat as the physical
bound. Each command runs several times, taking turns with the commands it is compared with; the
best wall time counts. Peak resident memory comes
from the kernel's accounting of each process, through the small launcher peak_memory.cpp.

--widths unicode is timed against the default code page 932 widths on the UTF-8 documents, and
tabs-to-spaces with --initial against the whole conversion. Each conversion is also timed on one
thread (--threads 1), and, with --baseline, a build of blankwise from before a change is timed in
the same run.

Usage: benchmark.py PEAK_MEMORY BLANKWISE CORPUS_FOLDER [--runs N] [--stream-gb G] [--widths-only]
                    [--baseline OTHER_BLANKWISE]"""
import argparse
import os
import pathlib
import subprocess
import sys
import tempfile
import time

C_LOCALE = dict(os.environ, LC_ALL="C")
FULLWIDTH_SPACE = {"cp932": b"\x81\x40", "utf-8": "\u3000".encode("utf-8"), "euc-jp": b"\xa1\xa1"}
# blankwise's encoding of each suffix of the corpus' files, and Python's codec for it.
ENCODINGS = [("cp932", "cp932", "cp932"), ("utf-8", "utf8", "utf-8"), ("euc-jp", "eucjp", "euc_jp"),
             ("iso-2022-jp", "jis", "iso2022_jp_ext")]


def measure_together(launcher, commands, stdin_path, out_path, runs):
    """Best wall time in seconds and the largest peak resident set in KiB of each command over the
    runs. The commands take turns, so that a slow stretch of the machine falls on all of them
    rather than on whichever ran through it."""
    best = [float("inf")] * len(commands)
    peak = [0] * len(commands)
    for _ in range(runs):
        for k, args in enumerate(commands):
            with open(stdin_path, "rb") as stdin, open(out_path, "wb") as stdout:
                start = time.perf_counter()
                result = subprocess.run([launcher] + args, stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                                        env=C_LOCALE, check=False)
                elapsed = time.perf_counter() - start
            errors = result.stderr.decode(errors="replace").splitlines()
            if result.returncode != 0 or not errors or not errors[-1].startswith("peak-rss-kib "):
                raise SystemExit(f"{args} failed ({result.returncode}): {chr(10).join(errors)}")
            best[k] = min(best[k], elapsed)
            peak[k] = max(peak[k], int(errors[-1].split()[1]))
    return list(zip(best, peak))


def measure(launcher, args, stdin_path, out_path, runs):
    """Best wall time in seconds and the largest peak resident set in KiB over the runs."""
    return measure_together(launcher, [args], stdin_path, out_path, runs)[0]


def mb_per_s(size, seconds):
    return size / seconds / 1e6


def line_shares(path):
    data = path.read_bytes()
    encoding = next(codec for _, suffix, codec in ENCODINGS if f".{suffix}." in path.name)
    lines = data.decode(encoding).split("\n")
    total = max(1, len(data))
    def share(ch):
        return sum(len(line.encode(encoding)) + 1 for line in lines if ch in line) / total * 100
    return f"bytes in lines with a tab {share(chr(9)):.0f}%, a space {share(' '):.0f}%, U+3000 {share(chr(0x3000)):.0f}%"


class Bench:
    def __init__(self, launcher, blankwise, folder, runs, scratch, baseline=None):
        self.baseline = baseline
        self.launcher = launcher
        self.blankwise = blankwise
        self.folder = folder
        self.runs = runs
        self.out = scratch / "out.bin"
        self.peak_kib = 0

    def command(self, encoding, conversion, extra=(), blankwise=None):
        return [blankwise or self.blankwise, "-c", conversion, "-e", encoding, *extra]

    def together(self, path, commands):
        """measure_together; the peaks of this build's runs count towards the overall peak."""
        results = measure_together(self.launcher, commands, path, self.out, self.runs)
        for args, (_, peak) in zip(commands, results):
            if args[0] == self.blankwise:
                self.peak_kib = max(self.peak_kib, peak)
        return results

    def ours(self, path, encoding, conversion, extra=()):
        return self.together(path, [self.command(encoding, conversion, extra)])[0]

    def compare(self, label, path, encoding, conversion, peer, peer_label, target, one_thread_target):
        size = path.stat().st_size
        commands = [self.command(encoding, conversion), self.command(encoding, conversion, ["--threads", "1"]), peer]
        if self.baseline:
            commands.append(self.command(encoding, conversion, blankwise=self.baseline))
        results = self.together(path, commands)
        (ours, our_peak), (single, _), (theirs, their_peak) = results[:3]
        ratio = theirs / ours
        verdict = "meets" if ratio >= target else "BELOW"
        single_ratio = theirs / single
        single_verdict = "meets" if single_ratio >= one_thread_target else "BELOW"
        print(f"  {label:<34} blankwise {mb_per_s(size, ours):7.0f} MB/s  {peer_label:<14} "
              f"{mb_per_s(size, theirs):7.0f} MB/s  ratio {ratio:5.2f} ({verdict} target {target}x)  "
              f"peak RSS {our_peak / 1024:.1f} MiB (peer {their_peak / 1024:.1f} MiB)")
        print(f"  {'':<34} one thread {mb_per_s(size, single):6.0f} MB/s  ratio {single_ratio:5.2f} "
              f"({single_verdict} target {one_thread_target}x)")
        if self.baseline:
            before, _ = results[3]
            print(f"  {'':<34} baseline {mb_per_s(size, before):8.0f} MB/s  ratio {theirs / before:5.2f}")
        return ours

    def corpus(self, stem):
        print(f"{stem}:")
        for encoding, suffix, _ in ENCODINGS:
            path = self.folder / f"{stem}.{suffix}.txt"
            print(f"  {path.name}: {path.stat().st_size / 1e6:.1f} MB; {line_shares(path)}")
            cat, _ = measure(self.launcher, ["cat"], path, self.out, self.runs)
            print(f"  {'cat (physical bound)':<34} {mb_per_s(path.stat().st_size, cat):17.0f} MB/s")
            expand = self.compare(f"tabs-to-spaces, {encoding}", path, encoding, "tabs-to-spaces", ["expand", "-t4"],
                                  "expand -t4", 2.5, 1.5)
            self.compare(f"spaces-to-tabs, {encoding}", path, encoding, "spaces-to-tabs",
                         ["unexpand", "-a", "-t4"], "unexpand -a", 2.5, 1.5)
            if encoding not in FULLWIDTH_SPACE:
                continue  # sed writes no escape sequences
            sed_program = b"s/  /" + FULLWIDTH_SPACE[encoding] + b"/g"
            self.compare(f"two-spaces-to-fullwidth, {encoding}", path, encoding, "two-spaces-to-fullwidth",
                         [b"sed", sed_program], "sed s/  /　/g", 2, 1)
            if stem == "document" and encoding == "cp932":
                share = cat / expand
                verdict = "meets" if share >= 0.5 else "BELOW"
                print(f"  {'tabs-to-spaces against cat':<34} {share:5.2f} of cat's throughput "
                      f"({verdict} target 0.5)")

    def widths(self):
        """The cost of measuring by Unicode properties against code page 932 bytes, same text."""
        print("--widths unicode against --widths cp932, UTF-8:")
        for stem in ["document", "blank-heavy"]:
            path = self.folder / f"{stem}.utf8.txt"
            size = path.stat().st_size
            for conversion in ["tabs-to-spaces", "spaces-to-tabs"]:
                (cp932, _), (unicode, _) = self.together(
                    path, [self.command("utf-8", conversion, ["--widths", "cp932"]),
                           self.command("utf-8", conversion, ["--widths", "unicode"])])
                ratio = unicode / cp932
                verdict = "meets" if ratio <= 1.25 else "ABOVE"
                print(f"  {path.name + ', ' + conversion:<40} cp932 {mb_per_s(size, cp932):6.0f} MB/s  "
                      f"unicode {mb_per_s(size, unicode):6.0f} MB/s  time ratio {ratio:4.2f} ({verdict} target 1.25x)")

    def initial(self):
        """--initial converts each line's leading blanks with a call of its own: its time against the
        whole conversion's shows what a call costs."""
        print("--initial against the whole conversion, tabs-to-spaces:")
        for stem in ["document", "blank-heavy"]:
            for encoding, suffix in [("cp932", "cp932"), ("utf-8", "utf8")]:
                path = self.folder / f"{stem}.{suffix}.txt"
                size = path.stat().st_size
                commands = [self.command(encoding, "tabs-to-spaces"),
                            self.command(encoding, "tabs-to-spaces", ["--initial"])]
                if self.baseline:
                    commands.append(self.command(encoding, "tabs-to-spaces", ["--initial"], self.baseline))
                results = self.together(path, commands)
                (whole, _), (initial, _) = results[:2]
                ratio = initial / whole
                verdict = "meets" if ratio <= 1.5 else "ABOVE"
                print(f"  {path.name:<40} whole {mb_per_s(size, whole):6.0f} MB/s  --initial "
                      f"{mb_per_s(size, initial):6.0f} MB/s  time ratio {ratio:4.2f} ({verdict} target 1.5x)")
                if self.baseline:
                    before, _ = results[2]
                    print(f"  {'':<40} baseline --initial {mb_per_s(size, before):6.0f} MB/s")

    def long_line(self):
        """The per-byte cost of one long line against the same kind of text in ordinary lines, and
        against a line a fifth as long: both stay near 1 when the time is linear."""
        ordinary_lines = self.folder / "blank-heavy.cp932.txt"
        lines = sorted(self.folder.glob("long-line-*mb.cp932.txt"), key=lambda path: path.stat().st_size)
        shorter, line = lines[0], lines[-1]
        print(f"one line of {line.stat().st_size / 1e6:.0f} MB (the blank-heavy text without its breaks), cp932:")
        for conversion in ["tabs-to-spaces", "spaces-to-tabs", "two-spaces-to-fullwidth"]:
            def cost(path):
                seconds, peak = self.ours(path, "cp932", conversion)
                return seconds / path.stat().st_size, peak
            ordinary, _ = cost(ordinary_lines)
            short, _ = cost(shorter)
            long, peak = cost(line)
            verdict = "meets" if long / ordinary <= 1.5 else "ABOVE"
            print(f"  {conversion:<34} {1e-6 / long:7.0f} MB/s; per-byte cost {long / ordinary:.2f}x that of "
                  f"ordinary lines ({verdict} target 1.5x), {long / short:.2f}x that of a "
                  f"{shorter.stat().st_size / 1e6:.0f} MB line; peak RSS {peak / 1024:.1f} MiB")
        _, expand_peak = measure(self.launcher, ["expand", "-t4"], line, self.out, 1)
        print(f"  expand -t4 on the same line: peak RSS {expand_peak / 1024:.1f} MiB")

    def stream(self, gigabytes):
        """Peak memory on a long stream of ordinary lines, fed through a pipe."""
        document = self.folder / "document.cp932.txt"
        copies = max(1, round(gigabytes * 1e9 / document.stat().st_size))
        feeder = subprocess.Popen(["cat"] + [str(document)] * copies, stdout=subprocess.PIPE)
        start = time.perf_counter()
        with open(self.out, "wb") as stdout:
            result = subprocess.run([self.launcher, self.blankwise, "-c", "tabs-to-spaces", "-e", "cp932"],
                                    stdin=feeder.stdout, stdout=stdout, stderr=subprocess.PIPE, check=False)
        feeder.stdout.close()
        feeder.wait()
        elapsed = time.perf_counter() - start
        errors = result.stderr.decode(errors="replace").splitlines()
        if result.returncode != 0 or not errors:
            raise SystemExit("the stream conversion failed")
        peak = int(errors[-1].split()[1])
        size = copies * document.stat().st_size
        self.peak_kib = max(self.peak_kib, peak)
        print(f"a stream of {size / 1e9:.1f} GB of ordinary lines through a pipe, tabs-to-spaces, cp932: "
              f"{mb_per_s(size, elapsed):.0f} MB/s, peak RSS {peak / 1024:.1f} MiB")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("launcher", help="the built peak_memory.cpp")
    parser.add_argument("blankwise")
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--stream-gb", type=float, default=1.0)
    parser.add_argument("--widths-only", action="store_true", help="time only --widths unicode against cp932")
    parser.add_argument("--baseline", help="another build of blankwise, timed beside this one")
    args = parser.parse_args()
    scratch_root = "/dev/shm" if os.path.isdir("/dev/shm") else None
    # Peers and blankwise share the processors with whatever else runs: the load says how much.
    print(f"processors {os.cpu_count()}, load average {' '.join(f'{load:.2f}' for load in os.getloadavg())}")
    with tempfile.TemporaryDirectory(dir=scratch_root) as scratch:
        bench = Bench(args.launcher, args.blankwise, args.folder, args.runs, pathlib.Path(scratch), args.baseline)
        bench.widths()
        if args.widths_only:
            return 0
        bench.initial()
        bench.corpus("document")
        bench.corpus("blank-heavy")
        bench.long_line()
        if args.stream_gb > 0:
            bench.stream(args.stream_gb)
        print(f"peak resident memory of blankwise over all runs: {bench.peak_kib / 1024:.1f} MiB")
    print(f"load average at the end {' '.join(f'{load:.2f}' for load in os.getloadavg())}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
