#!/usr/bin/env python3
"""Writes the benchmark inputs into a folder:

document.cp932.txt / document.utf8.txt / document.eucjp.txt / document.jis.txt
    A Japanese technical document of ordinary lines (LF): prose paragraphs indented with a
    full-width space, headings, bulleted lists, tab-separated tables and code indented with tabs
    and spaces.
blank-heavy.cp932.txt / blank-heavy.utf8.txt / blank-heavy.eucjp.txt / blank-heavy.jis.txt
    Lines that all carry tabs, runs of spaces and full-width spaces between short words: the
    worst case for every conversion.
long-line-10mb.cp932.txt / long-line-50mb.cp932.txt
    The blank-heavy text with its line breaks turned into spaces: one line, of two sizes.

Deterministic for given sizes."""
import argparse
import pathlib
import random

KANJI = "日本語文章変換空白全角半角設定項目表示編集検索置換保存開始終了処理結果入力出力形式文字行列値名前説明"
KANA = "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをんがぎぐげご"
KATAKANA = "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモファイルデータ"
HALF_KATAKANA = "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿ"
PUNCTUATION = "、。「」（）"
ASCII_WORDS = ["CSV", "UTF-8", "Shift_JIS", "OK", "ID", "URL", "API", "v1.4", "Tab", "OFF"]
CODE_WORDS = ["int", "value", "=", "count", "+", "1;", "return", "if", "(x", "<", "0)", "{", "}", "name,", "//", "size"]


def phrase(rng):
    kind = rng.random()
    if kind < 0.45:
        text = "".join(rng.choice(KANJI) for _ in range(rng.randint(1, 4)))
    elif kind < 0.85:
        text = "".join(rng.choice(KANA) for _ in range(rng.randint(2, 6)))
    elif kind < 0.95:
        text = "".join(rng.choice(KATAKANA) for _ in range(rng.randint(2, 5)))
    else:
        text = rng.choice(ASCII_WORDS)
    return text + (rng.choice(PUNCTUATION) if rng.random() < 0.2 else "")


def prose_line(rng):
    indent = "\u3000" if rng.random() < 0.3 else ""
    return indent + "".join(phrase(rng) for _ in range(rng.randint(6, 14)))


def heading(rng):
    return f"第{rng.randint(1, 20)}章\u3000" + "".join(phrase(rng) for _ in range(2))


def list_item(rng):
    mark = rng.choice(["・", "  - ", "    * ", "\t- "])
    return mark + "".join(phrase(rng) for _ in range(rng.randint(2, 6)))


def table_row(rng):
    cells = [phrase(rng) for _ in range(rng.randint(2, 4))]
    if rng.random() < 0.2:
        cells.append("".join(rng.choice(HALF_KATAKANA) for _ in range(3)))
    return "\t".join(cells)


def code_line(rng):
    depth = rng.randint(0, 3)
    indent = "\t" * depth if rng.random() < 0.6 else "    " * depth
    words = [rng.choice(CODE_WORDS) for _ in range(rng.randint(2, 7))]
    comment = "  // " + phrase(rng) if rng.random() < 0.3 else ""
    return indent + " ".join(words) + comment


def document_line(rng):
    kind = rng.random()
    if kind < 0.55:
        return prose_line(rng)
    if kind < 0.58:
        return heading(rng)
    if kind < 0.70:
        return list_item(rng)
    if kind < 0.80:
        return table_row(rng)
    if kind < 0.97:
        return code_line(rng)
    return ""


BLANKS = [" ", "  ", "   ", "    ", "\t", "\t\t", "\u3000", "\u3000\u3000", " \t", "  \t"]


def blank_heavy_line(rng):
    parts = [rng.choice(["\t", "\t\t", "    ", "  ", "\u3000", " \t"])]
    for _ in range(rng.randint(3, 9)):
        parts.append(phrase(rng))
        parts.append(rng.choice(BLANKS))
    return "".join(parts)


def text_of_size(make_line, seed, size, separator):
    rng = random.Random(seed)
    pool = [make_line(rng) + separator for _ in range(20000)]
    pool_bytes = [len(line.encode("cp932")) for line in pool]
    pieces = []
    total = 0
    while total < size:
        k = rng.randrange(len(pool))
        pieces.append(pool[k])
        total += pool_bytes[k]
    return "".join(pieces)


# The file name's encoding part and Python's codec for it (ISO-2022-JP as mail carries it).
ENCODINGS = {"cp932": "cp932", "utf8": "utf-8", "eucjp": "euc_jp", "jis": "iso2022_jp_ext"}


def write_both(folder, stem, text):
    for suffix, codec in ENCODINGS.items():
        (folder / f"{stem}.{suffix}.txt").write_bytes(text.encode(codec))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--document-mb", type=int, default=20)
    parser.add_argument("--long-line-mb", type=int, default=50)
    args = parser.parse_args()
    args.folder.mkdir(parents=True, exist_ok=True)
    write_both(args.folder, "document", text_of_size(document_line, 4, args.document_mb << 20, "\n"))
    write_both(args.folder, "blank-heavy", text_of_size(blank_heavy_line, 5, args.document_mb << 20, "\n"))
    for megabytes in (args.long_line_mb // 5, args.long_line_mb):
        long_line = text_of_size(blank_heavy_line, 6, megabytes << 20, " ").rstrip(" ") + "\n"
        (args.folder / f"long-line-{megabytes}mb.cp932.txt").write_bytes(long_line.encode("cp932"))


if __name__ == "__main__":
    main()
