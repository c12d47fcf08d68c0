#!/usr/bin/env bash
# Runs every test: the native suite (with and without the SSE2 paths), the Windows suite of the
# 32-bit build under Wine and of the 64-bit build under 64-bit Wine (code page 932 in both), the two
# Blankwise.dll compared, the native suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a bounded time; then prints one summary and
# how long each stage took. Installs what it needs first.
#
# Where this machine cannot run 32-bit Windows programs (the 32-bit Wine could not be installed, or
# the kernel runs no 32-bit code), the win32 build is still made and checked, but its tests under
# Wine are counted as skipped, and the run says why at its start and at its end.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

total_passed=0
total_failed=0
total_skipped=0
summary=()

timings=()
# Notes how long a stage took, from the time given (in SECONDS) to now.
note_time() {
    timings+=("$(printf '%-9s %4d s' "$1" $((SECONDS - $2)))")
}

# Configures and builds one preset; a failure counts as one failed test.
build_preset() {
    local preset="$1"
    local log="build/test-$preset.log"
    mkdir -p build
    echo "== $preset: configure and build"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; } >"$log.build" 2>&1; then
        tail -n 40 "$log.build"
        summary+=("$preset: BUILD FAILED")
        total_failed=$((total_failed + 1))
        return 1
    fi
}

# Builds one preset and counts its tests as skipped, with the reason.
skip_preset_tests() {
    local preset="$1" reason="$2" started=$SECONDS count
    if build_preset "$preset"; then
        count=$(ctest --preset "$preset" -N 2>/dev/null | sed -nE 's/^Total Tests: ([0-9]+)$/\1/p')
        total_skipped=$((total_skipped + ${count:-0}))
        summary+=("$preset: built; ${count:-0} tests skipped ($reason)")
    fi
    note_time "$preset" "$started"
}

# Runs one preset: configure, build, test. Counts the tests from CTest's closing line.
run_preset() {
    local preset="$1"
    shift
    local log="build/test-$preset.log"
    local started=$SECONDS
    if ! build_preset "$preset"; then
        note_time "$preset" "$started"
        return
    fi
    echo "== $preset: test"
    "$@" ctest --preset "$preset" 2>&1 | tee "$log"
    note_time "$preset" "$started"
    local line passed failed
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        summary+=("$preset: NO RESULT")
        total_failed=$((total_failed + 1))
        return
    fi
    failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    local all
    all=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((all - failed))
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    summary+=("$preset: $passed passed, $failed failed")
}

started=$SECONDS
bash tools/setup.sh || { echo "setup failed"; exit 1; }
source tools/wine-env.sh
source tools/win32-support.sh
note_time setup "$started"
win32_skipped=""
if win32_skipped=$(blankwise_win32_unavailable); then
    echo "NOTE: the 32-bit Windows tests will not run: $win32_skipped"
else
    win32_skipped=""
fi

run_preset native
# The same suite with the text kernels' scalar paths only.
run_preset scalar
# Windows programs that open windows, menus or message boxes need a display. The 64-bit suite is the
# same as the 32-bit one, run under 64-bit Wine in build/wineprefix64. Each suite keeps its prefix's
# Wine server up throughout, so that no program starts while the server is ending.
if [ -n "$win32_skipped" ]; then
    skip_preset_tests win32 "32-bit Windows programs cannot run here"
else
    run_preset win32 xvfb-run -a -s "-screen 0 1024x768x24" bash tools/wine-keep-server.sh tools/wine-env.sh
fi
run_preset win64 xvfb-run -a -s "-screen 0 1024x768x24" bash tools/wine-keep-server.sh tools/wine64-env.sh

# The two products read from their files: one test.
echo "== dlls: the 32-bit and the 64-bit Blankwise.dll compared"
if bash tools/compare-dlls.sh build/win32/Blankwise/Win32/Blankwise.dll build/win64/Blankwise/Win32/Blankwise.dll; then
    total_passed=$((total_passed + 1))
    summary+=("dlls: 1 passed, 0 failed")
else
    total_failed=$((total_failed + 1))
    summary+=("dlls: 0 passed, 1 failed")
fi

run_preset sanitize

# Each fuzz target for about 20 seconds on its corpus, one per core at a time; each run counts as
# one test. The output is shown as it comes and kept in a file (tee to /dev/stderr would reopen, and so empty, a log file
# that this script's output is redirected to).
started=$SECONDS
echo "== fuzz: each target for 20 s"
bash tools/fuzz.sh 20 | tee build/test-fuzz.log
fuzz_line=$(tail -n 1 build/test-fuzz.log)
if [[ "$fuzz_line" =~ ^fuzz:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
    total_passed=$((total_passed + BASH_REMATCH[1]))
    total_failed=$((total_failed + BASH_REMATCH[2]))
    summary+=("fuzz: ${BASH_REMATCH[1]} passed, ${BASH_REMATCH[2]} failed")
else
    summary+=("fuzz: NO RESULT")
    total_failed=$((total_failed + 1))
fi
note_time fuzz "$started"

echo
echo "== Time"
for line in "${timings[@]}"; do echo "  $line"; done
echo "  total     $(printf '%4d' "$SECONDS") s"
echo
echo "== Summary"
for line in "${summary[@]}"; do echo "  $line"; done
if [ -n "$win32_skipped" ]; then
    echo "NOTE: the 32-bit Windows tests were not run: $win32_skipped"
fi
if [ "$total_failed" -ne 0 ]; then
    echo "SOME TESTS FAILED"
elif [ "$total_skipped" -ne 0 ]; then
    echo "ALL TESTS THAT RAN PASSED"
else
    echo "ALL TESTS PASSED"
fi
echo "tests: $total_passed passed, $total_failed failed, $total_skipped skipped"
[ "$total_failed" -eq 0 ]
