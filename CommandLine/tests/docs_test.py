#!/usr/bin/env python3
"""The manual page and the shell completions against the program they describe:

* every option of `blankwise --help` has an entry under the page's OPTIONS, with the same short
  letter, and every entry there is an option of --help;
* the page's CONVERSIONS are the ids and names of `blankwise --list`, and its ENCODINGS the
  encoding names that --help gives and the program accepts;
* the page passes `groff -ww -z -man` and `mandoc -T lint -W warning` without a word;
* each completion, for bash, zsh and fish, offers exactly the options of --help, the conversions'
  names and ids after -c and the encodings after -e. bash's and fish's are run in their shell
  (bash's also for file names, and for none after `--`); zsh's, which only an interactive zsh can
  run, is read, and zsh -n parses it.

A shell that is not installed has its part skipped with a message.

Usage: docs_test.py BLANKWISE"""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
MANUAL = ROOT / "doc" / "blankwise.1"
COMPLETIONS = ROOT / "completions"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def compare(what, found, wanted):
    """One failure naming what is missing and what is extra."""
    found, wanted = set(found), set(wanted)
    check(found == wanted, f"{what}: missing {sorted(wanted - found)}, extra {sorted(found - wanted)}")


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def help_options(help_text):
    """{long name: short letter or ''} of the option lines that follow "Usage:"."""
    options = {}
    for line in help_text.split("\n\n")[0].splitlines()[1:]:
        match = re.match(r"\s+(?:-(\w), )?--([\w-]+)", line)
        if match:
            options["--" + match[2]] = "-" + match[1] if match[1] else ""
    return options


def help_encodings(program, help_text):
    """The words of --help's --encoding entry that the program takes as an encoding."""
    entry = re.search(r"--encoding .*\n(?:\s{20,}.*\n)*", help_text)[0]
    words = dict.fromkeys(re.findall(r"[\w-]+", entry.split("--encoding", 1)[1]))
    return [word for word in words
            if run(program, "-c", "6", "-e", word, stdin=subprocess.DEVNULL).returncode == 0]


def manual_entries(section):
    """The tag lines of the .TP entries of a section, font escapes and quotes gone, \\- as -."""
    text = MANUAL.read_text()
    body = re.search(rf"^\.SH {section}\n(.*?)(?=^\.SH |\Z)", text, re.S | re.M)[1]
    tags = re.findall(r"^\.TP\n\.\w+ (.*)$", body, re.M)
    return [re.sub(r'\\f[BIRP]|"', "", tag).replace("\\-", "-") for tag in tags]


def manual_options():
    options = {}
    for tag in manual_entries("OPTIONS"):
        match = re.match(r"(?:(-\w) *, *)?(--[\w-]+)", tag)
        check(match is not None, f"the manual's OPTIONS entry {tag!r} names no long option")
        if match:
            options[match[2]] = match[1] or ""
    return options


def check_manual(help_text, listed, encodings):
    help_map, manual_map = help_options(help_text), manual_options()
    compare("the manual's options against --help", manual_map, help_map)
    for name in help_map.keys() & manual_map.keys():
        check(help_map[name] == manual_map[name],
              f"{name} is {help_map[name] or 'without a short letter'} in --help, "
              f"{manual_map[name] or 'without one'} in the manual")
    conversions = [tuple(tag.replace(" ", "").split(",")) for tag in manual_entries("CONVERSIONS")]
    compare("the manual's conversions against --list", conversions, [(i, n) for n, i in listed])
    manual_encodings = [name for tag in manual_entries("ENCODINGS") for name in re.split(r"[ ,]+", tag)]
    compare("the manual's encodings against --help", manual_encodings, encodings)
    groff = run("groff", "-ww", "-z", "-man", str(MANUAL))
    check(groff.returncode == 0 and groff.stderr == "", f"groff -ww warns: {groff.stderr}")
    if shutil.which("mandoc"):
        lint = run("mandoc", "-T", "lint", "-W", "warning", str(MANUAL))
        check(lint.returncode == 0 and lint.stdout + lint.stderr == "", f"mandoc -T lint: {lint.stdout}")
    else:
        print("docs_test: mandoc is not installed; the manual is checked with groff only")


