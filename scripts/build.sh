#!/usr/bin/env bash
# Configures (once) and builds one build folder.
#   scripts/build.sh DIR [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@"
else
    cmake "$dir" "$@" >/dev/null
fi
cmake --build "$dir" -j 2
