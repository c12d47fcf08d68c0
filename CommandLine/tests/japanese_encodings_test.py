#!/usr/bin/env python3
"""blankwise on EUC-JP and ISO-2022-JP against the same text converted in UTF-8, on random Japanese
texts of every break kind (LF, CR LF, CR), long enough to be cut into several pieces:

* EUC-JP: kana, JIS level-1 and level-2 kanji, NEC's row 13, the user-defined rows, half-width
  katakana after 0x8E, JIS X 0212 and IBM's extensions after 0x8F, read as `iconv -f EUC-JP-MS`
  reads them; in one text only codes iconv writes back as they were (which the byte path
  converts), in another also codes of characters written with another code. The output equals,
  line by line, the input's bytes where the UTF-8 conversion leaves the line as it was, and
  `iconv -t EUC-JP-MS` of the converted line where it changes it.
* ISO-2022-JP: the same kinds of characters (but row 13 and JIS X 0212, which Python's
  `iso2022_jp_ext` lacks) as that codec writes them, with ESC $ B, ESC ( B and ESC ( I, but that
  half of its returns to ASCII before tabs and breaks between kanji are left out. The output
  reads back, with that codec, as the UTF-8 conversion, and every line the conversion leaves as it
  was keeps its bytes.

Each runs tabs-to-spaces and spaces-to-tabs (the byte path in EUC-JP), with a list of stops too
(the pipeline), and conversions of the full-width space; --check agrees with whether anything
changed.

Usage: japanese_encodings_test.py BLANKWISE"""
import random
import re
import subprocess
import sys

ASCII = "abcXYZ019_-+;"
BLANKS = [" ", "\t", "\t", "  ", "\u3000"]
BREAKS = ["\n", "\n", "\r\n", "\r"]
RUNS = [
    ["-c", "tabs-to-spaces"],
    ["-c", "spaces-to-tabs"],
    ["-c", "tabs-to-spaces", "-t", "3,8,10"],
    ["-c", "spaces-to-tabs", "-t", "2,7"],
    ["-c", "fullwidth-to-two-spaces"],
    ["-c", "two-spaces-to-fullwidth"],
    ["-c", "blank-runs-to-tab", "--initial"],
]


