#!/usr/bin/env bash
# `cmake --install` of a native build, with a prefix and DESTDIR both given: exactly the command-line
# tool's files land under DESTDIR/PREFIX (no plug-in, no test), and the installed tool works as
# tools/installed-checks.sh checks it.
#
#   tools/install-test.sh BUILD_DIR
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
check_name=install-test
source "$root/tools/installed-checks.sh"

prefix=/opt/blankwise
DESTDIR="$scratch/root" cmake --install "$1" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; fail "cmake --install failed"; exit 1; }
expected="bin/blankwise
share/bash-completion/completions/blankwise
share/doc/blankwise/LICENSE
share/doc/blankwise/README.md
share/fish/vendor_completions.d/blankwise.fish
share/man/man1/blankwise.1
share/zsh/vendor-completions/_blankwise"
found=$(installed_files "$scratch/root")
[ "$found" = "$(sed "s|^|${prefix#/}/|" <<<"$expected")" ] ||
    fail "the install holds, under DESTDIR:"$'\n'"$found"$'\n'"not, under ${prefix#/}:"$'\n'"$expected"
check_installed "$scratch/root$prefix"

report "cmake --install"
