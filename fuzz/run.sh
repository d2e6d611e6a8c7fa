#!/usr/bin/env bash
# Builds the fuzzers with clang in build-fuzz/ and runs each of them in turn
# (or those named), SECONDS each:
#   fuzz/run.sh [SECONDS] [TARGET...]      default 60, every target
# Each corpus starts from its seeds: the examples and fuzz/seeds/ for the
# targets that read files, fuzz/seeds/TARGET/ for the others; each has its
# dictionary: rmproj.dict for project files, peerjson.dict, formula.dict,
# number.dict and analyses.dict. Findings are written to build-fuzz/findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_projectfile fuzz_peerjson fuzz_formula fuzz_number fuzz_analyses fuzz_editor)
fi
dir="$root/build-fuzz"
if [ ! -f "$dir/CMakeCache.txt" ]; then
    CXX=clang++ cmake -S "$root/fuzz" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" -j 2 --target "${targets[@]}"
mkdir -p "$dir/findings"
cd "$dir/findings"
for target in "${targets[@]}"; do
    corpus="$dir/corpus-$target"
    mkdir -p "$corpus"
    case $target in
        fuzz_projectfile | fuzz_peerjson | fuzz_editor)
            cp "$root"/examples/*.rmproj "$root"/examples/*.json "$root"/fuzz/seeds/*.* "$corpus/" ;;
        *)
            cp "$root/fuzz/seeds/$target"/* "$corpus/" ;;
    esac
    case $target in
        fuzz_peerjson) dict=peerjson.dict ;;
        fuzz_formula) dict=formula.dict ;;
        fuzz_number) dict=number.dict ;;
        fuzz_analyses) dict=analyses.dict ;;
        *) dict=rmproj.dict ;;
    esac
    # Entity declarations are refused, so no small input may take long or much memory.
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$root/fuzz/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
        "$dir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=16384 -dict="$root/fuzz/$dict" -print_final_stats=1 "$corpus"
done
