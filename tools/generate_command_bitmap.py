#!/usr/bin/env python3
"""Draws the command's 16 x 16 toolbar bitmap: a tab arrow that turns into a row of space dots.

Writes an uncompressed 8-bit BMP with a 256-entry palette to Blankwise/Win32/Blankwise.bmp (or to
the path given as the only argument). Run it again after changing the picture and check in both.
"""

import struct
import sys
from pathlib import Path

# One letter per pixel, top row first.
PICTURE = [
    "................",
    "............B...",
    "........B...B...",
    "........BB..B...",
    "..BBBBBBBBB.B...",
    "........BB..B...",
    "........B...B...",
    "............B...",
    ".....OOOOOO.....",
    "......OOOO......",
    ".......OO.......",
    "................",
    ".GG..GG..GG..GG.",
    ".GG..GG..GG..GG.",
    "................",
    "................",
]

# Palette entries as (red, green, blue); the background is the classic button face grey.
COLOURS = {
    ".": (192, 192, 192),
    "B": (0, 0, 160),  # the tab arrow
    "O": (232, 120, 0),  # the conversion
    "G": (0, 144, 0),  # the spaces it becomes
}

SIZE = 16
PALETTE_ENTRIES = 256


def bitmap_bytes() -> bytes:
    letters = list(COLOURS)
    index_of = {letter: index for index, letter in enumerate(letters)}
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in COLOURS.values())
    palette += b"\0\0\0\0" * (PALETTE_ENTRIES - len(COLOURS))

    assert len(PICTURE) == SIZE and all(len(row) == SIZE for row in PICTURE)
    # Rows are stored bottom-up; 16 one-byte pixels already fill a 4-byte-aligned row.
    pixels = b"".join(bytes(index_of[letter] for letter in row) for row in reversed(PICTURE))

    info_header = struct.pack(
        "<IiiHHIIiiII",
        40,  # biSize
        SIZE,  # biWidth
        SIZE,  # biHeight (positive: bottom-up)
        1,  # biPlanes
        8,  # biBitCount
        0,  # biCompression = BI_RGB
        len(pixels),  # biSizeImage
        2835,  # biXPelsPerMeter (72 dpi)
        2835,  # biYPelsPerMeter
        PALETTE_ENTRIES,  # biClrUsed
        0,  # biClrImportant
    )
    pixel_offset = 14 + len(info_header) + len(palette)
    file_header = struct.pack("<2sIHHI", b"BM", pixel_offset + len(pixels), 0, 0, pixel_offset)
    return file_header + info_header + palette + pixels


def main() -> None:
    default = Path(__file__).resolve().parent.parent / "Blankwise" / "Win32" / "Blankwise.bmp"
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else default
    target.write_bytes(bitmap_bytes())


if __name__ == "__main__":
    main()
