#!/usr/bin/env python3
"""Checks the layering the build relies on, from the sources' include lines and literals:

- every project include is rooted at the source root ("MyLibrary/...", "Blankwise/...", ...);
- the library (MyLibrary/) includes nothing of the rest of the project;
- the plug-in core (Blankwise/ without Win32/ and tests/) includes only itself and the library;
- the on-screen program (OnScreen/) reaches the host program only through HostProgram_win.h;
- <windows.h> is included only by *_win files and in Blankwise/Win32/;
- the stream's parts (CommandLine/Stream/ but StreamConversion.cpp) do not include its entry point,
  StreamConversion.h, and the stream and the system's side (CommandLine/System/) include nothing of
  the program (CommandLine/Program/); the system's side takes of the stream only its types
  (StreamTypes.h);
- UTF-8 and code page 932 byte constants appear only in MyLibrary/Encoding/, each encoding's facts
  (Utf8Facts.h, Cp932Facts.h) and codecs. A byte constant is, outside comments, a hexadecimal
  integer literal of exactly two digits (0xHH) or a \\xHH escape in a string or character literal,
  whose value is 0x80 to 0xFC: the bytes that begin or continue a multi-byte character in either
  encoding (UTF-8's 0x80-0xF4, code page 932's lead and trail bytes up to 0xFC). ASCII bytes are
  the same in every encoding the tool reads as bytes, 0xFD-0xFF belong to neither (0xFF stays free
  for byte masks), and code points and other 16-bit values are written with four digits (0x00A0),
  so none of these count. Tests, fuzz targets and benchmarks hold byte texts as data and are not
  checked.

Prints each breach and exits 1 when there is one. Usage: check_layering.py [SOURCE_ROOT]"""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
FOLDERS = ["MyLibrary", "Blankwise", "HostEmulator", "CommandLine", "OnScreen", "fuzz", "bench"]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
HEX_BYTE = re.compile(r"(?<![\w.'])0[xX]([0-9A-Fa-f]{2})[uUlL]*(?![\w'])")
ESCAPED_BYTE = re.compile(r"(?<!\\)(?:\\\\)*\\x([0-9A-Fa-f]{2})(?![0-9A-Fa-f])")
ENCODING_BYTES = range(0x80, 0xFD)
STREAM_ENTRY = "CommandLine/Stream/StreamConversion.h"


def sources():
    for folder in FOLDERS:
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix in (".cpp", ".h"):
                yield path.relative_to(ROOT).as_posix()


def resolved(source, included):
    """The included file's path from the source root, as the compiler finds it: beside the
    including file first, then from the root."""
    beside = (ROOT / source).parent / included
    if beside.exists():
        return beside.resolve().relative_to(ROOT.resolve()).as_posix()
    return pathlib.PurePosixPath(included).as_posix()


def code_and_literals(text):
    """The text split into its code outside comments and the contents of its string and character
    literals (raw strings included)."""
    code, literals = [], []
    i, size = 0, len(text)
    while i < size:
        # The word right before i: a literal's prefix (u, u8R, ...), or a number a quote separates.
        word = re.search(r"[\w']*$", text[max(0, i - 32):i]).group(0)
        if text.startswith("//", i):
            i = size if text.find("\n", i) < 0 else text.find("\n", i)
        elif text.startswith("/*", i):
            i = size if text.find("*/", i + 2) < 0 else text.find("*/", i + 2) + 2
            code.append(" ")
        elif text[i] == '"' and word in ("R", "u8R", "uR", "UR", "LR"):
            delimiter = text[i + 1:text.index("(", i)]
            end = text.index(")" + delimiter + '"', i)
            literals.append(text[i + 2 + len(delimiter):end])
            code.append('""')
            i = end + len(delimiter) + 2
        elif text[i] == '"' or (text[i] == "'" and not word[:1].isdigit()):
            quote, j = text[i], i + 1
            while j < size and text[j] != quote:
                j += 2 if text[j] == "\\" else 1
            literals.append(text[i + 1:j])
            code.append(quote * 2)
            i = j + 1
        else:
            code.append(text[i])
            i += 1
    return "".join(code), literals


def encoding_byte_breaches(source, text):
    code, literals = code_and_literals(text)
    for match in HEX_BYTE.finditer(code):
        if int(match.group(1), 16) in ENCODING_BYTES:
            yield f"{source}: the encoding byte constant {match.group(0)} outside MyLibrary/Encoding/"
    for literal in literals:
        for match in ESCAPED_BYTE.finditer(literal):
            if int(match.group(1), 16) in ENCODING_BYTES:
                yield f"{source}: the encoding byte \\x{match.group(1)} outside MyLibrary/Encoding/"


def is_test_code(source):
    return "/tests/" in source or source.startswith(("fuzz/", "bench/"))


def command_line_breaches(source, target):
    """The stream's parts and the system's side against the parts above them."""
    if source.startswith("CommandLine/Stream/") and source != "CommandLine/Stream/StreamConversion.cpp" \
            and target == STREAM_ENTRY:
        yield f'{source}: a part of the stream includes its entry point "{target}"'
    if source.startswith(("CommandLine/Stream/", "CommandLine/System/")) and target.startswith("CommandLine/Program/"):
        yield f'{source}: includes the program\'s "{target}"'
    if (source.startswith("CommandLine/System/") and target.startswith("CommandLine/Stream/")
            and target != "CommandLine/Stream/StreamTypes.h"):
        yield f'{source}: the system\'s side includes the stream\'s "{target}" (only StreamTypes.h)'


def breaches():
    for source in sources():
        text = (ROOT / source).read_text(encoding="utf-8")
        if not source.startswith("MyLibrary/Encoding/") and not is_test_code(source):
            yield from encoding_byte_breaches(source, text)
        for kind, included in INCLUDE.findall(text):
            if kind == "<":
                if included.lower() == "windows.h" and not (
                        "_win." in source or source.startswith("Blankwise/Win32/")):
                    yield f"{source}: <windows.h> outside a *_win file"
                continue
            if included.split("/")[0] not in FOLDERS:
                yield f'{source}: "{included}" is not rooted at the source root'
            target = resolved(source, included)
            top = target.split("/")[0]
            if source.startswith("MyLibrary/") and top != "MyLibrary":
                yield f'{source}: the library includes "{target}"'
            core = source.startswith("Blankwise/") and not source.startswith(("Blankwise/Win32/", "Blankwise/tests/"))
            if core and top not in ("MyLibrary", "Blankwise"):
                yield f'{source}: the plug-in core includes "{target}"'
            yield from command_line_breaches(source, target)
            if (source.startswith("OnScreen/") and target.startswith("HostEmulator/HostProgram/")
                    and target.endswith("_win.h") and target != "HostEmulator/HostProgram/HostProgram_win.h"):
                yield f'{source}: the on-screen program includes the host program\'s "{target}"'


found = list(breaches())
for breach in found:
    print(breach)
print(f"layering: {len(found)} breaches")
sys.exit(1 if found else 0)
