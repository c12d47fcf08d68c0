#!/usr/bin/env bash
# The repository's hooks through `pre-commit try-repo`, in a git repository of their own: the
# fixer rewrites a file and fails, then passes; the checker fails while a file would change. A
# staged file named -dash.txt is a file to them, not an option.
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
