#!/usr/bin/env bash
# Builds the native preset (Release) and runs the text transform benchmark; its "ratio" lines
# compare against `expand -t4` and Python measured in the same run. Pass a build directory as the
# first argument to build elsewhere than build/native; further arguments go to the benchmark.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build_dir="${1:-build/native}"
shift || true
cmake --preset native -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target TextTransformsBenchmark
"$build_dir/bench/TextTransformsBenchmark" "$@"
