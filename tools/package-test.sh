#!/usr/bin/env bash
# The release package as a user gets it: built with CPack from a win32 or win64 build folder,
# unpacked into a scratch folder, its contents and checksums checked, the machine type of its DLL
# and of its blankwise.exe checked against the package's name (i386 in -win32.zip, AMD64 in
# -win64.zip), the DLLs blankwise.exe imports (only Windows' own and msvcrt.dll), and under Wine the
# unpacked Blankwise.dll loaded by the host program of the same bitness (the build folder's): its
# answers, then a conversion chosen in its menu; then the unpacked blankwise.exe: its version, and
# a Shift_JIS file with a Japanese name rewritten in place, as the guide shows it.
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
expected="Blankwise.dll LICENSE README.md SHA256SUMS blankwise.exe docs/images/before-after.png docs/images/bitmap.png docs/images/menu.png"
found=$(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
[ "$found" = "$expected" ] || fail "the package holds [$found], not [$expected]"
(cd "$folder" && sha256sum --quiet -c SHA256SUMS) || fail "a checksum in SHA256SUMS does not match"
for image in Blankwise.dll blankwise.exe; do
    grep -q "  $image\$" "$folder/SHA256SUMS" || fail "SHA256SUMS lacks $image"
done
cmp -s "$folder/LICENSE" "$root/LICENSE" || fail "the licence differs from the repository's"
wanted_machine=014c
tools=i686-w64-mingw32
if [ "$system" = win64 ]; then
    wanted_machine=8664
    tools=x86_64-w64-mingw32
fi
for image in Blankwise.dll blankwise.exe; do
    header=$(od -An -tu4 -j60 -N4 "$folder/$image" | tr -d ' ')
    machine=$(od -An -tx2 -j$((header + 4)) -N2 "$folder/$image" | tr -d ' ')
    [ "$machine" = "$wanted_machine" ] || fail "$image in the $system package is for machine $machine, not $wanted_machine"
done
# The GCC runtime and the threads are linked in: a DLL of theirs would be missing on a user's machine.
imports=$(LC_ALL=C "$tools-objdump" -p "$folder/blankwise.exe" | sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' | tr 'A-Z' 'a-z')
grep -qx kernel32.dll <<<"$imports" || fail "objdump finds no imports in blankwise.exe: [$imports]"
for name in $imports; do
    [[ " kernel32.dll user32.dll advapi32.dll msvcrt.dll " == *" $name "* ]] ||
        fail "blankwise.exe imports $name, which Windows does not bring"
done

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

exe="$folder/blankwise.exe"
shown=$("$BLANKWISE_WINE" "$exe" --version 2>&1 | tr -d '\r')
[ "$shown" = "blankwise $version" ] || fail "the unpacked blankwise.exe --version shows [$shown]"
# 予定 and 時 in code page 932, 予 with the trail byte 0x5C; the name reaches wmain in UTF-16.
printf '\t\227\134\222\350\t10\216\236\r\n' >"$scratch/メモ.txt"
"$BLANKWISE_WINE" "$exe" -c 6 -e cp932 --in-place "$(blankwise_windows_path "$scratch/メモ.txt")" ||
    fail "the unpacked blankwise.exe failed to rewrite メモ.txt"
converted=$(od -An -c "$scratch/メモ.txt" | tr -s ' ')
wanted=$(printf '    \227\134\222\350    10\216\236\r\n' | od -An -c | tr -s ' ')
[ "$converted" = "$wanted" ] || fail "blankwise.exe -c 6 -e cp932 --in-place wrote [$converted], not [$wanted]"
blankwise_wait_for_wine

[ "$failures" -eq 0 ] && echo "package-test: $(basename "$package") passed" || echo "package-test: $failures failed"
[ "$failures" -eq 0 ]
