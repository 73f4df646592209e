#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed program through bin/tarnwick on a private
# X server: with the catalogue beside the program the main window opens; without it the loader's box does.
# Usage: installed_program.sh <cmake> <build folder> <application id>
# Exit 77 (skip) when there is no Xvfb or xwininfo.
set -euo pipefail

cmake=$1
build=$2
app_id=$3

main_title='Quellvane Gear Chooser [v1.02]'
error_title='Quellvane Gear Chooser [v1.01]'

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

for file in lib/tarnwick/Tarnwick lib/tarnwick/zOrorOviz.csv "share/applications/$app_id.desktop" \
    "share/icons/hicolor/scalable/apps/$app_id.svg" "share/metainfo/$app_id.metainfo.xml"; do
    [ -f "$prefix/$file" ] || fail "$file was not installed"
done
[ -x "$prefix/lib/tarnwick/Tarnwick" ] || fail "lib/tarnwick/Tarnwick is not executable"
[ -L "$prefix/bin/tarnwick" ] || fail "bin/tarnwick is not a symbolic link"
# Relative, so that the tree can be moved (DESTDIR, packages).
[ "$(readlink "$prefix/bin/tarnwick")" = ../lib/tarnwick/Tarnwick ] ||
    fail "bin/tarnwick points at $(readlink "$prefix/bin/tarnwick")"
cmp -s "$prefix/lib/tarnwick/zOrorOviz.csv" "$(dirname "$0")/../../data/zOrorOviz.csv" ||
    fail "the installed catalogue differs from the bundled one"

# The metainfo, the desktop entry it launches and the icon, checked together as installed.
if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net "$prefix" >"$work/validate.log" 2>&1 ||
        { cat "$work/validate.log" >&2; fail "appstreamcli validate-tree rejects the installed tree"; }
fi

if ! command -v Xvfb >/dev/null || ! command -v xwininfo >/dev/null; then
    echo "SKIP: Xvfb or xwininfo is missing"
    exit 77
fi

# -displayfd picks a free display and reports its number, so parallel runs do not collide. -noreset: by default
# the server resets when its last client (xwininfo here) leaves, and the program starting then cannot connect.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb reported no display"
export DISPLAY=:$(head -n 1 "$work/display")
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# Window ids of the top-level windows with exactly this title.
windows_titled() {
    xwininfo -root -tree | awk -v want="\"$1\":" 'index($0, want) { print $1 }'
}

viewable_window_titled() {
    local id
    for id in $(windows_titled "$1"); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' && return 0
    done
    return 1
}

# Starts the installed program the way the desktop entry does (by name, from the PATH), from an unrelated folder,
# and waits until a window with the title is on the screen.
start_and_wait_for() {
    (cd / && PATH="$prefix/bin:$PATH" exec tarnwick) >"$work/program.log" 2>&1 &
    program_pid=$!
    for _ in $(seq 300); do
        viewable_window_titled "$1" && return 0
        kill -0 "$program_pid" 2>/dev/null || { cat "$work/program.log" >&2; fail "tarnwick ended early"; }
        sleep 0.1
    done
    cat "$work/program.log" >&2
    fail "no window titled '$1' appeared"
}

stop_program() {
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
    program_pid=
}

# The catalogue is found beside the link's target, not beside the link.
start_and_wait_for "$main_title"
[ -z "$(windows_titled "$error_title")" ] || fail "the loader reported an error although the catalogue is installed"
stop_program

rm "$prefix/lib/tarnwick/zOrorOviz.csv"
start_and_wait_for "$error_title"
[ -z "$(windows_titled "$main_title")" ] || fail "the main window opened without a catalogue"
stop_program

echo "PASS: the installed program finds its catalogue through bin/tarnwick"
