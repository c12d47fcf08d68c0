#!/usr/bin/env bash
# Runs the libFuzzer targets one after another, each for the given number of seconds (default 30),
# starting from its checked-in corpus in fuzz/corpus/<target>/. Inputs that reach new code are kept
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

passed=0
failed=0
mkdir -p build/fuzz-logs
for target in "${targets[@]}"; do
    work="build/fuzz-corpus/$target"
    findings="build/fuzz-findings/$target"
    log="build/fuzz-logs/$target.log"
    mkdir -p "$work" "$findings"
    "build/sanitize/fuzz/$target" "$work" "fuzz/corpus/$target" -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
    status=$?
    runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    speed=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "  $target: ${runs:-?} executions in ${seconds} s, ${speed:-?} per second"
    else
        failed=$((failed + 1))
        echo "  $target: FINDING after ${runs:-?} executions (exit $status), kept in $findings/"
        grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$log" | head -n 20
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
