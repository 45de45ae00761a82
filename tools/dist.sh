#!/bin/sh
# Makes the release archive build/dist/corvane-mail-addons-<version>.zip: the four
# 32-bit add-ons in addons/, our stand-ins for the mail server in standins/ and the
# install guide INSTALL.txt (CRLF line ends). Every binary is checked to be a 32-bit
# Windows file (PE32, i386) that imports no MinGW runtime DLL, and the archive is read
# back and checked to hold exactly these files.
# Usage: dist.sh                      installs what is missing, builds build/win32, packs
#        dist.sh BIN_DIR [OUT_DIR]    packs the binaries of BIN_DIR (default OUT_DIR: build/dist)
# The version is the first line of VERSION, else what git describe says.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ $# -ge 1 ]; then
  bin=$(cd "$1" && pwd)
  out=${2:-$root/build/dist}
else
  sh tools/deps.sh
  sh tools/build.sh win32
  bin=$root/build/win32/bin
  out=$root/build/dist
fi

addons="QPXMULTI.DLL QPXRAS.DLL QPABGEN.EXE TRN32CHK.DLL"
standins="QPXCOMM.DLL QPXSESS.DLL QPXPOP3.DLL QPXIMAP.DLL QPXSMTP.DLL RASAPI32.DLL
  QPHOST.EXE QPKEYDUMP.EXE QPUSERGEN.EXE TRN32FAKE.EXE"
# What a binary may import: Windows' own libraries and the mail server's.
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll mpr.dll msvcrt.dll shell32.dll"
allowed="$allowed comctl32.dll comdlg32.dll ole32.dll oleaut32.dll ws2_32.dll wsock32.dll"
allowed="$allowed rasapi32.dll qpxcomm.dll qpxsess.dll"

objdump=i686-w64-mingw32-objdump
strip=i686-w64-mingw32-strip
fail() { echo "dist: $*" >&2; exit 1; }

if [ -s VERSION ]; then
  version=$(head -n 1 VERSION | tr -d ' \r')
else
  version=$(git describe --tags --always --dirty 2>/dev/null || echo unknown)
fi
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  commit="$commit (with local changes)"
fi
name=corvane-mail-addons-$version

# A 32-bit Windows binary without MinGW runtime DLLs; prints its imports.
check_binary() {
  file=$1
  [ -f "$file" ] || fail "$file is missing: was the win32 build complete?"
  format=$($objdump -f "$file" | sed -n 's/.*file format //p')
  [ "$format" = "pei-i386" ] ||
    fail "$(basename "$file") is ${format:-of an unknown format}, not a 32-bit (PE32 i386) binary"
  if command -v file > /dev/null; then
    file -b "$file" | grep -q '^PE32 executable.*Intel 80386' ||
      fail "$(basename "$file") is not PE32 i386: $(file -b "$file")"
  fi
  imports=$($objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' |
    tr '[:upper:]' '[:lower:]' | tr '\n' ' ')
  for dll in $imports; do
    case " $allowed " in
      *" $dll "*) ;;
      *) fail "$(basename "$file") imports $dll (not Windows' nor the mail server's)" ;;
    esac
  done
  printf '  %-14s PE32 i386, imports: %s\n' "$(basename "$file")" "$imports"
}

stage=$out/$name
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage/addons" "$stage/standins"
echo "== $name from $bin"
for f in $addons; do
  check_binary "$bin/$f"
  cp "$bin/$f" "$stage/addons/"
done
for f in $standins; do
  check_binary "$bin/$f"
  cp "$bin/$f" "$stage/standins/"
done
# Symbols are of no use to an installation; the export tables stay, and the add-ons'
# are checked against their .def files once more after stripping.
$strip --strip-unneeded "$stage"/addons/* "$stage"/standins/*
for pair in QPXMULTI.DLL:multi/qpxmulti.def QPXRAS.DLL:dialup/qpxras.def \
            TRN32CHK.DLL:clientcheck/trn32chk.def; do
  bash tools/check-exports.sh "$objdump" "$stage/addons/${pair%%:*}" "${pair#*:}" > /dev/null ||
    fail "the exports of ${pair%%:*} changed when it was stripped"
done
sed -e "s/@VERSION@/$version/" -e "s/@COMMIT@/$commit/" -e 's/$/\r/' tools/INSTALL.txt \
  > "$stage/INSTALL.txt"

(cd "$out" && zip -q -X -r "$name.zip" "$name")
rm -rf "$stage"

# Read the archive back: exactly the expected files, the guide with CRLF line ends.
expected=$( (echo "$name/INSTALL.txt"
  for f in $addons; do echo "$name/addons/$f"; done
  for f in $standins; do echo "$name/standins/$f"; done) | sort)
actual=$(unzip -Z1 "$out/$name.zip" | grep -v '/$' | sort)
[ "$actual" = "$expected" ] || fail "the archive holds:
$actual
expected:
$expected"
unzip -p "$out/$name.zip" "$name/INSTALL.txt" | grep -qv "$(printf '\r')\$" &&
  fail "INSTALL.txt has a line without CRLF"
unzip -p "$out/$name.zip" "$name/INSTALL.txt" | grep -q '@VERSION@\|@COMMIT@' &&
  fail "INSTALL.txt kept a placeholder"
echo "== $out/$name.zip: $(echo "$actual" | wc -l) files, $(wc -c < "$out/$name.zip") bytes"
unzip -l "$out/$name.zip" | sed 's/^/  /'
