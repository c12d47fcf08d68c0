#!/usr/bin/env bash
# Builds the release packages from the sources, each in a fresh build folder, and tests each:
#   build/release-win32/package/Blankwise-<version>-win32.zip and
#   build/release-win64/package/Blankwise-<version>-win64.zip, each with Blankwise.dll,
#     blankwise.exe, the user guide, the licence and SHA256SUMS, tested as tools/package-test.sh
#     tests them (unpacked, checked, the DLL loaded by the host program of the same bitness and the
#     program run under Wine), the two DLLs then compared (tools/compare-dlls.sh);
#   build/release-deb/package/blankwise_<version>_amd64.deb, the command-line tool built with
#     Debian's hardening flags, tested as tools/package-test-deb.sh tests it (unpacked, run, its
#     manual page and completions tried, lintian).
# Installs what it needs first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash tools/setup.sh

# A fresh build folder for a preset, whose install builds only what it installs.
configure_fresh() {
    local preset="$1" build_dir="$2"
    echo "== $preset: a fresh build in $build_dir"
    rm -rf "$build_dir"
    cmake --preset "$preset" -B "$build_dir" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
}

packages=()
for preset in win32 win64; do
    build_dir="build/release-$preset"
    configure_fresh "$preset" "$build_dir"
    cmake --build "$build_dir" --target Blankwise BlankwiseHost BlankwiseCli | tail -n 1
    (cd "$build_dir" && cpack --config CPackConfig.cmake)
    packages+=("$build_dir"/package/Blankwise-*-"$preset".zip)
    bash tools/package-test.sh "$build_dir"
done
bash tools/compare-dlls.sh build/release-win32/Blankwise/Win32/Blankwise.dll \
    build/release-win64/Blankwise/Win32/Blankwise.dll

# Compiled and linked as Debian builds its packages (dpkg-buildflags, every hardening feature).
build_dir=build/release-deb
(
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    export CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
    export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
    configure_fresh native "$build_dir"
)
cmake --build "$build_dir" --target BlankwiseCli | tail -n 1
# The changelog's date and the copyright's year are the last commit's, so that the same sources give
# the same package.
(
    if [ -z "${SOURCE_DATE_EPOCH:-}" ] && SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null); then
        export SOURCE_DATE_EPOCH
    fi
    cd "$build_dir" && cpack --config CPackConfig.cmake
)
packages+=("$build_dir"/package/blankwise_*_amd64.deb)
bash tools/package-test-deb.sh "$build_dir"/package/blankwise_*_amd64.deb

ls -l "${packages[@]}"
