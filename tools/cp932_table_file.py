"""Writes a generated table of code pairs (code page 932's, EUC-JP's) as C++ initialisers, eight a line."""
import pathlib


def write_pairs(out: pathlib.Path, header: list[str], pairs: list[tuple[int, int]]) -> None:
    lines = list(header)
    for start in range(0, len(pairs), 8):
        lines.append(" ".join(f"{{0x{a:04X}, 0x{b:04X}}}," for a, b in pairs[start:start + 8]))
    out.write_text("\n".join(lines) + "\n", encoding="ascii")
