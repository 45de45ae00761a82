#!/bin/sh
# make check: installs what is missing, builds the three builds and runs every test:
# native tests under sanitizers, the export-table checks of the shipped 32-bit build,
# and the Windows tests under Wine (one prefix, one persistent wineserver, Xvfb).
# Ends with the line "N passed, N failed"; exits non-zero on a failure or when no test ran.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mkdir -p build
sh tools/deps.sh || exit 1
sh tools/build.sh || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }
for b in native win32 win64; do
  rm -f "build/$b/results/"*.xml "build/$b/ctest-junit.xml"
done

echo "== native tests"
ctest --test-dir build/native --output-on-failure -j2 --output-junit "$root/build/native/ctest-junit.xml"
echo "== export tables of the 32-bit binaries"
ctest --test-dir build/win32 --output-on-failure --output-junit "$root/build/win32/ctest-junit.xml"

echo "== Windows tests under Wine"
export WINEPREFIX="$root/build/wine" WINEDEBUG=-all
sh tools/wine-prefix.sh "$WINEPREFIX" || exit 1
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  /usr/lib/wine/wineserver64 -p
  ctest --test-dir build/win64 --output-on-failure --output-junit "$0/build/win64/ctest-junit.xml"
  rc=$?
  /usr/lib/wine/wineserver64 -k
  exit $rc' "$root"

echo "== summary"
python3 tools/summary.py build/native build/win32 build/win64
