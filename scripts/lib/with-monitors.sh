#!/bin/sh
# Runs a command on a desktop of three monitors that can change while it
# runs: an X server of its own, Xorg with the dummy video driver, whose 16
# RandR outputs xrandr turns on, places, resizes and turns off
# (monitor-layout.sh), with GLX by Mesa and a Wine session of its own
# (wine-session.sh). The desktop it starts with, as Windows places it (the
# primary at 0,0): the primary 1024x768, an 800x600 monitor left of it
# (at negative coordinates) and a 600x1000 portrait monitor right of it, tops
# aligned. Needs root: Xorg takes a generated configuration file only from
# root. Ends the session, then the server, and removes its files afterwards.
# Leaves out any window manager and the machine's input devices.
# Usage: with-monitors.sh COMMAND [ARGS...]
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)

# Outputs as X places them; DUMMY0 is the dummy driver's primary.
DESKTOP="DUMMY1=800x600+0+0 DUMMY0=1024x768+800+0 DUMMY2=600x1000+1824+0"
# Frame buffer memory: room for a 4096x4096 desktop at 32 bits a pixel.
VIDEO_RAM_KB=65536
START_TIMEOUT_TENTHS=100
END_TIMEOUT_TENTHS=100

if [ "$(id -u)" -ne 0 ]; then
    echo "with-monitors.sh: Xorg with a configuration of its own needs root" >&2
    exit 1
fi

workdir=$(mktemp -d "${TMPDIR:-/tmp}/saver-xorg.XXXXXX")
# Depth 24: Mesa offers no GL on an 8-bit visual. The machine's own input
# devices stay with its own X server; keys and clicks come from XTEST.
cat >"$workdir/xorg.conf" <<EOF
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam $VIDEO_RAM_KB
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    DefaultDepth 24
EndSection
EOF

# Xorg picks a free display itself and writes its number once it accepts
# connections. No VT of its own, no switching, no TCP; no reset when the last
# client goes, which would undo the layout.
Xorg -displayfd 3 -config "$workdir/xorg.conf" -logfile "$workdir/xorg.log" -novtswitch -sharevts \
    -nolisten tcp -noreset 3>"$workdir/display" >"$workdir/xorg.out" 2>&1 &
xorg_pid=$!

# Xorg is there and has not ended: a zombie has.
xorg_alive() {
    case "$(ps -o stat= -p "$xorg_pid" 2>/dev/null)" in
        "" | Z*) return 1 ;;
    esac
}

# Xorg has been seen to hang at its exit after logging its end, so it gets a
# while to end and is then killed.
cleanup() {
    kill "$xorg_pid" 2>/dev/null || true
    tries=0
    while xorg_alive && [ "$tries" -lt "$END_TIMEOUT_TENTHS" ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    kill -9 "$xorg_pid" 2>/dev/null || true
    wait "$xorg_pid" 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

tries=0
until [ -s "$workdir/display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt "$START_TIMEOUT_TENTHS" ] || ! kill -0 "$xorg_pid" 2>/dev/null; then
        echo "with-monitors.sh: Xorg did not start" >&2
        cat "$workdir/xorg.out" >&2
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$(head -1 "$workdir/display")"

# shellcheck disable=SC2086
"$ROOT/scripts/lib/monitor-layout.sh" $DESKTOP
status=0
"$ROOT/scripts/lib/wine-session.sh" "$@" || status=$?
exit $status
