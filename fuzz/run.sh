#!/usr/bin/env bash
# Builds the project file fuzzer with clang in build-fuzz/ and runs it.
#   fuzz/run.sh [SECONDS]      default 60
# The corpus starts from the examples; findings are written to build-fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir="$root/build-fuzz"
if [ ! -f "$dir/CMakeCache.txt" ]; then
    CXX=clang++ cmake -S "$root/fuzz" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" -j 2
mkdir -p "$dir/corpus" "$dir/findings"
cp "$root"/examples/*.rmproj "$root"/fuzz/seeds/* "$dir/corpus/"
cd "$dir/findings"
# Entity declarations are refused, so no small input may take long or much memory.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$dir/fuzz_projectfile" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=16384 -dict="$root/fuzz/rmproj.dict" -print_final_stats=1 "$dir/corpus"
