#!/usr/bin/env bash
# Runs a command while the Wine server of one prefix stays up, and stops that server afterwards:
#
#   tools/wine-keep-server.sh ENV_SCRIPT COMMAND [ARG...]
#
# ENV_SCRIPT is wine-env.sh or wine64-env.sh. Left to itself, the server ends the moment its last
# program has ended, and a program that starts in that moment dies before its first line ("wine
# client error:0: recvmsg: Connection reset by peer"). A test suite that starts its Windows programs
# one after another, two at a time, meets that moment now and then; with the server kept, never.
# The scripts that wait for the server's end (blankwise_wait_for_wine) know from
# BLANKWISE_WINE_SERVER_KEPT not to.
set -uo pipefail
[ $# -ge 2 ] || { echo "usage: $0 ENV_SCRIPT COMMAND [ARG...]" >&2; exit 2; }
source "$1"
shift
# A server already running ends with its last program: let it, then start one that stays until
# it is stopped.
wineserver -w || true
wineserver -p || { echo "wine-keep-server: the Wine server for $WINEPREFIX did not start" >&2; exit 1; }
trap 'wineserver -k || true' EXIT
# The prefix's services start now, away from the command's output: a service started later by a
# test would hold that test's output open, and ctest would wait for it until the test timed out.
"$BLANKWISE_WINE" wineboot.exe </dev/null >/dev/null 2>&1 || true
export BLANKWISE_WINE_SERVER_KEPT=1
"$@"
