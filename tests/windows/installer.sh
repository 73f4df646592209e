#!/usr/bin/env bash
# The real installer under Wine, in an X server and a Wine prefix of its own: a silent install for the current user;
# the installed program, started from its folder, shows its main window; an item bought with keys sent through the
# X server (XTest, as xdotool sends them); Alt+C puts the exact export on the clipboard as text and as an HTML table,
# which Wine hands on to X, where xclip reads it; without its catalogue the program shows the loader's message with
# the folder's Windows path (copied from the box with Ctrl+C, as Windows' boxes allow); a silent uninstall removes
# what was installed but keeps a catalogue the player changed, and one unchanged goes with the rest.
# Usage: installer.sh SETUP.EXE. With SCREENSHOT=file.png, saves a picture of the main window after the purchase.
set -euo pipefail
setup=$(realpath "$1")
[ -f "$setup" ] || { echo "no installer at $1: scripts/windows makes it"; exit 1; }
for tool in Xvfb wine wineserver winepath xdotool xclip; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/deps windows installs it"; exit 1; }
done

work=$(mktemp -d)
source "$(dirname "$0")/wine-session.sh"
trap 'wine_session_end; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

wine_session "$work" || fail "no X server or Wine prefix"

windows_env() { wine cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
folder_win="$(windows_env LOCALAPPDATA)\\Programs\\Tarnwick"
folder=$(winepath -u "$folder_win" 2>/dev/null)
folder=${folder%/}
shortcut="$(winepath -u "$(windows_env APPDATA)" 2>/dev/null)/Microsoft/Windows/Start Menu/Programs/Tarnwick.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick'
reg_value() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }

install() {
    wine "$setup" /S >"$work/setup.log" 2>&1 || fail "the silent install failed: $(cat "$work/setup.log")"
    for file in Tarnwick.exe zOrorOviz.csv Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
        styles/qwindowsvistastyle.dll licenses/LGPL-3.0-only.txt Uninstall.exe; do
        [ -f "$folder/$file" ] || fail "the install left no $folder_win\\$file"
    done
    [ -f "$shortcut" ] || fail "no Start-menu entry at $shortcut"
    [ "$(reg_value DisplayVersion)" = 1.02 ] || fail "the uninstall entry's version is '$(reg_value DisplayVersion)'"
    [ "$(reg_value Publisher)" = "Hollowmere Workshop" ] || fail "the publisher is '$(reg_value Publisher)'"
    [ "$(reg_value QuietUninstallString)" = "\"$folder_win\\Uninstall.exe\" /S" ] ||
        fail "the quiet uninstall command is '$(reg_value QuietUninstallString)'"
}

# Uninstalling hands over to a copy of the uninstaller and returns at once: wait until Wine has nothing left.
uninstall() {
    wine "$folder_win\\Uninstall.exe" /S >"$work/uninstall.log" 2>&1 || fail "the silent uninstall failed"
    timeout 120 wineserver -w || fail "the uninstaller did not finish"
    [ ! -e "$shortcut" ] || fail "the Start-menu entry stayed"
    wine reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry stayed"
    for file in Tarnwick.exe Qt6Core.dll platforms Uninstall.exe licenses README.txt; do
        [ ! -e "$folder/$file" ] || fail "the uninstall left $file"
    done
}

program_pid=
start_program() {
    wine "$folder_win\\Tarnwick.exe" >"$work/program.log" 2>&1 &
    program_pid=$!
}
wait_program_end() {
    for _ in $(seq 300); do
        kill -0 "$program_pid" 2>/dev/null || { wait "$program_pid" || true; return 0; }
        sleep 0.1
    done
    fail "the program did not end"
}
window() { # the visible window of that exact title
    timeout 60 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}
clipboard() {
    timeout 10 xclip -o -selection clipboard -t "$1" 2>/dev/null || true
}
# Qt handles a key a moment after it arrives, and an access key clicks its button a moment later still.
press() {
    local k
    for k in "$@"; do
        xdotool key --clearmodifiers "$k"
        sleep 0.5
    done
}

