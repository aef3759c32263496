#!/bin/sh
# Runs a command in the Wine 10 root (wine10-root.sh makes it) as root, with
# /proc, /sys and /dev of the machine and this checkout at its own path, so
# that a tree built here runs there unchanged. The mounts live in a mount
# namespace of the command's own and go with it. The root's X servers share
# the machine's abstract sockets, so a display number must be free in both
# (the harness's displays let the server choose). Leaves out making the root.
# Usage: in-root.sh COMMAND [ARGS...]
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/lib/env.sh"

[ -x "$WINE10_ROOT/usr/bin/apt-get" ] || { echo "in-root.sh: there is no root in $WINE10_ROOT" >&2; exit 2; }
mkdir -p "$WINE10_ROOT$ROOT"
# shellcheck disable=SC2016
exec unshare --mount --propagation private sh -c '
    set -eu
    target="$1" checkout="$2"
    shift 2
    mount --rbind /dev "$target/dev"
    mount -t proc proc "$target/proc"
    mount --rbind /sys "$target/sys"
    mount --bind "$checkout" "$target$checkout"
    exec chroot "$target" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        ${SAVER_BUILD_DIR:+SAVER_BUILD_DIR="$SAVER_BUILD_DIR"} sh -c "cd \"\$0\" && exec \"\$@\"" "$checkout" "$@"' \
    sh "$WINE10_ROOT" "$ROOT" "$@"
