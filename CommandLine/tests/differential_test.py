#!/usr/bin/env python3
"""blankwise against peers no one here wrote, on generated texts and on text files from the machine:

* tabs-to-spaces equals GNU `expand -t4` (LC_ALL=C) on code page 932 bytes with LF breaks and no
  CR or backspace: expand counts bytes, which in code page 932 is the display width. It counts a
  CR as one more column where blankwise starts a new line, and steps back on a backspace where
  blankwise counts one column.
* tabs-to-spaces equals Python's str.expandtabs(4) on ASCII text with CR, LF and CR LF breaks.
* every two-byte code Python's cp932 codec decodes (Microsoft's table) is read: a line that
  does not change keeps its bytes, and a changed line equals `expand -t4` on it but for the
  character's code, which is the one the project's table writes for the character Python decoded.
* spaces-to-tabs equals GNU `unexpand -a -t4` except where a single space, between two
  characters that are no blanks, ends on a tab stop: unexpand leaves a lone blank as it is,
  blankwise turns every space that ends on a stop into a tab. Everywhere a run of two or more
  blanks reaches a stop, the two agree.
* --tabs N, N from 1 to 16: `expand -t N` on code page 932 and str.expandtabs(N) on ASCII with
  CR, LF and CR LF breaks.
* --initial: `expand -i -t N`, N from 1 to 16.
* --diff equals `diff -u` with the same labels, and `patch -p1` turns the file into its
  conversion, in every encoding and line break; with odd file names its header lines are git's
  and both `patch -p1` and `git apply` apply it.
* --widths unicode: tabs-to-spaces and spaces-to-tabs equal a reference that measures each
  character with unicodedata, for both --ambiguous-width choices and several --tabs.

Usage: differential_test.py BLANKWISE"""
import glob
import os
import pathlib
import random
import re
import subprocess
import sys
import unicodedata

HERE = pathlib.Path(__file__).resolve().parent
TABLE = HERE.parent.parent / "MyLibrary" / "Encoding" / "Cp932EncodeTable.inc"
C_LOCALE = dict(os.environ, LC_ALL="C")

# Characters with interesting code page 932 bytes: trail bytes 0x40, 0x5C and in a lead range,
# lead bytes of both ranges (kanji of the second level 漾 E040 to 熙 EAA4, IBM's extension 纊 FA5C
# to 黑 FC4B), half-width katakana (one byte), the full-width space, controls that are ordinary
# columns.
JAPANESE = "漢字表ソ能亜あいアァｱｲﾝ　＼ー「」漾燹饅珱熙纊髙黑"
ASCII = "abcdefgXYZ019_-+;\\"
CONTROLS = "\x00\x0b\x0c"


def load_cp932_codes():
    """The byte codes code page 932 has in the project's table, by character."""
    codes = {}
    for unit, code in re.findall(r"\{0x([0-9A-F]+), 0x([0-9A-F]+)\}", TABLE.read_text()):
        codes.setdefault(chr(int(unit, 16)), int(code, 16))
    return codes


CP932 = load_cp932_codes()


def to_cp932(text):
    """The text in code page 932 as the table defines it, or None when a character has no code."""
    out = bytearray()
    for ch in text:
        if ord(ch) < 0x80:
            out.append(ord(ch))
        elif ch in CP932:
            code = CP932[ch]
            out += bytes([code >> 8, code & 0xFF]) if code > 0xFF else bytes([code])
        else:
            return None
    return bytes(out)


def run(args, data, env=None):
    result = subprocess.run(args, input=data, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, check=False)
    if result.returncode != 0:
        raise AssertionError(f"{args} exited with {result.returncode}: {result.stderr.decode(errors='replace')}")
    return result.stdout


def first_difference(ours, theirs, label):
    ours_lines = ours.split(b"\n")
    theirs_lines = theirs.split(b"\n")
    for number, (a, b) in enumerate(zip(ours_lines, theirs_lines), 1):
        if a != b:
            return f"{label}: line {number} differs\n  blankwise: {a!r}\n  peer:      {b!r}"
    return f"{label}: {len(ours_lines)} lines against {len(theirs_lines)}"


def random_line(rng, alphabet, blanks, length):
    return "".join(rng.choice(blanks) if rng.random() < 0.3 else rng.choice(alphabet) for _ in range(length))


