#!/usr/bin/env bash
# Times Blankwise.dll's command in the host program under Wine on large documents with nothing
# selected: a 4 MB document of 80,000 CR LF lines and one line of 1 MB, each with all fifteen
# conversions, in the 32-bit and the 64-bit build from the same run, rounds interleaved, each
# figure the best of its rounds.
#
# For each id it prints the seconds in the plug-in (OnCommand less the host model's answering) of
# each build, the ratio 64-bit / 32-bit, each build's ratio to tabs-to-spaces (id 6), the host
# messages and changed lines, and `expand -t4` on the same file. Then, per build, where the time
# goes: the command's parts redone in the host with the plug-in's core (BlankwiseHost --steps):
# reading the text, each conversion step, the result-length estimate within it, the code page and
# locale calls the steps made, the write-back, and what Wine takes per host message.
#
# The first argument chooses the builds: win32, win64 or both (the default). Where the machine
# runs no 32-bit Windows code, it says so and prints the 64-bit figures beside the native build's
# steps on the same documents. BLANKWISE_BENCH_ROUNDS sets the rounds (3).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

builds="${1:-both}"
case "$builds" in
    win32 | win64 | both) ;;
    *)
        echo "usage: $0 [win32|win64|both]" >&2
        exit 2
        ;;
esac
host32=build/win32/Blankwise/Win32/BlankwiseHost.exe
host64=build/win64/Blankwise/Win32/BlankwiseHost.exe
native_steps=build/native/bench/ConversionSteps

build_host() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" --target BlankwiseHost | tail -n 1
}

if [ -z "${BLANKWISE_BENCH_UNDER_X:-}" ]; then
    no32=0
    if [ "$builds" != win64 ]; then
        source tools/win32-support.sh
        if reason=$(blankwise_win32_unavailable); then
            echo "This machine runs no 32-bit Windows code ($reason): the 64-bit figures are shown" \
                "beside the native build's steps."
            builds=win64
            no32=1
            cmake --preset native >/dev/null
            cmake --build --preset native --target ConversionSteps | tail -n 1
        else
            build_host win32
        fi
    fi
    if [ "$builds" != win32 ]; then
        build_host win64
    fi
    export BLANKWISE_BENCH_UNDER_X=1 BLANKWISE_BENCH_NO32="$no32"
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$builds"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Japanese words and ASCII between every kind of white space run, the same each time.
python3 - "$work" <<'PY'
import random, sys
random.seed(20240408)
words = ["会議", "資料", "確認", "仕様", "テスト", "項目", "data", "value", "x", "処理", "開始", "終了"]
gaps = ["\t", " ", "  ", "\u3000", "    ", "\t\t", " \t", "\u3000 "]

def piece():
    return random.choice(words) + random.choice(gaps)

def line(size):
    text = ""
    while len(text.encode()) < size:
        text += piece()
    return text

lines = [line(random.randint(28, 66)) for _ in range(80000)]
open(sys.argv[1] + "/lines.txt", "wb").write(("\r\n".join(lines) + "\r\n").encode())
open(sys.argv[1] + "/line.txt", "wb").write(line(1 << 20).encode())
PY

now() { date +%s.%N; }
expand_seconds() {
    local start
    start=$(now)
    expand -t4 "$1" >/dev/null
    awk -v from="$start" -v to="$(now)" 'BEGIN { printf "%.3f", to - from }'
}

# The runs of one build on one document: one process per round runs all fifteen conversions, each
# on the document as read, so that Wine's start-up is paid once per round, not once per id.
run_build() {
    local build="$1" file="$2" out="$3"
    case "$build" in
        32-bit) tools/wine-run.sh "$host32" --choose-each 1-15 --stats --steps "$file" ;;
        64-bit) tools/wine64-run.sh "$host64" --choose-each 1-15 --stats --steps "$file" ;;
        native) "$native_steps" "$file" 1 ;;
    esac >"$out"
}

case "$builds" in
    win32) compared=(32-bit) ;;
    win64) compared=(64-bit) ;;
    both) compared=(32-bit 64-bit) ;;
esac
if [ "${BLANKWISE_BENCH_NO32:-0}" = 1 ]; then
    compared=(64-bit native)
fi

rounds="${BLANKWISE_BENCH_ROUNDS:-3}"
table() {
    local label="$1" file="$2" name="$3"
    local expand_time build round
    expand_time=$(expand_seconds "$file")
    local -A outputs=()
    for round in $(seq "$rounds"); do
        for build in "${compared[@]}"; do
            run_build "$build" "$file" "$work/$name-$build-$round.txt"
            outputs[$build]+="${outputs[$build]:+,}$work/$name-$build-$round.txt"
        done
    done
    local arguments=()
    for build in "${compared[@]}"; do
        arguments+=("$build=${outputs[$build]}")
    done
    python3 bench/host_benchmark_table.py "$label" "$expand_time" "${arguments[@]}"
}

table "80,000 lines, $(($(stat -c %s "$work/lines.txt") / 1000)) kB" "$work/lines.txt" lines
table "1 line, $(($(stat -c %s "$work/line.txt") / 1000)) kB" "$work/line.txt" line
# Each prefix's server ends before the display does.
for build in "${compared[@]}"; do
    case "$build" in
        32-bit) (source tools/wine-env.sh && wineserver -w) ;;
        64-bit) (source tools/wine64-env.sh && wineserver -w) ;;
    esac
done
