#!/usr/bin/env bash
# Builds the release packages from the sources: fresh builds of Blankwise.dll for 32-bit Windows in
# build/release-win32 and for 64-bit Windows in build/release-win64, then
# build/release-win32/package/Blankwise-<version>-win32.zip and
# build/release-win64/package/Blankwise-<version>-win64.zip, each with its DLL, the user guide, the
# licence and SHA256SUMS. Each package is then tested as tools/package-test.sh tests it (unpacked,
# checked, its DLL loaded by the host program of the same bitness under Wine), and the two DLLs are
# compared (tools/compare-dlls.sh). Installs what it needs first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash tools/setup.sh

packages=()
for preset in win32 win64; do
    build_dir="build/release-$preset"
    echo "== $preset: a fresh build in $build_dir"
    rm -rf "$build_dir"
    cmake --preset "$preset" -B "$build_dir" >/dev/null
    cmake --build "$build_dir" --target Blankwise BlankwiseHost | tail -n 1
    (cd "$build_dir" && cpack --config CPackConfig.cmake)
    packages+=("$build_dir"/package/Blankwise-*-"$preset".zip)
    bash tools/package-test.sh "$build_dir"
done
bash tools/compare-dlls.sh build/release-win32/Blankwise/Win32/Blankwise.dll \
    build/release-win64/Blankwise/Win32/Blankwise.dll
ls -l "${packages[@]}"