def generated_cp932(rng):
    lines = []
    for n in range(4000):
        length = rng.choice([0, 1, 2, 5, 9, 20, 60, 150]) if n % 500 else 5000
        lines.append(random_line(rng, JAPANESE + ASCII + CONTROLS, [" ", "\t", "\t", "  ", "\u3000"], length))
    return to_cp932("\n".join(lines) + "\n") + to_cp932("last line\twithout a break")


def machine_files(per_pattern=120, limit_bytes=16 << 20):
    """Text files shipped by Debian packages: C headers, documentation, licences, Python and Perl
    sources; those that are UTF-8, have LF breaks only, no backspace, and a code page 932 form."""
    patterns = ["/usr/include/*.h", "/usr/include/*/*.h", "/usr/share/doc/*/copyright", "/usr/share/doc/*/README*",
                "/usr/share/common-licenses/*", "/usr/lib/python3*/*.py", "/usr/share/perl5/**/*.pm"]
    chosen = []
    total = 0
    for pattern in patterns:
        taken = 0
        for name in sorted(glob.glob(pattern, recursive=True)):
            path = pathlib.Path(name)
            if taken == per_pattern or total >= limit_bytes:
                break
            if not path.is_file() or path.stat().st_size > (1 << 20):
                continue
            try:
                text = path.read_bytes().decode("utf-8")
            except (UnicodeDecodeError, OSError):
                continue
            if "\r" in text or "\b" in text:
                continue
            data = to_cp932(text if text.endswith("\n") or not text else text + "\n")
            if data is None:
                continue
            chosen.append((name, data))
            total += len(data)
            taken += 1
    return chosen


def check_expand(blankwise, rng):
    failures = []
    corpora = [("generated cp932", generated_cp932(rng))]
    files = machine_files()
    with_tabs = sum(1 for _, data in files if b"\t" in data)
    if len(files) < 50 or with_tabs < 10:
        failures.append(f"too few machine files to compare: {len(files)}, {with_tabs} with tabs")
    corpora.append((f"{len(files)} machine files ({with_tabs} with tabs)", b"".join(data for _, data in files)))
    for label, data in corpora:
        ours = run([blankwise, "--conversion", "tabs-to-spaces", "--encoding", "cp932"], data)
        theirs = run(["expand", "-t4"], data, C_LOCALE)
        if ours != theirs:
            failures.append(first_difference(ours, theirs, f"expand, {label}"))
        print(f"expand -t4: {label}, {len(data)} bytes: {'same' if ours == theirs else 'DIFFERENT'}")
    return failures


def check_expandtabs(blankwise, rng):
    failures = []
    pieces = []
    for _ in range(3000):
        pieces.append(random_line(rng, ASCII + CONTROLS, [" ", "\t", "\t", "  "], rng.choice([0, 1, 3, 7, 30, 200])))
        pieces.append(rng.choice(["\n", "\r", "\r\n"]))
    text = "".join(pieces)
    expected = text.expandtabs(4)
    for encoding in ["utf-8", "utf-16le"]:
        codec = "utf-8" if encoding == "utf-8" else "utf-16-le"
        ours = run([blankwise, "-c", "6", "-e", encoding], text.encode(codec)).decode(codec)
        if ours != expected:
            failures.append(first_difference(ours.encode(), expected.encode(), f"expandtabs(4), {encoding}"))
        print(f"str.expandtabs(4): {len(text)} characters, CR, LF and CR LF, {encoding}: "
              f"{'same' if ours == expected else 'DIFFERENT'}")
    return failures


