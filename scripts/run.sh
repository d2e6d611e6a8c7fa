#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ramify.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/app/ramify" "$@"
