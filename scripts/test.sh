#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
#   scripts/test.sh                 normal build in build/
#   scripts/test.sh --werror        warnings are errors
#   scripts/test.sh --sanitize      AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build"
options=()
for arg in "$@"; do
    case "$arg" in
    --werror) options+=(-DRAMIFY_WERROR=ON) ;;
    --sanitize)
        dir="$root/build-asan"
        options+=(-DRAMIFY_SANITIZE=ON -DRAMIFY_WERROR=ON -DCMAKE_BUILD_TYPE=Debug)
        ;;
    *)
        echo "unknown option: $arg" >&2
        exit 2
        ;;
    esac
done
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$dir" "${options[@]}"
cd "$dir"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
ctest --output-on-failure -j 2
