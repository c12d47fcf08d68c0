"""What the EUC-JP and ISO-2022-JP table and corpus generators share: the JIS row-cell arithmetic
of Shift_JIS, code page 932's characters by row-cell, and glibc's EUC-JP-MS character map (eucJP-ms,
from Debian's locales package), read as the codec reads EUC-JP."""
import gzip
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
EUC_JP_MS_CHARMAP = pathlib.Path("/usr/share/i18n/charmaps/EUC-JP-MS.gz")

# eucJP-ms gives the user-defined rows 85-94 of both planes to the private use area, in order.
PRIVATE_USE_TWO_BYTE = 0xE000
PRIVATE_USE_THREE_BYTE = 0xE3AC

# Python's euc_jp reads these codes by the JIS tables, code page 932 and eucJP-ms by Microsoft's:
# {code: (Python's character, the codec's)}. Its iso2022_jp codecs read JIS X 0208 as euc_jp does.
PYTHON_EUC_JP_DIFFERS = {
    b"\xA1\xC1": ("\u301C", "\uFF5E"), b"\xA1\xC2": ("\u2016", "\u2225"), b"\xA1\xDD": ("\u2212", "\uFF0D"),
    b"\xA1\xF1": ("\u00A2", "\uFFE0"), b"\xA1\xF2": ("\u00A3", "\uFFE1"), b"\xA2\xCC": ("\u00AC", "\uFFE2"),
    b"\x8F\xA2\xB7": ("\u007E", "\uFF5E"), b"\x8F\xA2\xC3": ("\u00A6", "\uFFE4"),
}


def shift_jis(row, cell):
    """The Shift_JIS pair of a row-cell (rows above 94 continue into the extension leads)."""
    lead = (row + 1) // 2 + (0x80 if row <= 62 else 0xC0)
    if row % 2:
        trail = cell + 0x3F + (1 if cell >= 64 else 0)
    else:
        trail = cell + 0x9E
    return bytes([lead, trail])


def cp932_char(row, cell):
    """The character code page 932 decodes from the row-cell's Shift_JIS pair, or None."""
    try:
        return shift_jis(row, cell).decode("cp932")
    except UnicodeDecodeError:
        return None


def cp932_written_codes():
    """{unit: code} of MyLibrary/Encoding/Cp932EncodeTable.inc: the code Windows writes."""
    text = (ROOT / "MyLibrary/Encoding/Cp932EncodeTable.inc").read_text(encoding="ascii")
    return {int(unit, 16): int(code, 16) for unit, code in re.findall(r"\{0x([0-9A-F]+), 0x([0-9A-F]+)\}", text)}


def row_cell_of_shift_jis(code):
    """(row, cell) of a two-byte Shift_JIS code; rows run past 94 into the extension leads."""
    lead, trail = code >> 8, code & 0xFF
    row_pair = lead - 0x80 if lead <= 0x9F else lead - 0xC0
    if trail >= 0x9F:
        return 2 * row_pair, trail - 0x9E
    return 2 * row_pair - 1, trail - 0x3F - (1 if trail >= 0x80 else 0)


def euc_jp_ms():
    """{bytes: (character, reversible)} of glibc's EUC-JP-MS map; an irreversible entry decodes
    to a character that is written with another code."""
    entries = {}
    pattern = re.compile(r"(%IRREVERSIBLE%)?<U([0-9A-F]+)>\s+((?:/x[0-9a-f]{2})+)")
    with gzip.open(EUC_JP_MS_CHARMAP, "rt", encoding="ascii", errors="replace") as charmap:
        for line in charmap:
            match = pattern.match(line)
            if match:
                code = bytes(int(byte, 16) for byte in match.group(3).split("/x")[1:])
                assert code not in entries, code.hex()
                entries[code] = (chr(int(match.group(2), 16)), match.group(1) is None)
    return entries
