#!/bin/sh
# Set-up with the package archive in mid-sync. A local source entry whose
# Packages file disagrees with its Release file makes apt-get update exit
# 100, as the real archive's i386 security index did for hours. Set-up must
# still install a missing package of its own list, name the index it could
# not read, and end with 0; a package that no source has stops it with a
# line naming that package. debootstrap is the package taken away: set-up
# needs it only to make the Wine 10 root, and no test uses it.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
PACKAGE=debootstrap
ENTRY=/etc/apt/sources.list.d/saver-test-gap.list

fail() {
    echo "FAIL: $*"
    exit 1
}
installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
[ "$(id -u)" -eq 0 ] || fail "this test changes the machine's packages and needs root"

repo=$(mktemp -d)
cleanup() {
    rm -f "$ENTRY"
    rm -rf "$repo"
    installed "$PACKAGE" || apt-get install -y -q --no-install-recommends "$PACKAGE" >/dev/null 2>&1 || true
}
trap cleanup EXIT

# A Packages file whose Release gives it the wrong size, as a half-synced
# mirror serves it.
index="$repo/dists/gap/main/binary-amd64/Packages"
mkdir -p "$(dirname "$index")"
printf 'Package: saver-gap-test\nVersion: 1\nArchitecture: all\n' >"$index"
printf 'Suite: gap\nDate: %s\nArchitectures: amd64\nComponents: main\nSHA256:\n %s 999 main/binary-amd64/Packages\n' \
    "$(LC_ALL=C date -u -R)" "$(sha256sum <"$index" | cut -d' ' -f1)" >"$repo/dists/gap/Release"
echo "deb [trusted=yes] file:$repo gap main" >"$ENTRY"
! apt-get update -q >/dev/null 2>&1 || fail "apt-get update read the broken index; the test proves nothing"

apt-get remove -y -q "$PACKAGE" >/dev/null 2>&1
installed "$PACKAGE" && fail "$PACKAGE could not be removed"
status=0
out=$(SAVER_APT_RETRY_SECONDS=0 "$ROOT/scripts/setup.sh" 2>&1) || status=$?
[ "$status" -eq 0 ] || { echo "$out"; fail "set-up ended with $status"; }
echo "$out" | grep "index gap/main amd64 Packages could not be read" || { echo "$out"; fail "set-up did not name the index"; }
installed "$PACKAGE" || fail "set-up did not install $PACKAGE"

out=$(SUDO="" sh -c '. "$1"; apt_install saver-no-such-package' sh "$ROOT/scripts/lib/apt.sh" 2>&1) &&
    fail "a package no source has was reported installed"
echo "$out" | grep "set-up stops: .*saver-no-such-package" || { echo "$out"; fail "the line does not name the package"; }
echo "PASS: set-up installs through an index it cannot read, and names a package it cannot have"