def check_tab_widths(blankwise, rng):
    """--tabs N for N from 1 to 16: `expand -t N` on code page 932 bytes with LF breaks (one line
    long enough to be cut into pieces, its column carried across them), and str.expandtabs(N) on
    ASCII with CR, LF and CR LF breaks."""
    failures = []
    cp932 = generated_cp932(rng)
    long_line = to_cp932(random_line(rng, JAPANESE + ASCII, [" ", "\t", "\t"], 400000)) + b"\n"
    pieces = []
    for _ in range(1500):
        pieces.append(random_line(rng, ASCII + CONTROLS, [" ", "\t", "\t", "  "], rng.choice([0, 1, 3, 7, 30, 200])))
        pieces.append(rng.choice(["\n", "\r", "\r\n"]))
    text = "".join(pieces)
    agreed = 0
    for width in range(1, 17):
        data = cp932 + long_line if width in (3, 7, 16) else cp932
        ours = run([blankwise, "-c", "tabs-to-spaces", "-e", "cp932", f"--tabs={width}"], data)
        theirs = run(["expand", "-t", str(width)], data, C_LOCALE)
        if ours != theirs:
            failures.append(first_difference(ours, theirs, f"expand -t {width}"))
        expected = text.expandtabs(width)
        for encoding, codec in [("utf-8", "utf-8"), ("utf-16le", "utf-16-le")]:
            ours_text = run([blankwise, "-c", "6", "-t", str(width), "-e", encoding], text.encode(codec)).decode(codec)
            if ours_text != expected:
                failures.append(first_difference(ours_text.encode(), expected.encode(),
                                                 f"expandtabs({width}), {encoding}"))
        agreed += 1
    print(f"--tabs 1-16: expand -t N on {len(cp932)} cp932 bytes (and a {len(long_line)}-byte line for 3, 7, 16), "
          f"str.expandtabs(N) on {len(text)} characters: {'same' if not failures else 'DIFFERENT'}")
    return failures


def check_initial(blankwise, rng):
    """--initial with tabs-to-spaces equals `expand -i -t N`: only the blanks that start a line
    are expanded. expand's blanks are spaces and tabs, so no line here starts its text with a
    full-width space, which blankwise counts as one more leading blank. One line is long enough to
    be cut into pieces: its later tabs stay."""
    failures = []
    lines = []
    for _ in range(4000):
        lead = "".join(rng.choice([" ", "\t", "\t", "  "]) for _ in range(rng.choice([0, 1, 2, 3, 6])))
        body = random_line(rng, JAPANESE + ASCII, [" ", "\t", "\u3000"], rng.choice([0, 1, 5, 20, 80]))
        if body and body[0] in " \t\u3000":
            body = "x" + body
        lines.append(lead + body)
    lines.append("\t \t" + random_line(rng, JAPANESE + ASCII, [" ", "\t"], 300000))
    data = to_cp932("\n".join(lines) + "\n")
    for width in range(1, 17):
        ours = run([blankwise, "-c", "tabs-to-spaces", "-e", "cp932", "--initial", "-t", str(width)], data)
        theirs = run(["expand", "-i", "-t", str(width)], data, C_LOCALE)
        if ours != theirs:
            failures.append(first_difference(ours, theirs, f"expand -i -t {width}"))
    print(f"--initial --tabs 1-16: expand -i -t N on {len(data)} cp932 bytes: {'same' if not failures else 'DIFFERENT'}")
    return failures


def diff_test_lines(rng, count):
    """Lines for the --diff test: each holds a mark of its own (#N#) but for lines of blanks alone,
    and after each of those comes a line without blanks, which no conversion changes. A line can
    then pair with its converted form alone, so that diff has but one shortest way to tell the
    change: it writes what the tool writes."""
    lines = []
    for n in range(count):
        after_blanks = bool(lines) and lines[-1].strip(" \t\u3000") == ""
        if not after_blanks and rng.random() < 0.25:
            lines.append("".join(rng.choice([" ", "\t", "  ", "\u3000"]) for _ in range(rng.choice([0, 1, 2, 3]))))
            continue
        alphabet = (JAPANESE.replace("\u3000", "") if after_blanks else JAPANESE) + ASCII
        blanks = [""] if after_blanks else [" ", "\t", "  ", "\u3000"] if rng.random() < 0.4 else [" "]
        lines.append(random_line(rng, alphabet, blanks, rng.choice([0, 2, 6])) + f"#{n}#" +
                     random_line(rng, alphabet, blanks, rng.choice([0, 3, 8])))
    return lines


