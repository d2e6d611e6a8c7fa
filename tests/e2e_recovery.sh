#!/usr/bin/env bash
# Kills the real program with unsaved edits and starts it again. Catches:
# unsaved work lost with the program, a recovered tree that differs from the
# edited one, a copy that outlives a clean save, and one instance offering
# (and so taking) the copy of another that still runs.
#   e2e_recovery.sh PROGRAM EXAMPLE.rmproj
set -euo pipefail
source "$(dirname "$0")/x11_session.sh"

x11_start "$1"
project="$work/plan.rmproj"
cp "$2" "$project"
store="$XDG_DATA_HOME/ramify/recovery"
copies() { find "$store" -name '*.rmproj' 2>/dev/null; }
copy_nodes() { [ "$(cat $(copies) /dev/null | grep -c '<Node ')" -eq "$1" ]; }

x11_click_file_entry 2
wait_for 30 window_shown '^Open File$' || fail "the file dialog did not show"
xdo windowfocus --sync "$(visible_windows '^Open File$' | head -n 1)"
xdo type --delay 5 "$project"
xdo key Return
wait_for 30 window_shown 'plan\.rmproj\]$' || fail "the project did not open"

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

# A second instance must leave the running one's copy alone.
"$1" >>"$work/program.log" 2>&1 &
second=$!
wait_for 60 eval '[ -n "$(xdo search --onlyvisible --pid $second --name "^Ramify$")" ]' ||
    fail "the second instance did not start"
sleep 2
[ -n "$(xdo search --onlyvisible --name '^Recovery$' 2>/dev/null)" ] &&
    fail "the second instance offered the running one's copy"
kill -KILL "$second" "$program_pid"
wait "$second" "$program_pid" 2>/dev/null || true
cmp -s "$(copies)" "$work/edited.rmproj" || fail "the copy changed after the last edit"

# Started again: the copy is offered, recovered as modified under the
# project's own path, and Save writes it there.
x11_launch "$1"
wait_for 30 window_shown '^Recovery$' || fail "the recovery copy was not offered"
xdo windowfocus --sync "$(visible_windows '^Recovery$' | head -n 1)"
xdo key Return
wait_for 30 window_shown 'plan\.rmproj\*\]$' || fail "the recovered project is not shown modified: $(xwininfo -root -tree | grep -F '"')"
xdo windowfocus --sync "$main"
xdo key ctrl+s
wait_for 30 window_shown 'plan\.rmproj\]$' || fail "Save did not clear the mark"
cmp "$project" "$work/edited.rmproj" || fail "the saved tree is not the edited one"
wait_for 30 eval '[ -z "$(copies)" ]' || fail "a copy outlived the save: $(copies)"

status=0
x11_exit || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ -z "$(ls -A "$store")" ] || fail "folders left in the store: $(ls -A "$store")"
echo "PASS: killed with unsaved edits, recovered, saved; no copy left behind"
