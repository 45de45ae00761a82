#!/bin/sh
# make demo: installs what is missing, builds (win64 runs the demo, win32 is what ships),
# and then, under Wine inside a virtual X display:
#   tools/demo-road.sh         the road of one typical request for the profile jane: a
#                              sample server directory build/demo-server, one host session
#                              through QPXMULTI.DLL on three members, then QPABGEN
#   tools/demo-dialup.sh       the dial-up library QPXRAS.DLL
#   tools/demo-clientcheck.sh  the client shutdown check TRN32CHK.DLL
# Steps are numbered through all three. Ends with "demo: N steps passed ..." and exit
# code 0, or with the failed step and its reason and exit code 1.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
mkdir -p build

fail() {
  echo "demo FAILED: $*" >&2
  exit 1
}

# The demo opens windows (dialogs, message boxes): after installing and building it runs
# again inside a virtual X display.
if [ -z "${QP_DEMO_IN_XVFB:-}" ]; then
  QP_DEMO_STARTED=$(date +%s)
  export QP_DEMO_STARTED
  printf '\n== Installing what is missing and building (win64 runs the demo, win32 is shipped)\n'
  sh tools/deps.sh && sh tools/build.sh win64 win32 || fail "the build failed"
  QP_DEMO_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
fi

[ -f build/win64/bin/QPHOST.EXE ] || fail "build/win64/bin/QPHOST.EXE was not built"
export WINEPREFIX="$root/build/wine" WINEDEBUG=-all
printf '\n== Starting Wine (prefix build/wine)\n'
sh tools/wine-prefix.sh "$WINEPREFIX" || fail "the Wine prefix could not be created"
# The server inherits no terminal or pipe: it outlives this script's readers otherwise.
/usr/lib/wine/wineserver64 -p > /dev/null 2>&1 < /dev/null
trap '/usr/lib/wine/wineserver64 -k > /dev/null 2>&1' EXIT

# Each script adds a line per step to the tally; it is the count of the summary.
QP_DEMO_TALLY="$root/build/demo-steps.txt"
export QP_DEMO_TALLY
: > "$QP_DEMO_TALLY"
begun=$(date +%s)
for part in road dialup clientcheck; do
  sh "tools/demo-$part.sh" "$root/build/win64" || fail "the $part demo failed (its message is above)"
done

steps=$(wc -l < "$QP_DEMO_TALLY")
now=$(date +%s)
echo
echo "demo: $steps steps passed in $((now - begun)) s" \
  "(with installing and building: $((now - ${QP_DEMO_STARTED:-$begun})) s)"
