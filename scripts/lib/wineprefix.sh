#!/bin/sh
# Creates the tests' Wine prefix once and makes faults end quietly: no crash
# dialog and no debugger, so a crashing test program exits instead of hanging.
# A prefix made while 32-bit programs could not start lacks its 32-bit half,
# where 32-bit programs fail to load kernel32.dll; its stamp says so, and it
# is made again once they can.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/lib/env.sh"

STAMP="$WINEPREFIX/.saver-prefix-ready-2"
WITH_32_BIT="32-bit programs: yes"
halves="32-bit programs: no"
! can_run_win32 || halves="$WITH_32_BIT"
if [ -f "$STAMP" ] && { grep -qx "$WITH_32_BIT" "$STAMP" || [ "$halves" != "$WITH_32_BIT" ]; }; then
    exit 0
fi

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
timeout 300 "$WINE64" wineboot -i >/dev/null 2>&1 || true
"$WINESERVER" -w
timeout 60 "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# Without a Debugger value Wine starts winedbg; one that names no program
# makes the start fail, so UnhandledExceptionFilter lets the program handle
# the fault. Both registry views, for 64- and 32-bit programs.
for view in 64 32; do
    timeout 60 "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /t REG_SZ /d no-debugger-configured /f /reg:$view >/dev/null 2>&1
    timeout 60 "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Auto /t REG_SZ /d 1 /f /reg:$view >/dev/null 2>&1
done
"$WINESERVER" -w
echo "$halves" >"$STAMP"