echo "installing silently"
install

echo "buying by keys and copying with Alt+C"
start_program
main=$(window 'Quellvane Gear Chooser \[v1\.02\]')
[ -n "$main" ] || fail "the main window did not appear: $(cat "$work/program.log")"
xdotool windowfocus --sync "$main"
sleep 1
# The tab strip has the keyboard; Tab reaches the gear list, on its first item; Alt+P buys it.
press Tab alt+p
if [ -n "${SCREENSHOT:-}" ]; then
    import -window "$main" "$SCREENSHOT"
fi
# Back to the tab strip, on to Chosen Gear, and copy.
press shift+Tab Right alt+c
# The box that confirms the copy carries the main window's title.
for _ in $(seq 100); do
    [ "$(xdotool search --onlyvisible --name '^Quellvane Gear Chooser \[v1\.02\]$' | wc -l)" -ge 2 ] && break
    sleep 0.2
done
text=$(clipboard UTF8_STRING | od -An -c | tr -s ' \n' ' ')
# Wine hands the text on to X with X's line ends (the export's CR LF becomes LF).
expected=$(printf '%s\n' 'Item	Type	Reference	Qty	GP Cost	BP Cost	$ Cost	Weight (lbs.)' \
    'Kestrel .22 Holdout Pistol	Pistols	QCR 88	1	0	2	0	0.8' '------							' \
    'Totals				0	2	0	0.8' | od -An -c | tr -s ' \n' ' ')
[ "$text" = "$expected" ] || fail "the clipboard holds [$text], not the export [$expected]"
html=$(clipboard text/html)
grep -q '<td[^>]*>Kestrel .22 Holdout Pistol</td>' <<<"$html" || fail "no HTML table on the clipboard: [$html]"
press Return
# Once the box has gone, the one window of that title left is the main window's.
for _ in $(seq 100); do
    mapfile -t shown < <(xdotool search --onlyvisible --name '^Quellvane Gear Chooser \[v1\.02\]$')
    [ ${#shown[@]} -eq 1 ] && break
    sleep 0.2
done
[ ${#shown[@]} -eq 1 ] || fail "the box that confirms the copy did not close"
xdotool windowfocus --sync "${shown[0]}"
press alt+F4
wait_program_end

echo "starting without a catalogue"
mv "$folder/zOrorOviz.csv" "$work/catalogue.csv"
start_program
box=$(window 'Quellvane Gear Chooser \[v1\.01\]')
[ -n "$box" ] || fail "no error box appeared: $(cat "$work/program.log")"
xdotool windowfocus --sync "$box"
sleep 1
press ctrl+c
message="The data file $folder_win\\zOrorOviz.csv could not be opened.  Ensure the file exists and is not being used by any other applications or programs."
shown=$(clipboard UTF8_STRING | tr -d '\r')
grep -qxF "$message" <<<"$shown" || fail "the box says [$shown], not [$message]"
press Return
wait_program_end

echo "uninstalling silently, with a changed catalogue"
{
    cat "$work/catalogue.csv"
    printf 'Weapons,Pistols,My Own Pistol,1,1,1,QCR,1,\r\n'
} >"$folder/zOrorOviz.csv"
cp "$folder/zOrorOviz.csv" "$work/changed.csv"
uninstall
cmp -s "$folder/zOrorOviz.csv" "$work/changed.csv" || fail "the changed catalogue was not kept as it was"

echo "installing again over the kept catalogue, and uninstalling with the catalogue as installed"
install
cmp -s "$folder/zOrorOviz.csv" "$work/changed.csv" || fail "installing again overwrote the player's catalogue"
cp "$work/catalogue.csv" "$folder/zOrorOviz.csv"
uninstall
[ ! -e "$folder" ] || fail "the folder stayed: $(ls -A "$folder")"
echo "PASS"
