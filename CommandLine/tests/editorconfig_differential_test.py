#!/usr/bin/env python3
"""blankwise --editorconfig against Python's editorconfig package, on random trees of files and
.editorconfig files (nested, some with root = true, sections with *, **, {a,b}, {1..3}, [abc],
names and values in any letter case): each file's properties are resolved by the package, and the
tool run with the -c, -t and -e they imply (--initial always) gives the expected bytes, or the
file as it is when it has no indent_style of space or tab. --editorconfig must write the same bytes
for each FILE given by a relative name (with . and .. in some), for standard input with --assume-filename, and --check must
list exactly the files whose bytes change.

Usage: editorconfig_differential_test.py BLANKWISE"""
import os
import random
import subprocess
import sys
import tempfile

try:
    import editorconfig
except ImportError:
    # python3-editorconfig is installed for Debian's own interpreter, which another python3 first on
    # the PATH (a pyenv one, say) does not see.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise


def _reusable_translation(pattern, translate=editorconfig.fnmatch.cached_translate):
    """The package's cached translation of a glob, its {1..3} ranges kept as tuples: it caches them as
    map objects, which the first match uses up, so that matching the glob again fails."""
    regex, ranges = translate(pattern)
    ranges[:] = [tuple(bounds) for bounds in ranges]
    return regex, ranges


editorconfig.fnmatch.cached_translate = _reusable_translation
FOLDERS = ["", "src", "src/deep", "docs", "docs/ja"]
NAMES = ["a.py", "b.py", "main.go", "x1.go", "f1.md", "f3.md", "f4.md", "notes.txt", "c.txt", "Makefile"]
GLOBS = ["*", "*.py", "*.go", "**.txt", "**/*.md", "{a,main}.*", "f{1..3}.md", "[abc].*", "src/**",
         "deep/*", "*.{py,txt}", "[!a]*.py", "x?.go", "{f1,f4}.md"]
PROPERTIES = {
    "indent_style": ["space", "tab", "space", "tab", "Space", "TAB", "unset", "none"],
    "indent_size": ["1", "2", "4", "8", "tab", "unset", "0"],
    "tab_width": ["2", "3", "4", "8", "unset", "x"],
    "charset": ["utf-8", "utf-16le", "utf-16be", "UTF-8", "unset"],
}
CHARSETS = {"utf-8": "utf-8", "utf-16le": "utf-16-le", "utf-16be": "utf-16-be"}
LINES = ["\tif x:", "    return 1", "\u3000\u3000全角の字下げ", " \t 漢字\tと\tタブ", "        八つ", "\t\t\tdeep", "",
         "plain\ttext  here"]


def random_editorconfig(rng, is_top):
    lines = ["root = true"] if is_top or rng.random() < 0.2 else []
    for _ in range(rng.randint(1, 4)):
        lines.append(f"[{rng.choice(GLOBS)}]")
        for name, values in PROPERTIES.items():
            if rng.random() < 0.6:
                key = name.upper() if rng.random() < 0.1 else name
                lines.append(f"{key} = {rng.choice(values)}")
    return "\n".join(lines) + "\n"


def number(value):
    return int(value) if value is not None and value.isdigit() and int(value) > 0 else None


def explicit_arguments(properties):
    """The -c, -t and -e the properties imply, or None for a file left as it is."""
    style = properties.get("indent_style")
    if style not in ("space", "tab"):
        return None
    width = number(properties.get("tab_width")) or number(properties.get("indent_size")) or 8
    conversion = "tabs-to-spaces" if style == "space" else "spaces-to-tabs"
    encoding = properties.get("charset") if properties.get("charset") in CHARSETS else "utf-8"
    return ["-c", conversion, "--initial", "-t", str(width), "-e", encoding]


def run(args, data=b"", cwd=None):
    result = subprocess.run(args, input=data, capture_output=True, cwd=cwd, check=False)
    if result.returncode not in (0, 1):
        raise AssertionError(f"{args} exited with {result.returncode}: {result.stderr.decode(errors='replace')}")
    return result.stdout


def check_tree(blankwise, rng, top):
    for folder in FOLDERS:
        os.makedirs(os.path.join(top, folder), exist_ok=True)
        if folder == "" or rng.random() < 0.6:
            with open(os.path.join(top, folder, ".editorconfig"), "w") as config:
                config.write(random_editorconfig(rng, folder == ""))
    failures, files, expected, would_change = [], [], {}, set()
    for folder in FOLDERS:
        for name in rng.sample(NAMES, 4):
            relative = os.path.join(folder, name)
            properties = editorconfig.get_properties(os.path.join(top, relative))
            arguments = explicit_arguments(properties)
            codec = CHARSETS.get(properties.get("charset"), "utf-8")
            text = "\n".join(rng.choice(LINES) for _ in range(rng.randint(1, 6))) + "\n"
            data = text.encode(codec)
            with open(os.path.join(top, relative), "wb") as file:
                file.write(data)
            expected[relative] = data if arguments is None else run([blankwise] + arguments, data)
            files.append(relative)
            if expected[relative] != data:
                would_change.add(relative)
    for relative in files:
        shown = rng.choice([relative, relative, "./" + relative, "docs/ja/../../" + relative])
        ours = run([blankwise, "--editorconfig", shown], cwd=top)
        if ours != expected[relative]:
            failures.append(f"{relative}: {ours!r} against {expected[relative]!r}")
    standard_input = rng.choice(files)
    with open(os.path.join(top, standard_input), "rb") as file:
        ours = run([blankwise, "--editorconfig", "--assume-filename", standard_input], file.read(), cwd=top)
    if ours != expected[standard_input]:
        failures.append(f"standard input as {standard_input}: {ours!r} against {expected[standard_input]!r}")
    listed = set(run([blankwise, "--editorconfig", "--check"] + files, cwd=top).decode().splitlines())
    if listed != would_change:
        failures.append(f"--check listed {sorted(listed)}, and {sorted(would_change)} change")
    return failures, len(files), len(would_change)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    blankwise = os.path.abspath(sys.argv[1])
    rng = random.Random(2525)
    failures, files, changed = [], 0, 0
    for _ in range(25):
        with tempfile.TemporaryDirectory() as top:
            tree_failures, tree_files, tree_changed = check_tree(blankwise, rng, top)
            failures += tree_failures
            files += tree_files
            changed += tree_changed
    print(f"--editorconfig: {files} files in 25 trees ({changed} converted) against the editorconfig package: "
          f"{'same' if not failures else 'DIFFERENT'}")
    if changed < files // 4:
        failures.append("too few files converted for the comparison to mean much")
    for failure in failures[:20]:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
