#!/usr/bin/env bash
# Opens and closes the Row Change dialog and Find Gear many times on a player's Wayland session (weston with XWayland,
# no platform chosen; tests/display/window_tests.sh starts it), in a program that starts as Tarnwick does
# (bench/DialogLoop.cpp), with one spinning process per core, and counts the runs that abort. Each run is a fresh
# weston and a fresh process. RUNS (default 3) sets the runs, CLOSINGS (default 2000) the closings in each, SPIN=0
# leaves the machine idle. Give another build folder (default build-release) to loop an older build; it must hold
# bench/tarnwick_dialog_loop, which this script builds only in its own folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
runs=${RUNS:-3}
closings=${CLOSINGS:-2000}
loop=$build/bench/tarnwick_dialog_loop

if [ $# -eq 0 ]; then
    scripts/deps build test bench >&2
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BENCH=ON >/dev/null
    cmake --build "$build" -j2 --target tarnwick_dialog_loop >/dev/null
fi

work=$(mktemp -d)
spinners=()
cleanup() {
    [ ${#spinners[@]} -eq 0 ] || kill "${spinners[@]}" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
if [ "${SPIN:-1}" != 0 ]; then
    for _ in $(seq "$(nproc)"); do
        sh -c 'while :; do :; done' &
        spinners+=($!)
    done
fi

plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms
aborts=0
done_closings=0
for run in $(seq "$runs"); do
    status=0
    TARNWICK_CLOSINGS=$closings tests/display/window_tests.sh wayland "$plugins" "$loop" >"$work/run.log" 2>&1 ||
        status=$?
    seen=$(sed -n 's/^\([0-9]*\) dialog closings on .*/\1/p' "$work/run.log" | tail -n 1)
    done_closings=$((done_closings + ${seen:-0}))
    if grep -q "Assertion\|Aborted" "$work/run.log"; then
        aborts=$((aborts + 1))
        echo "run $run aborted:" >&2
        grep "Assertion\|Aborted" "$work/run.log" >&2
    elif [ $status -ne 0 ]; then
        cat "$work/run.log" >&2
        echo "run $run failed" >&2
        exit 1
    fi
    echo "run $run: $(grep "dialog closings" "$work/run.log" | tail -n 1)" >&2
done
echo "$runs runs, $done_closings dialog closings, $aborts aborted; load: ${#spinners[@]} spinning processes on $(nproc) cores"