def check_diff(blankwise, rng):
    """--diff equals `diff -u -a` (text, NUL bytes and all) with the same labels on random files, in each encoding, with each
    kind of line break, with and without a break after the last line (which may hold blanks
    alone); `patch -p1` applies it and gives exactly the converted file; the file itself is left
    as it was."""
    import tempfile
    failures = []
    cases = 0
    with tempfile.TemporaryDirectory() as folder:
        path = pathlib.Path(folder, "file.txt")
        converted = pathlib.Path(folder, "converted.txt")
        for encoding, codec, mark in [("utf-8", "utf-8", b""), ("utf-8", "utf-8", b"\xEF\xBB\xBF"),
                                      ("utf-16le", "utf-16-le", b""), ("utf-16be", "utf-16-be", b"\xFE\xFF"),
                                      ("cp932", None, b"")]:
            for newline in ["\n", "\r\n", "\r"]:
                for conversion in rng.sample(range(1, 16), 4):
                    lines = diff_test_lines(rng, rng.choice([1, 2, 5, 40, 300]))
                    text = newline.join(lines) + rng.choice([newline, ""])
                    data = mark + (to_cp932(text) if codec is None else text.encode(codec))
                    path.write_bytes(data)
                    args = [blankwise, "-c", str(conversion), "-e", encoding]
                    expected = run(args + [str(path)], b"")
                    converted.write_bytes(expected)
                    # In the C locale diff writes "\ No newline at end of file" in English, as blankwise does.
                    reference = subprocess.run(["diff", "-u", "-a", "--label", "a/file.txt", "--label", "b/file.txt",
                                                "file.txt", "converted.txt"], cwd=folder, capture_output=True,
                                               check=False, env=C_LOCALE).stdout
                    result = subprocess.run(args + ["--diff", "file.txt"], cwd=folder, capture_output=True, check=False)
                    checked = subprocess.run(args + ["--diff", "--check", "file.txt"], cwd=folder, capture_output=True,
                                             check=False)
                    applied = subprocess.run(["patch", "-s", "-p1"], cwd=folder, input=result.stdout, capture_output=True,
                                             check=False)
                    label = f"--diff -c {conversion}, {encoding}{' with a mark' if mark else ''}, {newline!r}"
                    cases += 1
                    if result.returncode != 0 or checked.returncode != (1 if expected != data else 0):
                        failures.append(f"{label}: exit {result.returncode}, with --check {checked.returncode}")
                    elif result.stdout != reference:
                        failures.append(first_difference(result.stdout, reference, f"{label} against diff -u"))
                    elif applied.returncode != 0 or path.read_bytes() != expected:
                        failures.append(f"{label}: patch gave another file: {applied.stdout + applied.stderr!r}")
    print(f"--diff: diff -u and patch -p1 on {cases} files (5 encodings, LF, CR LF, CR): "
          f"{'same' if not failures else 'DIFFERENT'}")
    return failures


def check_diff_names(blankwise):
    """--diff of files with odd names: its header lines equal git's (core.quotePath off) where the
    name is UTF-8, and both `patch -p1` and `git apply` apply it."""
    import shutil
    import tempfile
    names = [b"sp ace.txt", b"ta\tb.txt", b"new\nline.txt", b'quo"te.txt', b"back\\slash.txt",
             b"\xff\xfe latin-1.txt", "空白 名前.txt".encode(), b"it's.txt"]
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        for name in names:
            shown = name.decode(errors="backslashreplace")
            for side, text in [(b"a", b"\tx\n\t"), (b"b", b"x\n")]:
                shutil.rmtree(root / side.decode(), ignore_errors=True)
                (root / side.decode()).mkdir()
                pathlib.Path(os.fsdecode(os.path.join(os.fsencode(folder), side, name))).write_bytes(text)
            patch = subprocess.run([blankwise, "-c", "delete-tabs", "--diff", os.fsdecode(name)], cwd=root / "a",
                                   capture_output=True, check=False).stdout
            try:
                name.decode()
                git = subprocess.run(["git", "-c", "core.quotePath=false", "diff", "--no-index", "--no-prefix",
                                      os.fsdecode(b"a/" + name), os.fsdecode(b"b/" + name)], cwd=root,
                                     capture_output=True, check=False).stdout
                if patch.split(b"\n")[:2] != git.split(b"\n")[2:4]:
                    failures.append(first_difference(patch, b"\n".join(git.split(b"\n")[2:]), f"header of {shown}"))
            except UnicodeDecodeError:
                pass
            for tool in (["patch", "-s", "-p1"], ["git", "apply", "-p1"]):
                work = root / "work"
                shutil.rmtree(work, ignore_errors=True)
                shutil.copytree(root / "a", work)
                applied = subprocess.run(tool, cwd=work, input=patch, capture_output=True, check=False)
                result = pathlib.Path(os.fsdecode(os.path.join(os.fsencode(str(work)), name)))
                if applied.returncode != 0 or result.read_bytes() != b"x\n":
                    failures.append(f"{tool[0]} did not apply the diff of {shown}: {applied.stderr!r}")
    print(f"--diff: headers as git's, applied by patch -p1 and git apply, for {len(names)} odd names: "
          f"{'same' if not failures else 'DIFFERENT'}")
    return failures


