#!/usr/bin/env bash
# Builds everything (native, 32-bit and 64-bit Windows), then shows the 32-bit Blankwise.dll at work
# in the host program under Wine on a Japanese sample, and the 64-bit one answering the 64-bit host
# program under 64-bit Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash tools/setup.sh
source tools/wine-env.sh

for preset in native win32 win64; do
    echo "== building $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" | tail -n 1
done

echo
echo "== Blankwise.dll in the host program, under Wine (code page 932)"
xvfb-run -a -s "-screen 0 1024x768x24" bash tools/host-demo.sh build/win32

echo
echo "== The 64-bit Blankwise.dll in the 64-bit host program, under 64-bit Wine"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    source tools/wine64-env.sh
    "$BLANKWISE_WINE" build/win64/Blankwise/Win32/BlankwiseHost.exe --info
    "$BLANKWISE_WINE" build/win64/Blankwise/Win32/BlankwiseHost.exe --anchor 4:6 --caret 4:10 --choose 6 --visible \
        --print-before --print HostEmulator/HostProgram/samples/sample-ja.txt
    wineserver -w'
