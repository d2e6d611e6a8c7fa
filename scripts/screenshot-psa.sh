#!/usr/bin/env bash
# Takes the guide's picture of the probabilistic sensitivity analysis: opens
# the seismic oil example, then Analysis > Probabilistic Sensitivity..., and
# saves the main window once the first run is shown.
#   scripts/screenshot-psa.sh [PROGRAM [OUTPUT]]
# defaults: build/app/ramify, doc/probabilistic-sensitivity.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/app/ramify}
example=$root/examples/OilSeismic.rmproj
output=${2:-$root/doc/probabilistic-sensitivity.png}
source "$root/tests/x11_session.sh"

x11_start "$program"
xdo windowsize --sync "$main" 1280 800
project="$work/$(basename "$example")"
cp "$example" "$project"

x11_open_file "$project" "^Ramify - \\[.*$(basename "$example")\\]\$" || fail "the project did not open"
tree_drawn() { [ "$(count_colour "$main" '#ff0000')" -ge 400 ]; }
wait_for 30 tree_drawn || fail "the tree was not drawn"
xdo windowfocus --sync "$main"
xdo key ctrl+0
# The Analysis menu is the fourth; its last entry opens the panel.
xdo key alt Down Right Right Right
wait_for 30 menu_open || fail "the Analysis menu did not open"
xdo key Up Return
sleep 4

mkdir -p "$(dirname "$output")"
import -window "$main" "$work/shot.png"
convert "$work/shot.png" -strip "$output"
x11_exit || fail "File > Exit did not end the program cleanly"
echo "wrote $output ($(stat -c %s "$output") bytes)"