# Characters whose widths differ between code page 932 and Unicode, or are easy to get wrong:
# kana and kanji, Hangul syllables and jamo (U+1161 and U+11A8 join the syllable), Chinese outside
# code page 932, emoji and ideographs beyond U+FFFF, combining marks (U+3099 is both wide and a
# mark), format characters, the soft hyphen, ambiguous ones (beyond U+FFFF too: enclosed
# alphanumerics and the private use planes) and a mark beyond U+FFFF.
UNICODE_MIX = ("abcXYZ09;-" "あア漢字ｱ" "한국\u1100\u1161\u11a8" "们们" "\U0001F600\u231A\U0001F468\u200D"
               "\U00020BB7\U00029E3D" "e\u0301\u3099\u20DD\uFE0F" "\u200B\u00AD" "α○①─×"
               "\U0001F100\U0001F10A\U0001F110\U0001F12D\U0001F170\U000F0000\U000FFFFD\U00100000"
               "\U0001D167\U000E0041")
# The same kinds within code page 932: ambiguous ones, full- and half-width, Cyrillic.
CP932_MIX = "abcXYZ09;-あア漢字ｱα○①─×Жё"


def unicode_columns(ch, ambiguous):
    """The columns of one character by the rule of --widths unicode, from unicodedata."""
    if ch == "\u00AD":
        return 1
    if unicodedata.category(ch) in ("Mn", "Me", "Cf") or "\u1160" <= ch <= "\u11FF":
        return 0
    east_asian = unicodedata.east_asian_width(ch)
    return 2 if east_asian in ("W", "F") else ambiguous if east_asian == "A" else 1


def expand_by_unicode(text, tabs, ambiguous):
    out = []
    for line in text.split("\n"):
        column = 0
        pieces = []
        for ch in line:
            if ch == "\t":
                pieces.append(" " * (tabs - column % tabs))
                column += tabs - column % tabs
            else:
                pieces.append(ch)
                column += unicode_columns(ch, ambiguous)
        out.append("".join(pieces))
    return "\n".join(out)


def compress_by_unicode(text, tabs, ambiguous):
    """Tabs expanded, then each space that ends on a stop, with the spaces just before it, a tab."""
    out = []
    for line in expand_by_unicode(text, tabs, ambiguous).split("\n"):
        column = 0
        spaces = 0
        pieces = []
        for ch in line:
            if ch == " ":
                column += 1
                spaces += 1
                if column % tabs == 0:
                    pieces.append("\t")
                    spaces = 0
                continue
            pieces.append(" " * spaces + ch)
            spaces = 0
            column += unicode_columns(ch, ambiguous)
        out.append("".join(pieces) + " " * spaces)
    return "\n".join(out)


def check_unicode_widths(blankwise, rng):
    """--widths unicode against unicodedata: UTF-8 (and UTF-16, whose pieces must not cut a
    pair) of many kinds of characters, and code page 932, whose byte counts are not the widths
    here. One line is long enough to be cut into pieces, its column carried across them."""
    failures = []
    cases = 0
    for alphabet, encodings in [(UNICODE_MIX, [("utf-8", "utf-8"), ("utf-16le", "utf-16-le")]),
                                (CP932_MIX, [("cp932", None)])]:
        blanks = [" ", "  ", "\t", "\t", "\u3000", "    "]
        lines = [random_line(rng, alphabet, blanks, rng.choice([0, 1, 3, 8, 20, 70])) for _ in range(3000)]
        lines.append(random_line(rng, alphabet, blanks, 300000))
        text = "\n".join(lines) + "\n"
        for encoding, codec in encodings:
            data = to_cp932(text) if codec is None else text.encode(codec)
            for tabs in [1, 3, 4, 8]:
                for ambiguous in [1, 2]:
                    for conversion, reference in [("6", expand_by_unicode), ("5", compress_by_unicode)]:
                        args = [blankwise, "-c", conversion, "-e", encoding, "-t", str(tabs), "--widths", "unicode",
                                "--ambiguous-width", str(ambiguous)]
                        ours = run(args, data)
                        expected = reference(text, tabs, ambiguous)
                        expected = to_cp932(expected) if codec is None else expected.encode(codec)
                        cases += 1
                        if ours != expected:
                            failures.append(first_difference(ours, expected, f"--widths unicode -c {conversion} -t {tabs} "
                                                             f"--ambiguous-width {ambiguous}, {encoding}"))
    print(f"--widths unicode: {cases} runs against unicodedata {unicodedata.unidata_version} (UTF-8, UTF-16, cp932; "
          f"--tabs 1, 3, 4, 8; ambiguous 1 and 2): {'same' if not failures else 'DIFFERENT'}")
    return failures


