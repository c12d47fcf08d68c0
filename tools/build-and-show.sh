#!/usr/bin/env bash
# Builds everything (native and Windows) and shows the transforms at work on a Japanese sample.
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
echo "== the transforms, natively"
build/native/tools/transform-demo/TransformDemo
echo
echo "== the same program built for Windows, under Wine (code page 932)"
wine build/win32/tools/transform-demo/TransformDemo.exe
