#!/usr/bin/env bash
# Builds everything (native, 32-bit and 64-bit Windows), then shows the 32-bit Blankwise.dll at work
# in the host program under Wine on a Japanese sample, and the 64-bit one answering the 64-bit host
# program under 64-bit Wine. Where this machine cannot run 32-bit Windows programs, the 32-bit build
# is made but not shown (the 64-bit DLL is shown at length instead), and the run says why at its
# start and at its end.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash tools/setup.sh
source tools/wine-env.sh
source tools/win32-support.sh
win32_skipped=""
if win32_skipped=$(blankwise_win32_unavailable); then
    echo "NOTE: the 32-bit Blankwise.dll will be built but not shown: $win32_skipped"
else
    win32_skipped=""
fi

for preset in native win32 win64; do
    echo "== building $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" | tail -n 1
done

if [ -z "$win32_skipped" ]; then
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
else
    echo
    echo "== The 64-bit Blankwise.dll in the 64-bit host program, under 64-bit Wine (code page 932)"
    xvfb-run -a -s "-screen 0 1024x768x24" bash tools/host-demo.sh build/win64
fi

if [ -n "$win32_skipped" ]; then
    echo
    echo "NOTE: the 32-bit Blankwise.dll was built but not shown: $win32_skipped"
fi
