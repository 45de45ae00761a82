#!/bin/sh
# make screenshots: renders the components' dialogs with their real texts under Xvfb into
# PNG pictures in build/screens/. Each line of the list below names one Windows test
# program and the GoogleTest filter of the test that opens its dialogs; with
# QP_SCREENSHOT_DIR set, that test captures each dialog as a BMP file into the folder.
# Usage: screenshots.sh [WIN64_BUILD_DIR [OUTPUT_DIR]]
#   (default: build/win64, built first, and build/screens)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

shots='
multi_profile_dialog_test  MemberDialog.BothDialogsShowTheirTextsUnclippedAndApart
dialup_parts_test  Screens.DialUpWindowsShowTheirTextsUnclippedAndApart
'

if [ $# -ge 1 ]; then
  build=$(cd "$1" && pwd) || exit 1
else
  sh tools/deps.sh && sh tools/build.sh win64 || { echo "screenshots: the build failed" >&2; exit 1; }
  build="$root/build/win64"
fi
out="${2:-$root/build/screens}"
mkdir -p "$out" && out=$(cd "$out" && pwd) || exit 1
rm -f "$out"/*.bmp
WINEPREFIX=$(sed -n 's/^QP_WINEPREFIX:[A-Z]*=//p' "$build/CMakeCache.txt")
export WINEPREFIX="${WINEPREFIX:-$root/build/wine}" WINEDEBUG=-all
# The dial-up windows need our RASAPI32.DLL (host/rasfake), not Wine's built-in one.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-rasapi32=n}"
export QP_SCREENSHOT_DIR="Z:$(printf '%s' "$out" | tr / '\\')"
export SHOTS="$shots" BUILD="$build"
sh tools/wine-prefix.sh "$WINEPREFIX" || exit 1

xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  /usr/lib/wine/wineserver64 -p
  rc=0
  printf "%s\n" "$SHOTS" | while read -r program filter; do
    [ -n "$program" ] || continue
    echo "== $program ($filter)"
    log=$(sh "$BUILD/wine-run.sh" "$BUILD/bin/$program.exe" --gtest_filter="$filter") ||
      { printf "%s\n" "$log"; echo "screenshots: $program failed" >&2; exit 1; }
  done || rc=1
  /usr/lib/wine/wineserver64 -k
  exit $rc' || exit 1

count=0
for bmp in "$out"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp" || exit 1
  echo "  ${bmp%.bmp}.png"
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "screenshots: no picture was captured" >&2; exit 1; }
echo "$count pictures in $out"
