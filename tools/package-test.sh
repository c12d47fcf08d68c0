#!/usr/bin/env bash
# The release package as a user gets it: built with CPack from a win32 or win64 build folder,
# unpacked into a scratch folder, its contents and checksums checked, its DLL's machine type checked
# against the package's name (i386 in -win32.zip, AMD64 in -win64.zip), and the unpacked
# Blankwise.dll loaded by the host program of the same bitness (the build folder's) under Wine: its
# answers, then a conversion chosen in its menu.
#
#   tools/package-test.sh BUILD_DIR
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
build_dir="$(cd "$1" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
    echo "package-test: $*"
    failures=$((failures + 1))
}

cpack --config "$build_dir/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack failed"; exit 1; }
version=$(sed -nE 's/^project\(Blankwise VERSION ([0-9]+\.[0-9]+\.[0-9]+)\..*/\1/p' "$root/CMakeLists.txt")
system=win32
grep -q 'CPACK_SYSTEM_NAME "win64"' "$build_dir/CPackConfig.cmake" && system=win64
package="$scratch/out/Blankwise-$version-$system.zip"
[ -f "$package" ] || { fail "no $(basename "$package") was made"; exit 1; }

unzip -q "$package" -d "$scratch/unpacked"
folder="$scratch/unpacked/Blankwise-$version-$system"
expected="Blankwise.dll LICENSE README.md SHA256SUMS docs/images/before-after.png docs/images/bitmap.png docs/images/menu.png"
found=$(cd "$folder" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$found" = "$expected" ] || fail "the package holds [$found], not [$expected]"
(cd "$folder" && sha256sum --quiet -c SHA256SUMS) || fail "a checksum in SHA256SUMS does not match"
grep -q '  Blankwise.dll$' "$folder/SHA256SUMS" || fail "SHA256SUMS lacks Blankwise.dll"
cmp -s "$folder/LICENSE" "$root/LICENSE" || fail "the licence differs from the repository's"
header=$(od -An -tu4 -j60 -N4 "$folder/Blankwise.dll" | tr -d ' ')
machine=$(od -An -tx2 -j$((header + 4)) -N2 "$folder/Blankwise.dll" | tr -d ' ')
wanted_machine=014c
[ "$system" = win64 ] && wanted_machine=8664
[ "$machine" = "$wanted_machine" ] || fail "the DLL in the $system package is for machine $machine, not $wanted_machine"

host="$build_dir/Blankwise/Win32/BlankwiseHost.exe"
source "$root/tools/wine-env-for.sh" "$host"
dll="$(blankwise_windows_path "$folder/Blankwise.dll")"
info=$("$BLANKWISE_WINE" "$host" --plugin "$dll" --info 2>&1)
for line in "name (PlugInProc 2306): Blankwise" "version (PlugInProc 2308): Version $version" \
    "menu text (string 1): 空白部分を変換する" "bitmap: 101"; do
    grep -qxF "$line" <<<"$info" || fail "the unpacked DLL does not answer \"$line\": $info"
done

printf '\t予定\t10時\r\n' >"$scratch/document.txt"
converted=$("$BLANKWISE_WINE" "$host" --plugin "$dll" --choose 6 --print "$(blankwise_windows_path "$scratch/document.txt")" 2>&1 | od -An -c | tr -s ' ')
wanted=$(printf '    予定    10時\r\n' | od -An -c | tr -s ' ')
[ "$converted" = "$wanted" ] || fail "conversion 6 through the unpacked DLL gave [$converted], not [$wanted]"
wineserver -w

[ "$failures" -eq 0 ] && echo "package-test: $(basename "$package") passed" || echo "package-test: $failures failed"
[ "$failures" -eq 0 ]
