#!/usr/bin/env bash
# Makes the Debian package and the archive from the build, as scripts/package does, and checks them: lintian
# reports no error and no warning on the package, which brings the design font; the archive unpacks into the one
# folder tarnwick-<version>/ holding the program and its catalogue.
# Usage: packages.sh <cpack> <build folder> <version>
# Exit 77 (skip) without lintian, except under CI, where the set-up must have installed it.
set -euo pipefail

cpack=$1
build=$2
version=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! command -v lintian >/dev/null; then
    echo "SKIP: lintian is missing" >&2
    [ -n "${CI:-}" ] && exit 1
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cpack" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/tarnwick_"$version"_*.deb)
archives=("$work"/tarnwick-"$version"-*.tar.gz)
[ -f "${debs[0]}" ] || fail "no .deb was made"
[ -f "${archives[0]}" ] || fail "no archive was made"

# Root gets a warning about itself on stderr; only the report on stdout counts.
lintian --fail-on error,warning "${debs[0]}" >"$work/lintian.log" 2>/dev/null ||
    { cat "$work/lintian.log" >&2; fail "lintian reports errors or warnings"; }
cat "$work/lintian.log"

dpkg-deb -f "${debs[0]}" Depends | grep -qw fonts-liberation2 || fail "the package does not depend on fonts-liberation2"

expected=$(printf '%s\n' "tarnwick-$version/README" "tarnwick-$version/Tarnwick" "tarnwick-$version/copyright" \
    "tarnwick-$version/zOrorOviz.csv")
listed=$(tar -tzf "${archives[0]}" | grep -vx "tarnwick-$version/" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || fail "the archive holds"$'\n'"$listed"
tar -xzf "${archives[0]}" -C "$work"
[ -x "$work/tarnwick-$version/Tarnwick" ] || fail "the archive's program is not executable"
[ -w "$work/tarnwick-$version/zOrorOviz.csv" ] || fail "the archive's catalogue cannot be edited"

echo "PASS: $(basename "${debs[0]}") is lintian-clean; $(basename "${archives[0]}") unpacks into tarnwick-$version/"
