#!/usr/bin/env bash
# The real program's command line. First pictures, without any display: a
# failure must not pass for success. Then, on an X server of its own, a good
# project, one that is not a project, and a second good one: each opens in a
# sub-window of its own, the bad one with the message Open Project gives.
#   e2e_commandline.sh PROGRAM EXAMPLES_FOLDER
set -euo pipefail
source "$(dirname "$0")/x11_session.sh"
first="$work/First.rmproj"
bad="$work/Bad.rmproj"
second="$work/Second.rmproj"
cp "$2/Plan.rmproj" "$first"
cp "$2/Party.rmproj" "$second"
echo "not a project" >"$bad"

# Prints the exit status of an export when it is not 0.
export_status() {
    local program=$1
    shift
    (unset DISPLAY QT_QPA_PLATFORM && "$program" --export "$@" 2>/dev/null) || echo $?
}
[ -z "$(export_status "$1" "$work/tree.svg" --arrange "$first")" ] && [ -s "$work/tree.svg" ] ||
    fail "no picture written without a display"
[ "$(export_status "$1" "$work/bad.png" "$bad")" = 1 ] || fail "an unreadable project must exit with 1"
[ "$(export_status "$1" "$work/tree.gif" "$first")" = 2 ] || fail "a .gif picture is a usage error"
[ ! -e "$work/bad.png" ] || fail "a failed export left a picture"

x11_start "$1" "$first" "$bad" "$second"

# The files open once the main window is up; the bad one stops at its message.
wait_for 30 window_shown '^Open Project$' || fail "no message about $bad"
xdo windowfocus --sync "$(visible_windows '^Open Project$' | head -n 1)"
xdo key Return
wait_for 30 program_ended && fail "the program ended after the message"

# Sub-windows open maximised, so the main window's title names the project
# in front. Each is closed in turn until none is left.
tree_drawn() { [ "$(count_colour "$main" '#ff0000')" -ge 400 ]; }
in_front() { xdo getwindowname "$main" | sed -n 's/^Ramify - \[\(.*\)\]$/\1/p'; }
left=("$first" "$bad" "$second")
while [ ${#left[@]} -gt 0 ]; do
    wait_for 30 test -n "$(in_front)" || fail "no sub-window in front; left: ${left[*]}"
    shown=$(in_front)
    remaining=()
    for file in "${left[@]}"; do [ "$file" = "$shown" ] || remaining+=("$file"); done
    [ ${#remaining[@]} -lt ${#left[@]} ] || fail "unexpected sub-window $shown; left: ${left[*]}"
    left=("${remaining[@]}")
    if [ "$shown" != "$bad" ]; then
        wait_for 30 tree_drawn || fail "the tree of $shown is not drawn"
    fi
    # File > Close Project, the sixth entry.
    xdo windowfocus --sync "$main"
    xdo key alt Down
    wait_for 30 menu_open || fail "the File menu did not open"
    xdo key Down Down Down Down Down Return
    gone() { [ "$(in_front)" != "$shown" ]; }
    wait_for 30 gone || fail "File > Close Project left $shown open"
done
wait_for 30 window_shown '^Ramify$' || fail "a sub-window is still open"

status=0
x11_exit || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASS: three files from the command line, each in its own sub-window"
