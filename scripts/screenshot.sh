#!/usr/bin/env bash
# Takes the README's picture of the program: opens an example project through
# File > Open Project on an X server of its own, fits the whole tree into the
# window (View > Fit Tree) and saves the main window. With psa last, it
# first opens Analysis > Probabilistic Sensitivity... and waits for its run
# (scripts/screenshot-psa.sh, the guide's picture); with league, Analysis >
# League Table... (scripts/screenshot-league.sh).
#   scripts/screenshot.sh [PROGRAM [EXAMPLE [OUTPUT [psa|league]]]]
# defaults: build/app/ramify, examples/Launch.rmproj, doc/screenshot.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/app/ramify}
example=${2:-$root/examples/Launch.rmproj}
output=${3:-$root/doc/screenshot.png}
source "$root/tests/x11_session.sh"

x11_start "$program"
# The whole screen, so that a tree of a few dozen nodes stays readable.
xdo windowsize --sync "$main" 1280 800
project="$work/$(basename "$example")"
cp "$example" "$project"

x11_open_file "$project" "^Ramify - \\[.*$(basename "$example")\\]\$" || fail "the project did not open"
# The chosen path is drawn in red once the tree is painted.
tree_drawn() { [ "$(count_colour "$main" '#ff0000')" -ge 400 ]; }
wait_for 30 tree_drawn || fail "the tree was not drawn"
xdo windowfocus --sync "$main"
xdo key ctrl+0
if [ "${4:-}" = psa ] || [ "${4:-}" = league ]; then
    # The Analysis menu is the fourth; its last entry is the league table,
    # the one before it the probabilistic sensitivity.
    xdo key alt Down Right Right Right
    wait_for 30 menu_open || fail "the Analysis menu did not open"
    if [ "${4:-}" = psa ]; then xdo key Up Up Return; else xdo key Up Return; fi
    sleep 4
else
    sleep 1
fi

mkdir -p "$(dirname "$output")"
import -window "$main" "$work/shot.png"
convert "$work/shot.png" -strip "$output"
x11_exit || fail "File > Exit did not end the program cleanly"
echo "wrote $output ($(stat -c %s "$output") bytes)"
