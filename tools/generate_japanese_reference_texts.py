#!/usr/bin/env python3
"""Writes MyLibrary/tests/EucJpReferenceTexts.inc and Iso2022JpReferenceTexts.inc: random Japanese
texts (ASCII, both spaces, tabs, kana, symbols, JIS level-1 and level-2 kanji, NEC's row 13,
half-width katakana, and in EUC-JP the second plane: JIS X 0212 and IBM's extensions; lines
ending in CR, LF and CR LF) in each encoding, with the text other decoders read from the bytes.

EUC-JP is read by glibc's iconv (EUC-JP-MS) and, code by code, by Python's euc_jp, which must agree
but where the codec follows code page 932 (PYTHON_EUC_JP_DIFFERS) or Python has no character
(row 13, IBM's extensions). ISO-2022-JP is read whole by Python's iso2022_jp_ext, with row 13,
which it lacks, read by iconv as the same row-cell in EUC-JP-MS; JIS X 0201 Roman's yen sign and
overline are read as the ASCII backslash and tilde, as code page 50221 reads them. The ISO-2022-JP
texts are written as the codec's encoder writes them (an escape sequence only where the kind of
character changes, designating the one-byte or two-byte set last designated), and their lines end
in one set or another, ESC ( J and ESC $ @ among them, so that the shift state crosses lines."""
import codecs
import random
import subprocess

from japanese_codec_tables import PYTHON_EUC_JP_DIFFERS, ROOT, euc_jp_ms

TEXTS = 6
LINES = (6, 14)
LINE_LENGTH = (0, 16)
BREAKS = ["\n", "\r", "\r\n"]
ASCII = "abcXYZ019 \t\t  .,;\\~-_"

charmap = euc_jp_ms()


def euc_codes(rows, plane=b""):
    """The codes of the rows in a plane whose characters are written with them."""
    return [code for code, (_, reversible) in charmap.items()
            if reversible and len(code) == len(plane) + 2 and code.startswith(plane)
            and code[len(plane)] - 0xA0 in rows]


KINDS = {
    "full-width space": [b"\xA1\xA1"],
    "symbols": euc_codes(range(1, 3)),
    "hiragana and katakana": euc_codes(range(4, 6)),
    "level-1 kanji": euc_codes(range(16, 48)),
    "level-2 kanji": euc_codes(range(48, 85)),
    "row 13": euc_codes([13]),
    "half-width katakana": [bytes([0x8E, byte]) for byte in range(0xA1, 0xE0)],
}
SECOND_PLANE = {
    "JIS X 0212": euc_codes(range(1, 78), b"\x8F"),
    "IBM extensions": euc_codes([83, 84], b"\x8F"),
}


def random_lines(rng, kinds):
    """Lines of EUC-JP codes (an ASCII character as its byte), each with its break."""
    lines = []
    for _ in range(rng.randint(*LINES)):
        line = []
        for _ in range(rng.randint(*LINE_LENGTH)):
            kind = rng.choice(["ascii"] * 3 + list(kinds))
            line.append(rng.choice(ASCII).encode() if kind == "ascii" else rng.choice(kinds[kind]))
        lines.append((line, rng.choice(BREAKS)))
    return lines


def iconv_euc_jp_ms(data):
    return subprocess.run(["iconv", "-f", "EUC-JP-MS", "-t", "UTF-16LE"], input=data, capture_output=True,
                          check=True).stdout.decode("utf-16-le")


def python_euc_jp(code):
    try:
        return PYTHON_EUC_JP_DIFFERS.get(code, (None, code.decode("euc_jp")))[1]
    except UnicodeDecodeError:
        return None


def euc_jp_text(rng):
    lines = random_lines(rng, KINDS | SECOND_PLANE)
    data = b"".join(b"".join(line) + end.encode() for line, end in lines)
    text = iconv_euc_jp_ms(data)
    by_python = "".join("".join(python_euc_jp(code) or iconv_euc_jp_ms(code) for code in line) + end
                        for line, end in lines)
    assert by_python == text
    return data, text


# ISO-2022-JP, written as the codec's encoder writes it.
ESCAPES = {"ascii": b"\x1B(B", "roman": b"\x1B(J", "katakana": b"\x1B(I", "jis1978": b"\x1B$@", "jis1983": b"\x1B$B"}
KIND_OF = {"ascii": "one", "roman": "one", "katakana": "katakana", "jis1978": "two", "jis1983": "two"}


def iso_2022_jp_text(rng):
    data = bytearray()
    state = {"set": "ascii", "one": "ascii", "two": "jis1983"}

    def designate(designated):
        data.extend(ESCAPES[designated])
        state["set"] = designated
        if KIND_OF[designated] != "katakana":
            state[KIND_OF[designated]] = designated

    for line, end in random_lines(rng, KINDS):
        for code in line:
            kind = "one" if len(code) == 1 else "katakana" if code[0] == 0x8E else "two"
            if KIND_OF[state["set"]] != kind:
                designate("katakana" if kind == "katakana" else state[kind])
            data.extend(bytes(byte & 0x7F for byte in code[-2 if kind == "two" else -1:]))
        ending = rng.choice(["stay"] * 4 + list(ESCAPES))
        if ending != "stay" and ending != state["set"]:
            designate(ending)
        data.extend(end.encode())
    data = bytes(data)

    def row_13_by_iconv(error):
        pair = error.object[error.start:error.end]
        return iconv_euc_jp_ms(bytes(byte | 0x80 for byte in pair)), error.end

    codecs.register_error("row13", row_13_by_iconv)
    text = data.decode("iso2022_jp_ext", "row13")
    folds = {"\u00A5": "\\", "\u203E": "~"} | {python: ours for code, (python, ours) in PYTHON_EUC_JP_DIFFERS.items()
                                                if len(code) == 2}
    return data, "".join(folds.get(character, character) for character in text)


def literal(prefix, escapes, per_line):
    """A string literal of the escapes, per_line of them a line."""
    pieces = ["".join(escapes[start:start + per_line]) for start in range(0, len(escapes), per_line)] or [""]
    return "\n".join(f'    {prefix}"{piece}"' for piece in pieces)


def entry(data, text):
    data_escapes = [f"\\x{byte:02X}" for byte in data]
    text_escapes = [f"\\x{ord(c):02X}" if ord(c) < 0xA0 else f"\\u{ord(c):04X}" for c in text]
    return "{\n" + literal("", data_escapes, 24) + ",\n" + literal("u", text_escapes, 16) + "},"


def write(name, encoding, make, seed):
    rng = random.Random(seed)
    entries = [entry(*make(rng)) for _ in range(TEXTS)]
    lines = [f"// Generated by tools/generate_japanese_reference_texts.py; do not edit.",
             f"// {{{encoding} bytes, the text other decoders read from them}} for random Japanese texts."]
    (ROOT / "MyLibrary/tests" / name).write_text("\n".join(lines + entries) + "\n", encoding="ascii")


write("EucJpReferenceTexts.inc", "EUC-JP", euc_jp_text, 51932)
write("Iso2022JpReferenceTexts.inc", "ISO-2022-JP", iso_2022_jp_text, 50221)
