# Sourced by the project's scripts: where the builds and the Wine prefix live.
# A private prefix keeps the tests away from the user's own ~/.wine.
export WINEPREFIX="${SAVER_WINEPREFIX:-$HOME/.cache/saver-wine}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: the saver needs neither, and they would ask.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
BUILD_ROOT="${SAVER_BUILD_DIR:-$ROOT/build}"

# Wine with Mesa's GL for both architectures and the X libraries Wine
# recommends, as a user's Wine has them: without libXi in a 32-bit process,
# Wine 10 cannot clip the cursor to a full-screen window and keeps posting
# itself the request, so the saver's thread handles nothing else.
X_LIBRARIES="libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1"
WINE_PACKAGES="wine wine32:i386 wine64 libgl1 libglx-mesa0 libgl1-mesa-dri libgl1:i386 libglx-mesa0:i386
libgl1-mesa-dri:i386 $X_LIBRARIES $(for p in $X_LIBRARIES; do printf '%s:i386 ' "$p"; done)"

# The Debian 13 root with the second Wine (wine10-root.sh makes it, in-root.sh
# runs commands in it): once per machine, outside any checkout.
WINE10_ROOT="${SAVER_WINE10_ROOT:-/var/lib/saver/trixie}"

# 32-bit Wine needs a kernel that starts 32-bit Linux programs, or QEMU's
# user-mode emulator registered for them (setup.sh does that where it can);
# with neither, only the 64-bit build can run here.
can_run_win32() {
    "$WINE32" --version >/dev/null 2>&1
}

# Where setup.sh registers the emulator for 32-bit programs.
I386_ENTRY=/proc/sys/fs/binfmt_misc/qemu-i386

# The tree whose saver runs at native speed for START (win32_start's): the
# shipped i686 one where 32-bit programs start natively, else the x86_64
# build of the same sources, with a note that says why; the caller DOES that
# ("running", "measuring"). Sets tree.
native_tree() {
    tree=x86_64
    case "$1" in
        native) tree=i686 ;;
        emulated) echo "note: 32-bit programs start here only through QEMU's emulator; $2 the x86_64 build of" \
            "the same sources, natively" ;;
        *) echo "note: this machine cannot start 32-bit programs; $2 the x86_64 build" ;;
    esac
}

# How 32-bit programs start here: native, emulated or none. An emulator in
# binfmt_misc answers QEMU_VERSION itself and runs no program.
win32_start() {
    if ! can_run_win32; then
        echo none
    elif QEMU_VERSION=1 "$WINE32" 2>/dev/null | grep -q '^qemu-i386 version'; then
        echo emulated
    else
        echo native
    fi
}