def check_windows_codes(blankwise):
    codes = []
    for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)):
        for trail in range(0x40, 0xFD):
            try:
                if len(bytes([lead, trail]).decode("cp932")) == 1:
                    codes.append(bytes([lead, trail]))
            except UnicodeDecodeError:
                pass
    unchanged = b"".join(code + b"x " + code + b"\n" for code in codes)
    changed = b"".join(code + b"\t" + code + b"|\n" for code in codes)
    failures = []
    ours = run([blankwise, "-c", "tabs-to-spaces", "-e", "cp932"], unchanged)
    if ours != unchanged:
        failures.append(first_difference(ours, unchanged, "cp932 codes on unchanged lines"))
    ours = run([blankwise, "-c", "tabs-to-spaces", "-e", "cp932"], changed)
    expanded = run(["expand", "-t4"], changed, C_LOCALE)
    expected = b"".join(expanded.replace(code, to_cp932(code.decode("cp932"))) + b"\n"
                        for code, expanded in zip(codes, expanded.split(b"\n")))
    recoded = sum(1 for code in codes if to_cp932(code.decode("cp932")) != code)
    if ours != expected:
        failures.append(first_difference(ours, expected, "cp932 codes on changed lines"))
    print(f"cp932: {len(codes)} two-byte codes Python decodes, {recoded} written as another code when their "
          f"line changes: {'same' if not failures else 'DIFFERENT'}")
    if len(codes) < 9000 or recoded < 300:
        failures.append(f"too few codes: {len(codes)}, {recoded} recoded")
    return failures


def lone_spaces_on_stops_as_tabs(line):
    """unexpand's output with each single space between two non-blanks that ends on a stop turned
    into a tab: what blankwise writes there."""
    out = bytearray()
    column = 0
    for i, byte in enumerate(line):
        if byte == 0x09:
            out.append(byte)
            column += 4 - column % 4
            continue
        column += 1
        lone = byte == 0x20 and (i == 0 or line[i - 1] not in b" \t") and (i + 1 == len(line) or line[i + 1] not in b" \t")
        out.append(0x09 if lone and column % 4 == 0 else byte)
    return bytes(out)


def check_unexpand(blankwise, rng):
    lines = []
    for _ in range(6000):
        lines.append(random_line(rng, JAPANESE + ASCII, [" ", " ", "  ", "   ", "    ", "\t", " \t"],
                                 rng.choice([0, 1, 4, 9, 30, 90])))
    data = to_cp932("\n".join(lines) + "\n")
    ours = run([blankwise, "-c", "spaces-to-tabs", "-e", "cp932"], data)
    theirs = run(["unexpand", "-a", "-t4"], data, C_LOCALE)
    adjusted = b"\n".join(lone_spaces_on_stops_as_tabs(line) for line in theirs.split(b"\n"))
    differing = sum(1 for a, b in zip(ours.split(b"\n"), theirs.split(b"\n")) if a != b)
    print(f"unexpand -a -t4: {len(lines)} lines, {differing} differ only by lone spaces on stops: "
          f"{'yes' if ours == adjusted else 'NO'}")
    if ours != adjusted or differing == 0:
        return [first_difference(ours, adjusted, "unexpand, lone spaces on stops as tabs")]
    return []


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    blankwise = os.path.abspath(sys.argv[1])
    rng = random.Random(932)
    failures = (check_expand(blankwise, rng) + check_expandtabs(blankwise, rng) + check_unexpand(blankwise, rng) +
                check_windows_codes(blankwise) + check_tab_widths(blankwise, rng) + check_initial(blankwise, rng) + check_diff(blankwise, rng) +
                check_diff_names(blankwise) +
                check_unicode_widths(blankwise, rng))
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
