#!/usr/bin/env bash
# setup.sh and win32-support.sh on a machine that cannot run 32-bit Windows programs, without
# changing this one: apt sees a scratch copy of the package database without wine32 and a scratch
# preferences file that pins wine32 away, and only simulates; a stand-in for the 32-bit Wine loader
# fails as a kernel without 32-bit support makes it fail. Setup must go on and note apt's reason; the
# support check must give that reason, and the kernel's refusal.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
    echo "setup-test: $*"
    failures=$((failures + 1))
}

# The package database without wine32, as apt reads it.
awk -v RS= -v ORS='\n\n' '!/^Package: wine32\nStatus: install ok installed\n/ && !/^Package: wine32\n(.*\n)*Architecture: i386\n/' \
    /var/lib/dpkg/status >"$scratch/status"
mkdir -p "$scratch/preferences.d"
printf 'Package: wine32:i386\nPin: release *\nPin-Priority: -1\n' >"$scratch/preferences"
cat >"$scratch/apt.conf" <<CONF
Dir::State::status "$scratch/status";
Dir::Etc::Preferences "$scratch/preferences";
Dir::Etc::PreferencesParts "$scratch/preferences.d";
CONF

output=$(APT_CONFIG="$scratch/apt.conf" BLANKWISE_SETUP_SIMULATE=1 BLANKWISE_SETUP_REINSTALL=wine32:i386 \
    BLANKWISE_SETUP_PAUSE=0 BLANKWISE_SETUP_STATE="$scratch/state" bash "$root/tools/setup.sh" 2>&1)
status=$?
[ "$status" -eq 0 ] || fail "setup failed ($status) where only wine32 cannot be installed: $output"
grep -q "trying the release's main archive" <<<"$output" || fail "setup did not try the release's archive: $output"
reason=$(cat "$scratch/state/wine32-unavailable" 2>/dev/null)
[[ "$reason" == "wine32:i386 cannot be installed: E: "* ]] ||
    fail "setup noted [$reason], not apt's reason why wine32 cannot be installed"

# With wine32 missing, the check gives setup's note.
answer=$(
    source "$root/tools/win32-support.sh"
    dpkg-query() { [ "${*: -1}" = wine32:i386 ] && return 1; command dpkg-query "$@"; }
    BLANKWISE_SETUP_STATE="$scratch/state" blankwise_win32_unavailable
) || fail "the check found 32-bit programs runnable without wine32"
[ "$answer" = "$reason" ] || fail "the check gave [$answer], not setup's note [$reason]"

# A loader that the kernel refuses to start, as one without 32-bit support does.
printf '#!/bin/sh\necho "$0: cannot execute binary file: Exec format error" >&2\nexit 126\n' >"$scratch/wine"
chmod +x "$scratch/wine"
answer=$(
    source "$root/tools/win32-support.sh"
    dpkg-query() { [ "${*: -1}" = wine32:i386 ] && echo "install ok installed" && return 0; command dpkg-query "$@"; }
    BLANKWISE_WINE32_LOADER="$scratch/wine" blankwise_win32_unavailable
) || fail "the check found 32-bit programs runnable where the loader cannot start"
[[ "$answer" == "this machine cannot run 32-bit programs: "*"Exec format error"* ]] ||
    fail "the check gave [$answer], not the kernel's refusal"

[ "$failures" -eq 0 ] && echo "setup-test: passed" || echo "setup-test: $failures failed"
[ "$failures" -eq 0 ]