def bash_completions(words, folder):
    """What the bash completion offers for the last of words, run in a non-interactive bash."""
    script = (f'source {COMPLETIONS / "blankwise.bash"} && COMP_WORDS=("$@") && '
              'COMP_CWORD=$(($# - 1)) && _blankwise && printf "%s\\n" "${COMPREPLY[@]}"')
    result = run("bash", "--norc", "--noprofile", "-c", script, "bash", "blankwise", *words, cwd=folder)
    check(result.returncode == 0, f"the bash completion of {words} failed: {result.stderr}")
    return [line for line in result.stdout.splitlines() if line]


def fish_completions(line, folder):
    script = f'source {COMPLETIONS / "blankwise.fish"}; and complete -C "{line}"'
    result = run("fish", "--no-config", "-c", script, cwd=folder)
    check(result.returncode == 0, f"fish's completion of {line!r} failed: {result.stderr}")
    return [entry.split("\t")[0] for entry in result.stdout.splitlines()]


def zsh_arguments():
    """The options (before each argument's [description]), the conversions and the encodings of
    _blankwise's _arguments and its conversion list, as written."""
    text = (COMPLETIONS / "_blankwise").read_text()
    arguments = re.findall(r"^\s+('.*?)\[", text, re.M)
    options = [option for argument in arguments
               for option in re.findall(r"(?<![\w-])(--?[A-Za-z][\w-]*)", re.sub(r"^'\([^)]*\)'", "", argument))]
    names = re.search(r"for name in (.*?); do", text, re.S)[1].replace("\\", " ").split()
    encodings = re.search(r":encoding:\(([^)]*)\)", text)[1].split()
    return options, names, encodings


def check_completions(help_text, listed, encodings):
    all_options = [name for long, short in help_options(help_text).items() for name in (long, short) if name]
    conversions = [name for name, _ in listed] + [number for _, number in listed]
    with tempfile.TemporaryDirectory() as folder:
        pathlib.Path(folder, "notes.txt").touch()
        compare("bash: the options", bash_completions(["-"], folder), all_options)
        compare("bash: the conversions", bash_completions(["-c", ""], folder), conversions)
        compare("bash: the encodings", bash_completions(["--encoding", "=", ""], folder), encodings)
        compare("bash: a file", bash_completions(["-c6", "no"], folder), ["notes.txt"])
        compare("bash: after --", bash_completions(["--", "-"], folder), [])
        if shutil.which("fish"):
            compare("fish: the options", fish_completions("blankwise -", folder), all_options)
            compare("fish: the conversions", fish_completions("blankwise -c ", folder), conversions)
            compare("fish: the encodings", fish_completions("blankwise -e ", folder), encodings)
        else:
            print("docs_test: fish is not installed; its completion is not checked")
    options, names, zsh_encodings = zsh_arguments()
    compare("zsh: the options", options, all_options)
    compare("zsh: the conversions", names, [name for name, _ in listed])
    compare("zsh: the encodings", zsh_encodings, encodings)
    if shutil.which("zsh"):
        parsed = run("zsh", "-n", str(COMPLETIONS / "_blankwise"))
        check(parsed.returncode == 0, f"zsh -n: {parsed.stderr}")
    else:
        print("docs_test: zsh is not installed; its completion is not parsed")


def main():
    program = sys.argv[1]
    help_text = run(program, "--help").stdout
    listed = [(name, number) for number, name in
              re.findall(r"^\s*(\d+)\s+(\S+)", run(program, "--list").stdout, re.M)]
    check(len(listed) == 15, f"--list lists {len(listed)} conversions")
    encodings = help_encodings(program, help_text)
    check("utf-8" in encodings and "cp932" in encodings, f"--help's encodings read as {encodings}")
    check_manual(help_text, listed, encodings)
    check_completions(help_text, listed, encodings)
    for failure in failures:
        print("docs_test:", failure)
    print(f"docs_test: {'passed' if not failures else f'{len(failures)} failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    os.environ["LC_ALL"] = "C.UTF-8"
    sys.exit(main())
