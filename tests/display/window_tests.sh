#!/usr/bin/env bash
# Runs QtTest window tests on a real desktop instead of the offscreen platform, each test program in turn:
#   wayland: a player's Wayland session: the weston compositor (its X11 backend, which has a seat: keyboard,
#            pointer and clipboard, where Debian 12's headless backend has none) inside a private Xvfb, with XWayland
#            and Qt's Wayland plugin, and no platform chosen, so that Qt and the tests choose as the program does;
#   x11:     the openbox window manager on a private Xvfb, with Qt's xcb plugin;
#   bare:    a private Xvfb without a window manager (a kiosk, a remote session), with Qt's xcb plugin.
# The servers are started here and stopped again. TARNWICK_TEST_DESKTOP tells the tests which desktop it is.
# Usage: window_tests.sh <wayland|x11|bare> <Qt's platform plugin folder> <test>...
# Exit 77 (skip) when a tool is missing, except under CI, where the set-up must have installed it.
set -euo pipefail

mode=$1
plugins=$2
shift 2

missing=()
need() { command -v "$1" >/dev/null || missing+=("$1"); }
need Xvfb
case $mode in
wayland)
    need weston
    need Xwayland
    need xdotool
    [ -e "$plugins/libqwayland-generic.so" ] || missing+=("Qt's Wayland plugin (qt6-wayland)")
    ;;
x11)
    need openbox
    need xprop
    need xdotool
    ;;
bare)
    need xdotool
    ;;
*)
    echo "unknown mode $mode" >&2
    exit 2
    ;;
esac
if [ ${#missing[@]} -gt 0 ]; then
    echo "missing: ${missing[*]}" >&2
    [ -n "${CI:-}" ] && exit 1
    exit 77
fi

work=$(mktemp -d) # 0700, as a Wayland runtime folder must be
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# -displayfd picks a free display number, so that parallel runs do not collide. -noreset: by default the server
# resets when its last client leaves, and a test program starting in that moment cannot connect.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "${pids[0]}" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
export XDG_RUNTIME_DIR=$work

# Waits until the command succeeds while the server started last runs, or fails with its log.
wait_for() {
    local log=$1 what=$2
    shift 2
    for _ in $(seq 200); do
        "$@" && return 0
        kill -0 "${pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    cat "$log" >&2
    echo "$what did not start" >&2
    exit 1
}

if [ "$mode" = wayland ]; then
    # The CPU renderer: no GL is needed. The desktop shell activates each window it maps, as desktops do, and gives
    # the keyboard back at once when one closes (not after fading it out). weston names the X display it listens on
    # for XWayland, which it starts when the first X client connects.
    printf '[shell]\nclose-animation=none\n' >"$work/weston.ini"
    weston --backend=x11-backend.so --use-pixman --config="$work/weston.ini" --idle-time=0 --socket=tarnwick-test \
        --width=1500 --height=1100 --xwayland >"$work/weston.log" 2>&1 &
    pids+=($!)
    wait_for "$work/weston.log" weston test -e "$work/tarnwick-test"
    wait_for "$work/weston.log" XWayland grep -q "xserver listening on display :" "$work/weston.log"
    export WAYLAND_DISPLAY=tarnwick-test XDG_SESSION_TYPE=wayland
    DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log")
    unset QT_QPA_PLATFORM
elif [ "$mode" = bare ]; then
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
else
    openbox --sm-disable --config-file /dev/null >"$work/openbox.log" 2>&1 &
    pids+=($!)
    # openbox announces itself on the root window once it manages the screen.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
fi

export TARNWICK_TEST_DESKTOP=$mode
status=0
for test in "$@"; do
    echo "== $(basename "$test") on $mode"
    "$test" || status=1
done
exit $status
