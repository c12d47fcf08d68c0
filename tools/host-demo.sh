#!/usr/bin/env bash
# Shows Blankwise.dll at work in the host program under Wine: the plug-in's answers to the host,
# then several conversions of the Japanese sample, each document before and after with its white
# space made visible. Needs a display (build-and-show.sh runs it inside xvfb-run). The first
# argument is the Windows build directory (default build/win32; build/win64 shows the 64-bit DLL
# in the 64-bit host program under 64-bit Wine).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

build_dir="${1:-build/win32}"
host="$build_dir/Blankwise/Win32/BlankwiseHost.exe"
source tools/wine-env-for.sh "$host"
sample="HostEmulator/HostProgram/samples/sample-ja.txt"

# One run of the command on the sample: the title, then what the host program prints.
show() {
    local title="$1"
    shift
    echo
    echo "### $title"
    "$BLANKWISE_WINE" "$host" --visible --print-before --print "$@" "$sample"
}

echo "### The plug-in as the host sees it"
"$BLANKWISE_WINE" "$host" --info
echo
echo "In the documents below → is a tab, · a U+0020 space, □ a U+3000 space and ␍␊ a CR LF line break;"
echo "positions are line:column, both from 1."
show "6: tabs to half-width spaces at 4-column stops, nothing selected (the caret returns to its line)" \
    --caret 4:7 --choose 6
show "5: half-width spaces to tabs at 4-column stops, nothing selected" --caret 7:5 --choose 5
show "6 on a selection that starts mid-line after 仕様の確認 (10 display columns): the first tab becomes two spaces" \
    --anchor 4:6 --caret 4:10 --choose 6
show "1: two half-width spaces to one full-width space, on a selection made backwards from line 9 to mid-line 5" \
    --anchor 9:9 --caret 5:5 --choose 1
show "10: every run of white space to one half-width space" --choose 10
show "15: delete every kind of white space (line breaks stay)" --choose 15
show "Escape: the menu dismissed, nothing changes" --anchor 3:1 --caret 4:3 --escape
# Lets Wine's server end before the display goes away.
wineserver -w