def run(args, data, allowed=(0,)):
    result = subprocess.run(args, input=data, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if result.returncode not in allowed:
        raise AssertionError(f"{args} exited with {result.returncode}: {result.stderr.decode(errors='replace')}")
    return result.stdout, result.returncode


def lines_of(data):
    """Lines ending after each CR and each LF (a CR LF ends two), in bytes or in text."""
    return re.split(b"(?<=[\r\n])" if isinstance(data, bytes) else "(?<=[\r\n])", data)


def euc_jp_codes():
    """(bytes, character) of codes iconv's EUC-JP-MS decodes to one character, from every range."""
    candidates = []
    for row in [1, 2, 4, 5, 13, 16, 30, 47, 48, 70, 84, 89, 94]:
        candidates += [bytes([0xA0 + row, 0xA0 + cell]) for cell in range(1, 95)]
    candidates += [bytes([0x8E, byte]) for byte in range(0xA1, 0xE0)]
    for row in [2, 6, 16, 40, 77, 83, 84, 85]:
        candidates += [bytes([0x8F, 0xA0 + row, 0xA0 + cell]) for cell in range(1, 95)]
    decoded = run(["iconv", "-c", "-f", "EUC-JP-MS", "-t", "UTF-8"], b"\n".join(candidates) + b"\n")[0]
    characters = decoded.decode("utf-8").split("\n")
    codes = [(code, ch) for code, ch in zip(candidates, characters) if len(ch) == 1 and ch != "\u3000"]
    assert len(codes) > 1500, f"iconv decoded only {len(codes)} EUC-JP codes"
    # Those iconv writes back as they were, and those of characters it writes with another code.
    written = run(["iconv", "-f", "UTF-8", "-t", "EUC-JP-MS"], "\n".join(ch for _, ch in codes).encode("utf-8"))[0]
    canonical = [pair for pair, back in zip(codes, written.split(b"\n")) if pair[0] == back]
    assert len(codes) - len(canonical) > 20, "too few EUC-JP codes written back with other codes"
    return canonical, codes


def iso2022_characters():
    """Characters Python's iso2022_jp_ext writes that code page 932 has at the same row-cell (that
    iconv's EUC-JP-MS, which reads row-cells as code page 932 does, reads alike)."""
    pairs = []
    for row in [1, 4, 5, 16, 30, 47, 48, 70, 84]:
        for cell in range(1, 95):
            code = bytes([0xA0 + row, 0xA0 + cell])
            try:
                pairs.append((code, code.decode("euc_jp")))
            except UnicodeError:
                continue
    decoded = run(["iconv", "-c", "-f", "EUC-JP-MS", "-t", "UTF-8"], b"\n".join(code for code, _ in pairs) + b"\n")[0]
    same = [ch for (_, ch), other in zip(pairs, decoded.decode("utf-8").split("\n")) if ch == other != "\u3000"]
    return same + [chr(unit) for unit in range(0xFF61, 0xFFA0)]


def random_text(rng, pieces, line_count):
    """A list of (bytes or text) pieces: lines of random characters, blanks and breaks."""
    out = []
    for n in range(line_count):
        length = rng.choice([0, 1, 3, 8, 20, 60, 150]) if n % 400 else 3000
        for _ in range(length):
            roll = rng.random()
            out.append(rng.choice(BLANKS) if roll < 0.25 else rng.choice(ASCII) if roll < 0.35 else pieces(rng))
        out.append(rng.choice(BREAKS))
    return out


def check_euc_jp(blankwise, rng):
    """Texts of codes that come back as they are, which the byte path converts, and texts with
    codes that do not, which go through the pipeline."""
    failures = []
    for codes in euc_jp_codes():
        parts = random_text(rng, lambda r, pool=codes: r.choice(pool), 1000)
        data = b"".join(p[0] if isinstance(p, tuple) else p.encode("euc_jp") for p in parts)
        text = "".join(p[1] if isinstance(p, tuple) else p for p in parts)
        failures += check_euc_jp_text(blankwise, data, text)
    return failures


def check_euc_jp_text(blankwise, data, text):
    failures = []
    for options in RUNS:
        ours, _ = run([blankwise, "-e", "euc-jp", *options], data)
        converted = run([blankwise, *options], text.encode("utf-8"))[0].decode("utf-8")
        reencoded = lines_of(run(["iconv", "-f", "UTF-8", "-t", "EUC-JP-MS"], converted.encode("utf-8"))[0])
        expected = b"".join(old_bytes if old == new else new_bytes for old_bytes, old, new, new_bytes in
                            zip(lines_of(data), lines_of(text), lines_of(converted), reencoded))
        if ours != expected:
            failures.append(first_difference("euc-jp", options, ours, expected))
        failures += check_flag(blankwise, "euc-jp", options, data, converted != text)
    return failures


def check_iso2022_jp(blankwise, rng):
    characters = iso2022_characters()
    assert len(characters) > 500, f"only {len(characters)} ISO-2022-JP characters"
    text = "".join(random_text(rng, lambda r: r.choice(characters), 1500))
    # Half of the returns to ASCII before tabs and breaks between kanji left out, so that tabs are
    # read in JIS X 0208 and lines start in it.
    data = re.sub(rb"(\x1b\$B[^\x1b]*)\x1b\(B([\t\r\n]+)\x1b\$B",
                  lambda m: m[1] + m[2] if rng.random() < 0.5 else m[0], text.encode("iso2022_jp_ext"))
    assert data.decode("iso2022_jp_ext") == text
    failures = []
    for options in RUNS:
        ours, _ = run([blankwise, "-e", "iso-2022-jp", *options], data)
        converted = run([blankwise, *options], text.encode("utf-8"))[0].decode("utf-8")
        try:
            reads_as = ours.decode("iso2022_jp_ext")
        except UnicodeDecodeError as error:
            reads_as = str(error)
        if reads_as != converted:
            failures.append(f"iso-2022-jp {options}: the output does not read as the UTF-8 conversion")
        for number, (old_bytes, new_bytes, old, new) in enumerate(
                zip(lines_of(data), lines_of(ours), lines_of(text), lines_of(converted)), 1):
            if old == new and old_bytes != new_bytes:
                failures.append(f"iso-2022-jp {options}: unchanged line {number} changed its bytes\n"
                                f"  before: {old_bytes!r}\n  after:  {new_bytes!r}")
                break
        failures += check_flag(blankwise, "iso-2022-jp", options, data, converted != text)
    return failures


def check_flag(blankwise, encoding, options, data, changes):
    _, status = run([blankwise, "-e", encoding, "--check", *options], data, allowed=(0, 1))
    return [] if status == (1 if changes else 0) else [f"{encoding} {options}: --check exits {status}"]


def first_difference(encoding, options, ours, expected):
    for number, (a, b) in enumerate(zip(lines_of(ours), lines_of(expected)), 1):
        if a != b:
            at = next(k for k in range(min(len(a), len(b)) + 1) if a[k:k + 1] != b[k:k + 1])
            return (f"{encoding} {options}: line {number} differs at byte {at}\n"
                    f"  blankwise: {a[max(0, at - 20):at + 20]!r}\n  expected:  {b[max(0, at - 20):at + 20]!r}")
    return f"{encoding} {options}: {len(ours)} bytes against {len(expected)}"


def main():
    blankwise = sys.argv[1]
    rng = random.Random(24)
    failures = check_euc_jp(blankwise, rng) + check_iso2022_jp(blankwise, rng)
    for failure in failures:
        print(failure)
    print(f"{len(RUNS)} conversions in each encoding: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
