#!/usr/bin/env bash
# Builds the fuzzers with clang in build-fuzz/ and runs each of them in turn:
# the project file reader, then the editor window on the offscreen platform.
#   fuzz/run.sh [SECONDS]      default 60, for each fuzzer
# Each corpus starts from the examples and the seeds; findings are written to
# build-fuzz/findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir="$root/build-fuzz"
if [ ! -f "$dir/CMakeCache.txt" ]; then
    CXX=clang++ cmake -S "$root/fuzz" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" -j 2
mkdir -p "$dir/findings"
cd "$dir/findings"
for target in fuzz_projectfile fuzz_editor; do
    mkdir -p "$dir/corpus-$target"
    cp "$root"/examples/*.rmproj "$root"/fuzz/seeds/* "$dir/corpus-$target/"
    # Entity declarations are refused, so no small input may take long or much memory.
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$root/fuzz/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
        "$dir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=16384 -dict="$root/fuzz/rmproj.dict" -print_final_stats=1 "$dir/corpus-$target"
done
