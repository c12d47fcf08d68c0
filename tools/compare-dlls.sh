#!/usr/bin/env bash
# The 32-bit and the 64-bit Blankwise.dll side by side, read with objdump and windres: each is the
# image its editor can load (PE32 for i386, PE32+ for AMD64), both export the same seven undecorated
# entry points and nothing else, import from the same DLLs, only Windows' own and the C runtime
# msvcrt.dll, and carry byte-identical resources (string table, bitmap 101, VERSIONINFO).
#
#   tools/compare-dlls.sh WIN32_DLL WIN64_DLL
set -uo pipefail
# objdump's and windres' own words, whatever the caller's locale (wine-env.sh sets a Japanese one).
export LC_ALL=C
[ $# -eq 2 ] || { echo "usage: $0 WIN32_DLL WIN64_DLL" >&2; exit 2; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
    echo "compare-dlls: $*"
    failures=$((failures + 1))
}

exports_wanted="GetBitmapID GetMenuTextID GetStatusMessageID OnCommand OnEvents PlugInProc QueryStatus"
imports_allowed="kernel32.dll msvcrt.dll user32.dll"

# One DLL: its headers, export names, imported DLLs and resources into $scratch/<bits>.*.
read_dll() {
    local bits="$1" dll="$2" tools="$3" format="$4" magic="$5"
    [ -f "$dll" ] || { fail "$dll does not exist"; return; }
    "$tools-objdump" -p "$dll" >"$scratch/$bits.headers" 2>&1 || fail "objdump cannot read $dll"
    grep -q "file format $format\$" "$scratch/$bits.headers" || fail "$dll is not $format"
    grep -qE "^Magic[[:space:]]+$magic" "$scratch/$bits.headers" || fail "$dll's optional header is not $magic"
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$scratch/$bits.headers" |
        sed -nE 's/^[[:space:]]*\[ *[0-9]+\] (.*)$/\1/p' | sort | tr '\n' ' ' | sed 's/ $//' >"$scratch/$bits.exports"
    sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' "$scratch/$bits.headers" | tr 'A-Z' 'a-z' | sort |
        tr '\n' ' ' | sed 's/ $//' >"$scratch/$bits.imports"
    "$tools-windres" -i "$dll" -O rc -o "$scratch/$bits.rc" 2>"$scratch/$bits.windres" ||
        fail "windres cannot read the resources of $dll: $(cat "$scratch/$bits.windres")"
    [ "$(cat "$scratch/$bits.exports")" = "$exports_wanted" ] ||
        fail "$dll exports [$(cat "$scratch/$bits.exports")], not [$exports_wanted]"
    local name
    for name in $(cat "$scratch/$bits.imports"); do
        [[ " $imports_allowed " == *" $name "* ]] || fail "$dll imports $name"
    done
    # Export names are undecorated in both (no stdcall @N, no leading underscore).
    grep -qE '_?[A-Za-z]+@[0-9]+' "$scratch/$bits.exports" && fail "$dll exports decorated names"
    echo "compare-dlls: $(basename "$dll") ($bits-bit): $format, exports [$(cat "$scratch/$bits.exports")], imports [$(cat "$scratch/$bits.imports")]"
}

read_dll 32 "$1" i686-w64-mingw32 pei-i386 '010b'
read_dll 64 "$2" x86_64-w64-mingw32 pei-x86-64 '020b'
cmp -s "$scratch/32.exports" "$scratch/64.exports" || fail "the two DLLs export different names"
cmp -s "$scratch/32.imports" "$scratch/64.imports" || fail "the two DLLs import from different DLLs"
if ! diff -u "$scratch/32.rc" "$scratch/64.rc" >"$scratch/resources.diff"; then
    fail "the two DLLs' resources differ:"
    head -n 40 "$scratch/resources.diff"
fi

[ "$failures" -eq 0 ] && echo "compare-dlls: passed" || echo "compare-dlls: $failures failed"
[ "$failures" -eq 0 ]
