#!/usr/bin/env bash
# The Debian package as a user gets it: its control fields, its files unpacked into a scratch root
# (dpkg -x), the unpacked tool checked as tools/installed-checks.sh checks it, and lintian, whose
# errors fail the test and whose other tags are shown.
#
#   tools/package-test-deb.sh blankwise_<version>_amd64.deb
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ $# -eq 1 ] || { echo "usage: $0 DEB" >&2; exit 2; }
package="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
check_name=package-test-deb
source "$root/tools/installed-checks.sh"

version=$(sed -nE 's/^project\(Blankwise VERSION ([0-9]+\.[0-9]+\.[0-9]+)\..*/\1/p' "$root/CMakeLists.txt")
[ "$(basename "$package")" = "blankwise_${version}_amd64.deb" ] ||
    fail "the package is named $(basename "$package"), not blankwise_${version}_amd64.deb"
for field in Package=blankwise Version="$version" Architecture=amd64 Section=text Priority=optional; do
    [ "$(dpkg-deb -f "$package" "${field%%=*}")" = "${field#*=}" ] ||
        fail "the field ${field%%=*} is [$(dpkg-deb -f "$package" "${field%%=*}")], not [${field#*=}]"
done
# Every library the tool links: glibc and libeditorconfig (--editorconfig), as dpkg-shlibdeps finds them.
depends=$(dpkg-deb -f "$package" Depends)
grep -q '^libc6 (>= ' <<<"$depends" && grep -q 'libeditorconfig0 (>= ' <<<"$depends" ||
    fail "Depends is [$depends], not libc6 and libeditorconfig0 as dpkg-shlibdeps finds them"

dpkg -x "$package" "$scratch/root"
expected="usr/bin/blankwise
usr/share/bash-completion/completions/blankwise
usr/share/doc/blankwise/README.md.gz
usr/share/doc/blankwise/changelog.gz
usr/share/doc/blankwise/copyright
usr/share/fish/vendor_completions.d/blankwise.fish
usr/share/man/man1/blankwise.1.gz
usr/share/zsh/vendor-completions/_blankwise"
found=$(installed_files "$scratch/root")
[ "$found" = "$expected" ] || fail "the package holds:"$'\n'"$found"$'\n'"not:"$'\n'"$expected"
check_installed "$scratch/root/usr"

lintian --display-info "$package" >"$scratch/lintian.log" 2>&1
grep -v 'running with root privileges' "$scratch/lintian.log" | sed 's/^/lintian: /'
! grep -q '^E: ' "$scratch/lintian.log" || fail "lintian reports errors"

report "$(basename "$package")"
