#!/usr/bin/env bash
# Runs the libFuzzer targets, as many at a time as the machine has cores (BLANKWISE_FUZZ_JOBS to
# choose), each for the given number of seconds (default 30), starting from its checked-in corpus in
# fuzz/corpus/<target>/. Inputs that reach new code are kept
# in build/fuzz-corpus/<target>/ (not checked in); a finding (a crash, a sanitizer report, a broken
# property, an input that runs longer than 10 s) is saved in build/fuzz-findings/<target>/ and makes
# the script fail. Keep every finding, once fixed, as a regression case: copy it into
# fuzz/corpus/<target>/ under a name that says what it caught.
#
#   tools/fuzz.sh [seconds] [target ...]
#
# Builds the sanitize preset's fuzz targets first; prints executions per second and total
# executions of each run, then "fuzz: N passed, N failed".
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

mkdir -p build
seconds="${1:-30}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(LineListFuzzer ReplacePatternsFuzzer TabTransformsFuzzer WriteBackFuzzer TextDecodingFuzzer
             HostileHostFuzzer)
fi

if ! { cmake --preset sanitize >/dev/null && cmake --build --preset sanitize --target "${targets[@]}"; } \
    >build/fuzz-build.log 2>&1; then
    tail -n 40 build/fuzz-build.log
    echo "fuzz: 0 passed, ${#targets[@]} failed"
    exit 1
fi

mkdir -p build/fuzz-logs
# One target's run: its log in build/fuzz-logs/<target>.log, its line of the report in
# <target>.result, and that line's first word PASSED or FINDING.
fuzz_target() {
    local target="$1"
    local work="build/fuzz-corpus/$target"
    local findings="build/fuzz-findings/$target"
    local log="build/fuzz-logs/$target.log"
    mkdir -p "$work" "$findings"
    "build/sanitize/fuzz/$target" "$work" "fuzz/corpus/$target" -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
    local status=$?
    local runs speed
    runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    speed=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    if [ "$status" -eq 0 ]; then
        echo "PASSED   $target: ${runs:-?} executions in ${seconds} s, ${speed:-?} per second"
    else
        echo "FINDING  $target: FINDING after ${runs:-?} executions (exit $status), kept in $findings/"
        grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$log" | head -n 20
    fi >"build/fuzz-logs/$target.result"
}

jobs="${BLANKWISE_FUZZ_JOBS:-$(nproc)}"
for target in "${targets[@]}"; do
    rm -f "build/fuzz-logs/$target.result"
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n
    done
    fuzz_target "$target" &
done
wait

passed=0
failed=0
for target in "${targets[@]}"; do
    result="build/fuzz-logs/$target.result"
    if [ -f "$result" ] && [ "$(head -c 6 "$result")" = PASSED ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        [ -f "$result" ] || echo "FINDING  $target: no result (the run did not finish)" >"$result"
    fi
    sed -E '1s/^(PASSED|FINDING) +/  /' "$result"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
