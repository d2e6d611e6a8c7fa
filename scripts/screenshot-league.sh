#!/usr/bin/env bash
# Takes the guide's picture of the league table and the cost-effectiveness
# plane on the screening example.
#   scripts/screenshot-league.sh [PROGRAM [OUTPUT]]
# defaults: build/app/ramify, doc/league-table.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec "$root/scripts/screenshot.sh" "${1:-$root/build/app/ramify}" "$root/examples/Screening.rmproj" \
    "${2:-$root/doc/league-table.png}" league
