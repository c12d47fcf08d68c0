#!/usr/bin/env python3
"""blankwise --tabs LIST against GNU expand and unexpand (LC_ALL=C), on random lists of stops (with
a last /N or +N, given in one -t or several) and random Japanese and ASCII text, in every encoding:

* tabs-to-spaces equals `expand -t LIST` on the text's code page 932 bytes, whose count is the
  display width in code page 932; with --initial it equals `expand -i -t LIST`;
* spaces-to-tabs equals `unexpand -a -t LIST` on every line where no space after a character
  that is no blank ends on a stop: unexpand leaves such a space as it is where no more blanks
  that it converts follow, blankwise turns every space that ends on a stop into a tab.

The text holds one line long enough to be cut into pieces, the column carried from one to the next.
The results in UTF-8 and UTF-16 are those of code page 932 re-encoded.

Usage: tab_list_differential_test.py BLANKWISE"""
import os
import pathlib
import random
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from differential_test import ASCII, C_LOCALE, JAPANESE, first_difference, random_line, run, to_cp932  # noqa: E402

ENCODINGS = [("cp932", None), ("utf-8", "utf-8"), ("utf-16le", "utf-16-le"), ("utf-16be", "utf-16-be")]


def random_stops(rng):
    """A list as (stops, sign, repeat): ascending stops, then '/' or '+' with a repeat, or nothing."""
    stops = sorted(rng.sample(range(1, 40), rng.choice([1, 2, 3, 6])))
    sign = rng.choice(["", "/", "+"])
    return stops, sign, rng.randint(1, 9) if sign else 0


def tabs_arguments(rng, stops, sign, repeat):
    """The list as -t arguments: one list with commas or blanks, or several -t that add up."""
    entries = [str(stop) for stop in stops] + ([f"{sign}{repeat}"] if sign else [])
    if len(entries) > 1 and rng.random() < 0.3:
        cut = rng.randint(1, len(entries) - 1)
        return ["-t", ",".join(entries[:cut]), f"--tabs={' '.join(entries[cut:])}"]
    return ["-t", rng.choice([",", " "]).join(entries)]


def next_stop(column, stops, sign, repeat):
    """The stop after column, or None past the last stop of a list without a repeat."""
    if len(stops) == 1 and not sign:
        return column + stops[0] - column % stops[0]  # a single N: a stop every N columns
    later = [stop for stop in stops if stop > column]
    if later:
        return later[0]
    if sign == "/":
        return column + repeat - column % repeat
    if sign == "+":
        return column + repeat - (column - stops[-1]) % repeat
    return None


def has_space_after_a_character_on_a_stop(line, stops, sign, repeat):
    """Whether a space that follows a character that is no blank ends on a stop (code page 932
    bytes, one column each, tabs to their stops)."""
    column = 0
    for i, byte in enumerate(line):
        if byte == 0x09:
            stop = next_stop(column, stops, sign, repeat)
            column = column + 1 if stop is None else stop
            continue
        column += 1
        if byte == 0x20 and i > 0 and line[i - 1] not in b" \t" and next_stop(column - 1, stops, sign, repeat) == column:
            return True
    return False


def generated_text(rng):
    """Lines of blanks, Japanese and ASCII. No full-width space: --initial counts it a leading
    blank, expand -i does not."""
    alphabet = JAPANESE.replace("\u3000", "") + ASCII
    blanks = [" ", "  ", "   ", "\t", "\t", " \t"]
    lines = [random_line(rng, alphabet, blanks, rng.choice([0, 1, 4, 10, 30, 60])) for _ in range(1500)]
    lines.append(random_line(rng, alphabet, blanks, 200000))
    return "\n".join(lines) + "\n"


def in_encoding(cp932_bytes, codec):
    return cp932_bytes if codec is None else cp932_bytes.decode("cp932").encode(codec)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    blankwise = os.path.abspath(sys.argv[1])
    rng = random.Random(2208)
    text = generated_text(rng)
    data = to_cp932(text)
    failures = []
    runs = compared = skipped = 0
    for _ in range(12):
        stops, sign, repeat = random_stops(rng)
        tabs = tabs_arguments(rng, stops, sign, repeat)
        expanded = run(["expand"] + tabs, data, C_LOCALE)
        initial = run(["expand", "-i"] + tabs, data, C_LOCALE)
        unexpanded = run(["unexpand", "-a"] + tabs, data, C_LOCALE)
        comparable = [not has_space_after_a_character_on_a_stop(line, stops, sign, repeat)
                      for line in data.split(b"\n")]
        compared += sum(comparable)
        skipped += len(comparable) - sum(comparable)
        for encoding, codec in ENCODINGS:
            source = in_encoding(data, codec)
            for conversion, extra, theirs in [("6", [], expanded), ("6", ["--initial"], initial), ("5", [], unexpanded)]:
                args = [blankwise, "-c", conversion, "-e", encoding] + extra + tabs
                ours = run(args, source)
                label = " ".join(args[1:])
                runs += 1
                if conversion == "5":
                    ours_lines = ours.decode(codec or "cp932").split("\n")
                    theirs_lines = theirs.decode("cp932").split("\n")
                    differing = [k for k, ok in enumerate(comparable) if ok and ours_lines[k] != theirs_lines[k]]
                    if len(ours_lines) != len(theirs_lines) or differing:
                        k = differing[0] if differing else 0
                        failures.append(f"{label}: line {k + 1} differs\n  blankwise: {ours_lines[k]!r}\n"
                                        f"  unexpand:  {theirs_lines[k]!r}")
                elif ours != in_encoding(theirs, codec):
                    failures.append(first_difference(ours, in_encoding(theirs, codec), label))
    print(f"--tabs LIST: {runs} runs on {len(data)} bytes in 4 encodings against expand, expand -i and unexpand -a "
          f"({compared} lines compared with unexpand, {skipped} with a space after a character on a stop left out): "
          f"{'same' if not failures else 'DIFFERENT'}")
    if compared < skipped:
        failures.append("too few lines compared with unexpand")
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
