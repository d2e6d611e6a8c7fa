#!/usr/bin/env bash
# Kills the real program with unsaved edits and starts it again. Catches:
# unsaved work lost with the program, a recovered tree that differs from the
# edited one, and a copy that outlives a clean save.
#   e2e_recovery.sh PROGRAM EXAMPLE.rmproj
set -euo pipefail
source "$(dirname "$0")/x11_session.sh"

x11_start "$1"
project="$work/plan.rmproj"
cp "$2" "$project"
store="$XDG_DATA_HOME/ramify/recovery"
copies() { find "$store" -name '*.rmproj' 2>/dev/null; }
copy_nodes() { [ "$(cat $(copies) /dev/null | grep -c '<Node ')" -eq "$1" ]; }

x11_open_file "$project" 'plan\.rmproj\]$' || fail "the project did not open"

# Twice "Add Option" on the Decision (the one green box): two options with a
# Terminal each, so the 10 nodes of the example become 18.
decision_at() {
    import -window "$main" "$work/shot.png"
    convert "$work/shot.png" -fill black +opaque '#00ff00' -fill white -opaque '#00ff00' \
        -trim -format '%[fx:int(page.x+w/2)] %[fx:int(page.y+h/2)]\n' info:
}
for nodes in 14 18; do
    read -r x y < <(decision_at)
    xdo mousemove --window "$main" "$x" "$y" click 3
    wait_for 30 menu_open || fail "the Decision's menu did not open"
    xdo key Down Return
    wait_for 30 window_shown '^Add Option Dialog$' || fail "the add-option dialog did not show"
    xdo windowfocus --sync "$(visible_windows '^Add Option Dialog$' | head -n 1)"
    xdo key Return
    wait_for 30 window_shown 'plan\.rmproj\*\]$' || fail "the edit did not mark the project"
    # The copy follows within seconds of the last edit, or half a minute of
    # the one before.
    wait_for 60 copy_nodes "$nodes" || fail "no recovery copy of $nodes nodes: $(copies)"
done
cp "$(copies)" "$work/edited.rmproj"

kill -KILL "$program_pid"
wait "$program_pid" 2>/dev/null || true

# Started again: the copy is offered, recovered as modified under the
# project's own path, and Save writes it there.
x11_launch "$1"
wait_for 30 window_shown '^Recovery$' || fail "the recovery copy was not offered"
xdo windowfocus --sync "$(visible_windows '^Recovery$' | head -n 1)"
xdo key Return
wait_for 30 window_shown 'plan\.rmproj\*\]$' || fail "the recovered project is not shown modified"
xdo windowfocus --sync "$main"
xdo key ctrl+s
wait_for 30 window_shown 'plan\.rmproj\]$' || fail "Save did not clear the mark"
cmp "$project" "$work/edited.rmproj" || fail "the saved tree is not the edited one"
wait_for 30 eval '[ -z "$(copies)" ]' || fail "a copy outlived the save: $(copies)"

x11_exit || fail "File > Exit did not end the program with status 0"
[ -z "$(ls -A "$store")" ] || fail "folders left in the store: $(ls -A "$store")"
echo "PASS: killed with unsaved edits, recovered, saved; no copy left behind"
