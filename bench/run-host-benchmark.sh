#!/usr/bin/env bash
# Times Blankwise.dll's command in the host program under Wine on large documents with nothing
# selected: a 4 MB document of 80,000 CR LF lines and one line of 1 MB, each with ids 5, 6, 10
# and 15 (spaces to tabs, tabs to spaces, runs to one space, all deleted). For each run it prints
# the seconds OnCommand took, split into the time the host's model spent answering messages and
# the rest (the plug-in), the host messages sent and the messages per changed line, beside
# `expand -t4` on the same file in the same run.
# The first argument is the win32 build directory (default build/win32).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source tools/wine-env.sh

build_dir="${1:-build/win32}"
if [ -z "${BLANKWISE_BENCH_UNDER_X:-}" ]; then
    cmake --preset win32 -B "$build_dir" >/dev/null
    cmake --build "$build_dir" --target BlankwiseHost | tail -n 1
    export BLANKWISE_BENCH_UNDER_X=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build_dir"
fi

host="$build_dir/Blankwise/Win32/BlankwiseHost.exe"
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

printf '%-28s %3s %9s %9s %9s %9s %9s %10s %9s %9s\n' document id OnCommand "host" "plug-in" messages changed "msgs/line" "expand" "plug-in/"
printf '%-28s %3s %9s %9s %9s %9s %9s %10s %9s %9s\n' "" "" seconds seconds seconds "" lines "" seconds expand
run() {
    local label="$1" file="$2" id="$3"
    local figures
    figures=$(wine "$host" --choose "$id" --stats "$file")
    local seconds host_seconds plugin_seconds messages changed per_line
    seconds=$(sed -n 's/^seconds: //p' <<<"$figures")
    host_seconds=$(sed -n 's/^seconds answering host messages: //p' <<<"$figures")
    plugin_seconds=$(sed -n 's/^seconds in the plug-in: //p' <<<"$figures")
    messages=$(sed -n 's/^host messages: //p' <<<"$figures")
    changed=$(sed -n 's/^changed lines: //p' <<<"$figures")
    per_line=$(sed -n 's/^messages per changed line: //p' <<<"$figures")
    local expand_time ratio
    expand_time=$(expand_seconds "$file")
    ratio=$(awk -v a="$plugin_seconds" -v b="$expand_time" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }')
    printf '%-28s %3s %9s %9s %9s %9s %9s %10s %9s %9s\n' "$label" "$id" "$seconds" "$host_seconds" \
        "$plugin_seconds" "$messages" "$changed" "$per_line" "$expand_time" "$ratio"
}

lines_label="80,000 lines, $(( $(stat -c %s "$work/lines.txt") / 1000 )) kB"
line_label="1 line, $(( $(stat -c %s "$work/line.txt") / 1000 )) kB"
for id in 5 6 10 15; do
    run "$lines_label" "$work/lines.txt" "$id"
done
for id in 5 6 10 15; do
    run "$line_label" "$work/line.txt" "$id"
done
wineserver -w
