#!/usr/bin/env bash
# Runs the real program on an X server of its own and uses it as a person
# would: File > New Project, Enter in the dialog, a look at the window that
# opens, then File > Exit, which must end the program with status 0.
#   e2e_newproject.sh PROGRAM
set -euo pipefail
source "$(dirname "$0")/x11_session.sh"

x11_start "$1"

x11_click_file_entry 1
wait_for 30 window_shown '^CNewProjectDialog$' || fail "the new-project dialog did not show"
dialog=$(visible_windows '^CNewProjectDialog$' | head -n 1)
xdo windowfocus --sync "$dialog"
# Enter accepts the proposed name.
xdo key Return

# The new project's sub-window is maximised, so the main window's title
# carries its name, without the mark of an unmodified project.
wait_for 30 window_shown '^Ramify - \[Project1\]$' ||
    fail "no maximised sub-window titled Project1; windows: $(xwininfo -root -tree | grep -F '"')"
if window_shown '^CNewProjectDialog$'; then
    fail "the new-project dialog stayed open"
fi
# The new tree's Root is drawn as a red box.
root_drawn() { [ "$(count_colour "$main" '#ff0000')" -ge 400 ]; }
wait_for 30 root_drawn || fail "the new project's Root is not drawn"

status=0
x11_exit || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASS: a new project from the File menu, then Exit with status 0"
