#!/usr/bin/env bash
# The on-screen test: BlankwiseScreen.exe (the real Blankwise.dll and its popup menu in a visible
# window) on an X display of its own, 1024x768 in true colour, with the Japanese font installed by
# setup.sh. Whenever the program asks for a screenshot, the whole screen is saved as NAME.png and
# checked: every menu window the program reports must be drawn (not a blank area, and not what the
# screen showed there before the menu opened), and the document must look different after the
# conversion than before it. The screenshots and the program's report stay in the output folder.
#
#   tools/screen-test.sh EXE_DIR OUT_DIR [PLUGIN_DLL]
#
# EXE_DIR holds BlankwiseScreen.exe and Blankwise.dll (build/win32/Blankwise/Win32); PLUGIN_DLL
# loads another Blankwise.dll instead.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if [ $# -lt 2 ]; then
    echo "usage: $0 EXE_DIR OUT_DIR [PLUGIN_DLL]" >&2
    exit 2
fi
if [ -z "${BLANKWISE_SCREEN_DISPLAY:-}" ]; then
    export BLANKWISE_SCREEN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

exe_dir="$(cd "$1" && pwd)"
out="$2"
plugin="${3:-}"
source "$root/tools/wine-env-for.sh" "$exe_dir/BlankwiseScreen.exe"
rm -rf "$out"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
    echo "screen-test: $*" | tee -a "$out/checks.log"
    failures=$((failures + 1))
}

# Standard deviation of the pixels in a region of a screenshot, from 0 (one colour) up.
spread() {
    convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:standard_deviation]' info:
}
# Share of the pixels in a region that differ between two screenshots, from 0 to 1.
changed() {
    convert "$1" -crop "$3" +repage "$scratch/a.png"
    convert "$2" -crop "$3" +repage "$scratch/b.png"
    local area differing
    area=$(convert "$scratch/a.png" -format '%[fx:w*h]' info:)
    differing=$(compare -metric AE -fuzz 4% "$scratch/a.png" "$scratch/b.png" null: 2>&1 | cut -d' ' -f1)
    awk -v d="$differing" -v a="$area" 'BEGIN { printf "%.4f", d / a }'
}
above() {
    awk -v v="$1" -v t="$2" 'BEGIN { exit !(v > t) }'
}

# Takes the screenshot a request asks for and checks it.
take() {
    local name="$1" request="$out/$1.request"
    local shot="$out/$name.png" before="$out/${name%-*}-before.png"
    import -window root "$shot"
    local kind x y w h geometry value
    while read -r kind x y w h; do
        [ "$kind" = menu ] || [ "$kind" = window ] || continue
        geometry="${w}x${h}+${x}+${y}"
        if [ "$kind" = menu ]; then
            value=$(spread "$shot" "$geometry")
            above "$value" 0.05 || fail "$name: the menu at $geometry is blank (spread $value)"
            value=$(changed "$shot" "$before" "$geometry")
            above "$value" 0.05 || fail "$name: the menu at $geometry looks like the screen before it opened ($value changed)"
            echo "$name: menu at $geometry drawn, $value of it differs from before" >>"$out/checks.log"
        else
            value=$(spread "$shot" "$geometry")
            above "$value" 0.05 || fail "$name: the window at $geometry is blank (spread $value)"
            if [[ "$name" == *-after ]]; then
                value=$(changed "$shot" "$before" "$geometry")
                above "$value" 0.0002 || fail "$name: the document looks the same as before the conversion"
                echo "$name: window at $geometry, $value of it differs from before" >>"$out/checks.log"
            fi
        fi
    done <"$request"
}

program=("$exe_dir/BlankwiseScreen.exe" "$(blankwise_windows_path "$out")")
[ -n "$plugin" ] && program+=("$(blankwise_windows_path "$plugin")")
"$BLANKWISE_WINE" "${program[@]}" >"$out/program.log" 2>&1 &
pid=$!

# Answers requests while the program runs; it waits for each answer before going on.
shopt -s nullglob
deadline=$((SECONDS + ${BLANKWISE_SCREEN_SECONDS:-240}))
while kill -0 "$pid" 2>/dev/null; do
    for request in "$out"/*.request; do
        name="$(basename "$request" .request)"
        [ -e "$out/$name.done" ] && continue
        take "$name"
        touch "$out/$name.done"
    done
    if [ "$SECONDS" -gt "$deadline" ]; then
        fail "the program did not finish in time"
        kill "$pid"
        break
    fi
    sleep 0.1
done
wait "$pid"
status=$?
blankwise_wait_for_wine
[ -n "${BLANKWISE_SCREEN_KEEP:-}" ] || rm -f "$out"/*.request "$out"/*.done

cat "$out/program.log"
[ "$status" -eq 0 ] || fail "BlankwiseScreen.exe exited with $status"
shots=("$out"/*-menu.png)
[ ${#shots[@]} -ge 1 ] || fail "no screenshot of the menu was taken"
shots=("$out"/*-submenu.png)
[ ${#shots[@]} -ge 4 ] || fail "fewer than four submenus were photographed"
echo "screenshots in $out"
[ "$failures" -eq 0 ] && echo "screen-test: passed" || echo "screen-test: $failures failed"
[ "$failures" -eq 0 ]
