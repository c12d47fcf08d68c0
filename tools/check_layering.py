#!/usr/bin/env python3
"""Checks the layering the build relies on, from the sources' include lines:

- every project include is rooted at the source root ("MyLibrary/...", "Blankwise/...", ...);
- the library (MyLibrary/) includes nothing of the rest of the project;
- the plug-in core (Blankwise/ without Win32/ and tests/) includes only itself and the library;
- the on-screen program (OnScreen/) reaches the host program only through HostProgram_win.h;
- <windows.h> is included only by *_win files and in Blankwise/Win32/.

Prints each breach and exits 1 when there is one. Usage: check_layering.py [SOURCE_ROOT]"""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
FOLDERS = ["MyLibrary", "Blankwise", "HostEmulator", "CommandLine", "OnScreen", "fuzz", "bench"]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)


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


def breaches():
    for source in sources():
        text = (ROOT / source).read_text(encoding="utf-8")
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
            if (source.startswith("OnScreen/") and target.startswith("HostEmulator/HostProgram/")
                    and target.endswith("_win.h") and target != "HostEmulator/HostProgram/HostProgram_win.h"):
                yield f'{source}: the on-screen program includes the host program\'s "{target}"'


found = list(breaches())
for breach in found:
    print(breach)
print(f"layering: {len(found)} breaches")
sys.exit(1 if found else 0)
