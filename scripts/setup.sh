#!/bin/sh
# Installs everything the build, the tests and the run command need, and
# prepares the Wine prefix the tests run in. Safe to run again: it installs
# only what is missing and leaves a prepared prefix alone.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

# Wine draws the GL of a child window into a composite-redirected X window
# when it finds libXcomposite; without it, it falls back to a pixmap that no
# screenshot can read. Xorg's dummy driver gives the desktop of several
# monitors that xrandr changes while the saver runs.
PACKAGES="cmake make g++ googletest python3 binutils git
g++-mingw-w64-i686-posix binutils-mingw-w64-i686
wine wine32:i386 wine64
libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
libxcomposite1:i386 libxcomposite1
xvfb xdotool x11-utils imagemagick
xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
g++-mingw-w64-x86-64-posix libgl1 libglx-mesa0 libgl1-mesa-dri
g++-i686-linux-gnu qemu-user-static"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

if [ -n "$missing" ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
fi

"$ROOT/scripts/wineprefix.sh"
