#!/usr/bin/env bash
# Takes the guide's picture of the probabilistic sensitivity analysis on the
# seismic oil example, once the panel's first run is shown.
#   scripts/screenshot-psa.sh [PROGRAM [OUTPUT]]
# defaults: build/app/ramify, doc/probabilistic-sensitivity.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec "$root/scripts/screenshot.sh" "${1:-$root/build/app/ramify}" "$root/examples/OilSeismic.rmproj" \
    "${2:-$root/doc/probabilistic-sensitivity.png}" psa
