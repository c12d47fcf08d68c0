#!/usr/bin/env bash
# Builds everything (native and Windows), then shows Blankwise.dll at work in the host program under
# Wine on a Japanese sample.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash tools/setup.sh
source tools/wine-env.sh

for preset in native win32; do
    echo "== building $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" | tail -n 1
done

echo
echo "== Blankwise.dll in the host program, under Wine (code page 932)"
xvfb-run -a -s "-screen 0 1024x768x24" bash tools/host-demo.sh build/win32
