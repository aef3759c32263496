#!/bin/sh
# Lets 32-bit Wine start where the kernel refuses 32-bit Linux programs, as
# some virtual machines' kernels do: installs QEMU's user-mode emulator from
# the backports suite of the machine's own Debian archive (the release's own
# QEMU 7.2 spends about a minute in every 32-bit Wine process before it
# starts) and registers it in binfmt_misc for i386 ELF executables, with the
# fix-binary flag, so that every 32-bit program, Wine's loader and its
# children among them, runs through it. Changes nothing where 32-bit programs
# start natively, and replaces a registration of another emulator. Where it
# cannot help (no root, no binfmt_misc, no such package) it says so in one
# line and exits 0: the x86_64 build then stands in. Run by setup.sh after
# the packages, since it looks for 32-bit Wine's loader.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/lib/env.sh"
. "$ROOT/scripts/lib/apt.sh"

BINFMT=/proc/sys/fs/binfmt_misc
ENTRY="$I386_ENTRY"
ENTRY_NAME="${ENTRY##*/}"
EMULATOR=/usr/bin/qemu-i386-static
PACKAGE=qemu-user-static
# The first QEMU whose emulator starts Wine in well under a second.
FAST_ENOUGH=1:10.0
# i386 ELF executables and shared objects, as QEMU's own i386 entry has them.
MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# The source entry this adds, as .sources or .list.
SOURCES=/etc/apt/sources.list.d/saver-backports

cannot() {
    echo "note: 32-bit programs cannot start here ($*); the x86_64 build stands in for the shipped one"
    exit 0
}

# The emulator's version line as the kernel runs it for 32-bit programs: with
# the fix-binary flag that is the file that was registered, even after an
# upgrade replaced it on disk. Empty when no emulator is registered.
registered_emulator() {
    [ -f "$ENTRY" ] && grep -qx enabled "$ENTRY" || return 0
    QEMU_VERSION=1 "$WINE32" 2>/dev/null | sed -n '1s/^qemu-i386 version/&/p'
}

installed_version() {
    dpkg-query -W -f='${Version}' "$PACKAGE" 2>/dev/null || true
}

# Writes the machine's own Debian entry for its release again with the
# backports suite: the archive's host stays the machine's.
write_backports_entry() {
    entry=$(machine_entry "$1" "$1-backports") || return 1
    echo "$entry" | sed 1d >"$SOURCES.${entry%% *}"
}

install_backports_emulator() {
    codename=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)
    [ -n "$codename" ] || return 1
    if ! grep -rqs -- "$codename-backports" /etc/apt/sources.list /etc/apt/sources.list.d; then
        write_backports_entry "$codename" || return 1
        apt_update
    fi
    apt_install --from "$codename-backports" "$PACKAGE" >/dev/null
}

if [ -z "$(registered_emulator)" ] && can_run_win32; then
    exit 0
fi
[ "$(id -u)" -eq 0 ] || cannot "the emulator's set-up needs root"

if ! dpkg --compare-versions "$(installed_version)" ge "$FAST_ENOUGH"; then
    install_backports_emulator || true
    dpkg --compare-versions "$(installed_version)" ge "$FAST_ENOUGH" ||
        cannot "no $PACKAGE $FAST_ENOUGH or later from the backports suite"
fi

[ -f "$BINFMT/register" ] || mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null ||
    cannot "binfmt_misc cannot be mounted"
wanted=$("$EMULATOR" -version | head -1)
if [ "$(registered_emulator)" != "$wanted" ]; then
    [ ! -f "$ENTRY" ] || echo -1 >"$ENTRY"
    printf '%s' ":$ENTRY_NAME:M::$MAGIC:$MASK:$EMULATOR:F" >"$BINFMT/register" 2>/dev/null ||
        cannot "binfmt_misc refused the registration"
fi
can_run_win32 || cannot "32-bit Wine does not start through $wanted"
