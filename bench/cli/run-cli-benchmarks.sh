#!/usr/bin/env bash
# Builds blankwise (native preset, Release), generates the inputs once and prints the throughput
# ratios against expand, unexpand and sed, --widths unicode against cp932, the long-line cost and the
# peak memory, all measured in this run. Arguments: [BUILD_DIR [benchmark options...]]; the build directory defaults to
# build/native, the inputs go to build/cli-bench.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$root"
build_dir="${1:-build/native}"
shift || true
cmake --preset native -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target BlankwiseCli >/dev/null
launcher="$build_dir/cli-peak-memory"
if [ ! -x "$launcher" ] || [ bench/cli/peak_memory.cpp -nt "$launcher" ]; then
    g++ -O2 -o "$launcher" bench/cli/peak_memory.cpp
fi
corpus="build/cli-bench"
if [ ! -f "$corpus/long-line-50mb.cp932.txt" ] || [ ! -f "$corpus/document.jis.txt" ]; then
    python3 bench/cli/generate_corpus.py "$corpus"
fi
python3 bench/cli/benchmark.py "$launcher" "$build_dir/CommandLine/blankwise" "$corpus" "$@"
