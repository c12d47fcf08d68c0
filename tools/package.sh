#!/usr/bin/env bash
# Builds the release package from the sources: a fresh win32 build of Blankwise.dll in
# build/release-win32, then build/release-win32/package/Blankwise-<version>-win32.zip with the
# DLL, the user guide, the licence and SHA256SUMS. Installs what it needs first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash tools/setup.sh
build_dir=build/release-win32
rm -rf "$build_dir"
cmake --preset win32 -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target Blankwise
(cd "$build_dir" && cpack --config CPackConfig.cmake)
ls -l "$build_dir"/package/*.zip
