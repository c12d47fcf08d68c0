#!/usr/bin/env bash
# The repository's hooks through `pre-commit try-repo`, in a git repository of their own: the
# fixer rewrites a file and fails, then passes; the checker fails while a file would change. A
# staged file named -dash.txt is a file to them, not an option. Then blankwise-editorconfig in a
# repository of Python (spaces), Go (tabs) and Japanese text (spaces at 2 columns, a full-width
# space two columns wide), where a Markdown file its .editorconfig says nothing of stays as it is.
# Arguments: REPOSITORY_ROOT FOLDER_OF_BLANKWISE
set -euo pipefail
root="$1"
export PATH="$2:$PATH"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export PRE_COMMIT_HOME="$work/cache" HOME="$work"
cd "$work" && mkdir repo && cd repo
git init -q . && git config user.email test@example.invalid && git config user.name test
printf 'int main() {\n\treturn 0;\n}\n' > main.c
printf '\tdash\n' > -dash.txt
git add main.c -- -dash.txt
try() { pre-commit try-repo "$root" "$1" --all-files >"$work/log" 2>&1; }

if try blankwise-check; then echo "FAIL: the checker passed a file with a tab"; exit 1; fi
grep -q $'\treturn' main.c || { echo "FAIL: the checker changed the file"; exit 1; }
if try blankwise; then echo "FAIL: the first run of the fixer passed"; cat "$work/log"; exit 1; fi
[ "$(cat main.c)" = "$(printf 'int main() {\n    return 0;\n}')" ] || { echo "FAIL: not converted"; cat main.c; exit 1; }
[ "$(cat -- -dash.txt)" = "    dash" ] || { echo "FAIL: -dash.txt not converted"; cat "$work/log"; exit 1; }
git add main.c -- -dash.txt
try blankwise || { echo "FAIL: the second run of the fixer failed"; cat "$work/log"; exit 1; }
try blankwise-check || { echo "FAIL: the checker failed a converted file"; cat "$work/log"; exit 1; }
echo "pre-commit try-repo: the fixer fixes and fails, then passes; the checker agrees"

cd "$work" && mkdir editorconfig && cd editorconfig
git init -q . && git config user.email test@example.invalid && git config user.name test
printf 'root = true\n[*.py]\nindent_style = space\nindent_size = 4\n[*.go]\nindent_style = tab\n' > .editorconfig
printf '[*.txt]\nindent_style = space\nindent_size = 2\ncharset = utf-8\n' >> .editorconfig
printf 'def f():\n\treturn 1\n' > tool.py
printf 'func f() {\n        return\n}\n' > main.go
printf '\xe8\xa6\x8b\xe5\x87\xba\xe3\x81\x97\n\xe3\x80\x80\t\xe5\x85\xa8\xe8\xa7\x92\n' > notes.txt  # 見出し, U+3000 tab 全角
printf '\tkept\n' > README.md
git add .
if try blankwise-editorconfig; then echo "FAIL: the first run of blankwise-editorconfig passed"; exit 1; fi
[ "$(cat tool.py)" = "$(printf 'def f():\n    return 1')" ] || { echo "FAIL: tool.py"; cat "$work/log"; exit 1; }
[ "$(cat main.go)" = "$(printf 'func f() {\n\treturn\n}')" ] || { echo "FAIL: main.go"; cat "$work/log"; exit 1; }
[ "$(cat notes.txt)" = "$(printf '\xe8\xa6\x8b\xe5\x87\xba\xe3\x81\x97\n\xe3\x80\x80  \xe5\x85\xa8\xe8\xa7\x92')" ] ||
    { echo "FAIL: notes.txt"; cat -A notes.txt; exit 1; }
[ "$(cat README.md)" = "$(printf '\tkept')" ] || { echo "FAIL: README.md changed"; exit 1; }
git add .
try blankwise-editorconfig || { echo "FAIL: the second run of blankwise-editorconfig failed"; cat "$work/log"; exit 1; }
echo "pre-commit try-repo: blankwise-editorconfig converts Python to spaces, Go to tabs, Japanese text at 2 columns"
