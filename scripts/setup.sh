#!/bin/sh
# Installs everything the build, the tests and the run command need, lets
# 32-bit Wine start (through QEMU's user-mode emulator where the kernel
# refuses 32-bit programs: i386-emulator.sh), and prepares the Wine prefix
# the tests run in. Safe to run again: it installs only what is missing and
# leaves a prepared prefix and a fitting registration alone.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib/env.sh"
. "$ROOT/scripts/lib/apt.sh"

# Wine draws the GL of a child window into a composite-redirected X window
# when it finds libXcomposite; without it, it falls back to a pixmap that no
# screenshot can read. Xorg's dummy driver gives the desktop of several
# monitors that xrandr changes while the saver runs.
PACKAGES="cmake make g++ googletest python3 binutils git debootstrap
g++-mingw-w64-i686-posix binutils-mingw-w64-i686
$WINE_PACKAGES
xvfb xdotool x11-utils imagemagick libxres1
xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
g++-mingw-w64-x86-64-posix
g++-i686-linux-gnu"
# The x87 tree's emulator; i386-emulator.sh installs a newer one where
# 32-bit Wine needs it, so this is the release's only where that did not.
EMULATOR_PACKAGE=qemu-user-static

install_missing() {
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -n "$missing" ] || return 0
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    apt_update
    # shellcheck disable=SC2086
    apt_install $missing
}

# Each phase says when it starts, so a slow one is seen as such.
echo "set-up: packages"
# shellcheck disable=SC2086
install_missing $PACKAGES
echo "set-up: 32-bit programs"
"$ROOT/scripts/lib/i386-emulator.sh"
install_missing "$EMULATOR_PACKAGE"
echo "set-up: the Wine prefix"
"$ROOT/scripts/lib/wineprefix.sh"
echo "set-up: the Wine 10 root"
"$ROOT/scripts/lib/wine10-root.sh"
