#!/usr/bin/env bash
# What the set-up scripts tell a newcomer. scripts/run started outside a desktop session, from a folder whose path
# has spaces, names the program so that the line pasted back into a shell starts it; scripts/deps for a user whom
# sudo does not let in prints the lines to run as root, the package lists' update first (a fresh system has none).
# Stand-ins for cmake, dpkg-query, id and sudo keep it from building or installing anything.
# Usage: scripts.sh <source folder>
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/a folder's name with spaces"
mkdir -p "$tree/build" "$work/bin"
cp -r "$1/scripts" "$tree/"
touch "$tree/build/Tarnwick"
stub() { printf '#!/bin/sh\n%s\n' "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"; }
stub cmake 'exit 0'
stub id 'echo 1000'
stub sudo 'exit 1'
stub dpkg-query '[ -n "${INSTALLED:-}" ] && printf "install ok installed"; exit 0'
export PATH="$work/bin:$PATH"

said=$(INSTALLED=1 env -u DISPLAY -u WAYLAND_DISPLAY "$tree/scripts/run" 2>&1) && fail "scripts/run started without a desktop"
path=${said#*; start }
path=${path% from one.}
eval "named=($path)"
[ ${#named[@]} -eq 1 ] && [ "${named[0]}" = "$tree/build/Tarnwick" ] || fail "scripts/run said: $said"

said=$("$tree/scripts/deps" build 2>&1) && fail "scripts/deps installed without sudo"
grep -qx '  apt-get update && apt-get install -y .*cmake.*' <<<"$said" || fail "scripts/deps said: $said"
echo "PASS"
