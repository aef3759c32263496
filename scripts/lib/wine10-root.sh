#!/bin/sh
# Makes, once per machine and outside the checkout, a Debian 13 (trixie) root
# holding Wine 10 and what the shipped file's Windows tests need there, so
# that those tests run under a second Win32 implementation beside the
# machine's Wine 8 (in-root.sh runs a command in it). The archive is the one
# the machine's own Debian source entry names, with the suite renamed. Wine
# comes with the X libraries it recommends, for both architectures, as its
# users have it. Safe to run again: a stamp that lists the packages says the
# root is made; a root whose stamp lists others gets what it lacks. Where
# the root cannot be made it says so in one line and exits 0: the suite then
# runs on the machine's Wine alone and says so.
# Usage: wine10-root.sh
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/lib/env.sh"
. "$ROOT/scripts/lib/apt.sh"

SUITE=trixie
PACKAGES="$WINE_PACKAGES
cmake python3 procps
xvfb xdotool x11-utils imagemagick libxres1
xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils"
# A root cut off half way has apt but not the packages; its stamp is missing.
STAMP="$WINE10_ROOT/.saver-root-ready"

cannot() {
    echo "note: the Wine 10 root cannot be made ($*); the Windows tests run under the machine's Wine alone"
    exit 0
}

[ "$(id -u)" -eq 0 ] || cannot "it needs root"
# shellcheck disable=SC2086
wanted=$(echo $PACKAGES)
if [ "$(cat "$STAMP" 2>/dev/null)" = "$wanted" ]; then
    "$ROOT/scripts/lib/in-root.sh" "$ROOT/scripts/lib/wineprefix.sh"
    exit 0
fi
codename=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)
# The machine's own Debian archive, from its entry for its release: the host
# name stays the machine's.
archive=$(machine_entry "$codename" | sed -n '1s/^[a-z]* //p' | grep .) ||
    cannot "no Debian source entry for $codename"

if [ ! -x "$WINE10_ROOT/usr/bin/apt-get" ]; then
    echo "making the Wine 10 root in $WINE10_ROOT (a few minutes, once per machine)"
    rm -rf "$WINE10_ROOT"
    mkdir -p "$WINE10_ROOT"
    debootstrap --variant=minbase "$SUITE" "$WINE10_ROOT" "$archive" >"$WINE10_ROOT.log" 2>&1 ||
        { rm -rf "$WINE10_ROOT"; cannot "debootstrap failed; see $WINE10_ROOT.log"; }
fi
# shellcheck disable=SC2086
"$ROOT/scripts/lib/in-root.sh" sh -c '
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    . "$0"
    apt_update && apt_install "$@"' \
    "$ROOT/scripts/lib/apt.sh" $wanted >>"$WINE10_ROOT.log" 2>&1 || cannot "its packages do not install; see $WINE10_ROOT.log"
echo "$wanted" >"$STAMP"
"$ROOT/scripts/lib/in-root.sh" "$ROOT/scripts/lib/wineprefix.sh"
