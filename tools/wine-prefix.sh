#!/bin/sh
# Creates the Wine prefix for the tests once (under a lock, since several programs may
# start at the same time) and gives it a virtual desktop: without one every closed
# top-level window costs Wine about two seconds.
prefix="$1"
[ -f "$prefix/.qp-ready" ] && exit 0
mkdir -p "$prefix" || exit 1
exec 9> "$prefix.lock"
flock 9
[ -f "$prefix/.qp-ready" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all
/usr/lib/wine/wine64 wineboot -i > /dev/null 2>&1 || { echo "wine-prefix: wineboot failed" >&2; exit 1; }
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f > /dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f > /dev/null 2>&1
# A crashing test program would otherwise wait in Wine's crash dialog until ctest's
# timeout; without the dialog it fails at once with a backtrace.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f > /dev/null 2>&1
# The server and the desktop process wineboot started have no X display. Wait for them
# to end, or the tests that follow under Xvfb would join them and every dialog would fail.
timeout 30 /usr/lib/wine/wineserver64 -w || /usr/lib/wine/wineserver64 -k
touch "$prefix/.qp-ready"
