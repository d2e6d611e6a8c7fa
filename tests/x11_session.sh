# Helpers for driving the real program on an X server of its own, sourced by
# the end-to-end test and by scripts/screenshot.sh. Every wait is bounded.
#   x11_start PROGRAM [ARG...]   starts Xvfb and the program, sets $work, $main
#   x11_launch PROGRAM [ARG...]  starts the program again on the same server
#   x11_stop            ends both and removes $work (also run on exit)

work=$(mktemp -d)
xvfb_pid=""
program_pid=""
main=""
# The file that keeps other copies of these tests off our display.
claim=""
display_number=""

x11_stop() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    program_pid=""
    x11_server_stop
    rm -rf "$work"
}

x11_server_stop() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    xvfb_pid=""
    [ -z "$claim" ] || rm -f "$claim"
    claim=""
}
trap x11_stop EXIT
# A test run that times out ends the shell with a signal: clean up then too.
trap 'exit 1' TERM INT HUP

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$work/program.log" ]; then
        echo "--- program output ---" >&2
        cat "$work/program.log" >&2
    fi
    exit 1
}

# Waits up to $1 seconds for a command to succeed.
wait_for() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@"; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            return 1
        fi
        sleep 0.1
    done
}

# xdotool with a bound: --sync waits for the server to confirm.
xdo() { timeout 30 xdotool "$@"; }

program_running() { [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; }
program_ended() { ! program_running; }

# The program's visible windows whose title matches $1, a regular expression
# matched without regard to case. (--all: by default xdotool takes a window
# that meets any one of the conditions.)
visible_windows() { xdo search --all --onlyvisible --pid "$program_pid" --name "$1" 2>/dev/null; }
window_shown() { [ -n "$(visible_windows "$1")" ]; }
# An open menu is a second visible window of the program.
menu_open() { [ "$(visible_windows '' | wc -l)" -ge 2 ]; }

# Pixels of exactly colour $2 in a picture of window $1.
count_colour() {
    import -window "$1" "$work/count.png" &&
        convert "$work/count.png" -fill black +opaque "$2" -fill white -opaque "$2" \
            -format '%[fx:round(mean*w*h)]' info:
}

x11_start() {
    local tool
    for tool in Xvfb xdotool xwininfo import convert; do
        command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh"
    done

    x11_server
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # Recovery copies go here, never into the user's own data folder.
    export XDG_DATA_HOME="$work/data"
    # And the program's own choices (recent files...) not into the user's.
    export XDG_CONFIG_HOME="$work/config"
    # Two libraries below Qt's X11 platform leak at exit, which the sanitizer
    # build reports; neither is needed here, so neither is loaded:
    # - with no session bus named, libdbus tries to launch one and leaks the
    #   buffer of that failed try (Qt asks the bus for a global menu bar);
    #   an address where no bus listens fails at once instead;
    # - Mesa's GLX driver, loaded by Qt's GLX integration for every window,
    #   leaks from its one-time set-up; the program draws without OpenGL.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
    export QT_XCB_GL_INTEGRATION=none
    x11_launch "$@"
}

# Claims a display number that nothing uses and no other copy of these tests
# has claimed: the claim is a file made only if it does not exist yet, so of
# two runs that pick the same number one gets it. Numbers from 100 up, from a
# random start, stay clear of the ones people pick by hand.
x11_claim_display() {
    local start=$((RANDOM % 800)) i n
    for ((i = 0; i < 800; ++i)); do
        n=$((100 + (start + i) % 800))
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        if (set -o noclobber && echo "$$" >"/tmp/.ramify-X$n.lock") 2>/dev/null; then
            claim="/tmp/.ramify-X$n.lock"
            display_number=$n
            return 0
        fi
    done
    return 1
}

server_ready() { test -s "$work/display" || ! kill -0 "$xvfb_pid" 2>/dev/null; }

# Whether our server holds $DISPLAY: alive, listening, and answering there.
server_proven() {
    kill -0 "$xvfb_pid" 2>/dev/null && [ -S "/tmp/.X11-unix/X$display_number" ] &&
        timeout 10 xwininfo -root -display "$DISPLAY" >/dev/null 2>&1
}

# Starts Xvfb on a display proven free, and again on another when a server
# that does not look at claims (started by hand, or by another program) wins
# the number first.
x11_server() {
    local try
    for ((try = 1; try <= 10; ++try)); do
        x11_server_stop
        x11_claim_display || fail "no free display number"
        : >"$work/display"
        # fd 3 gets the number once the server accepts connections.
        Xvfb ":$display_number" -displayfd 3 -screen 0 1280x800x24 -nolisten tcp \
            3>"$work/display" >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        wait_for 30 server_ready || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
        export DISPLAY=":$display_number"
        server_proven && return 0
        echo "display :$display_number was taken, trying another" >&2
    done
    fail "Xvfb lost every display it tried: $(cat "$work/xvfb.log")"
}

# Starts the program (again) on the running server and waits for its window.
x11_launch() {
    # A program that could not reach the server (which another suite's
    # cleanup or a starved machine may take away) starts again on a fresh
    # server: ours has been seen to answer xwininfo yet refuse the program.
    local try
    for ((try = 1; try <= 3; ++try)); do
        "$@" >>"$work/program.log" 2>&1 &
        program_pid=$!
        # With a project in front the title names it too.
        wait_for 60 eval 'window_shown "^Ramify( - \[.*\])?$" || program_ended' ||
            fail "the main window did not show"
        program_running && break
        grep -q 'could not connect to display' "$work/program.log" ||
            fail "the program ended before its window showed"
        echo "the program could not reach $DISPLAY, starting it again" >&2
        x11_server
    done
    window_shown '^Ramify( - \[.*\])?$' || fail "the main window did not show"
    main=$(visible_windows '^Ramify( - \[.*\])?$' | head -n 1)
    xdo windowfocus --sync "$main"
}

# Opens the File menu by a click on its title and runs its entry number $1
# (1 = New Project); the menu is the first in the bar while no sub-window is
# maximised.
x11_click_file_entry() {
    xdo mousemove --window "$main" 15 10 click 1
    wait_for 30 menu_open || fail "the File menu did not open"
    local i
    for ((i = 0; i < $1; ++i)); do
        xdo key Down
    done
    xdo key Return
}

# File > Open... with the path typed into the dialog, until a window titled
# to match $2 shows. Under load the dialog may take its focus after the first
# keys are typed, which then open nothing, so the path is typed again (over
# whatever the field holds) up to three times. Returns the last wait's status.
x11_open_file() {
    local attempt
    for attempt in 1 2 3; do
        if ! window_shown '^Open File$'; then
            # A message about the mistyped path, if any, goes first.
            [ "$attempt" -eq 1 ] || xdo key Return
            x11_click_file_entry 2
            wait_for 30 window_shown '^Open File$' || continue
        fi
        xdo windowfocus --sync "$(visible_windows '^Open File$' | head -n 1)"
        xdo key ctrl+a
        xdo type --delay 5 "$1"
        xdo key Return
        wait_for 20 window_shown "$2" && return 0
    done
    return 1
}

# File > Exit from the keyboard: Alt selects the menu bar, Down opens the
# File menu, Up wraps round to its last entry. Returns the exit status.
x11_exit() {
    xdo windowfocus --sync "$main"
    xdo key alt Down
    wait_for 30 menu_open || fail "the File menu did not open for Exit"
    xdo key Up Return
    wait_for 60 program_ended || fail "File > Exit did not end the program"
    local status=0
    wait "$program_pid" || status=$?
    program_pid=""
    return "$status"
}
