# Sourced by what runs Windows programs under Wine. wine_session FOLDER starts an X server of its own (Xvfb, on a
# free display) and makes a Wine prefix in FOLDER, and exports DISPLAY, WINEPREFIX and the settings of a quiet,
# unattended Wine (no debug output, no offer to install Mono or Gecko, no DLL folders from the caller). With
# "persistent" after the folder, one Wine server serves the whole session, as Windows' own processes keep running,
# rather than one started anew for each program. wine_session_end stops Wine and the X server again.
wine_session_xvfb=
wine_session() {
    local work=$1
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    wine_session_xvfb=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/display" ]; then
        echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2
        return 1
    fi
    export DISPLAY=:$(head -n 1 "$work/display")
    export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset WINEPATH
    if [ "${2:-}" = persistent ]; then
        mkdir -p "$WINEPREFIX"
        wineserver -p
    fi
    wineboot -i >"$work/wineboot.log" 2>&1 || {
        echo "wineboot failed: $(cat "$work/wineboot.log")" >&2
        return 1
    }
}
wine_session_end() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "$wine_session_xvfb" ]; then
        kill "$wine_session_xvfb" 2>/dev/null || true
        wait "$wine_session_xvfb" 2>/dev/null || true
    fi
}
