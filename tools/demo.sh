#!/bin/sh
# make demo: installs what is missing, builds, and sets up the multi-session profile
# "jane" through QPHOST.EXE under Wine: profile password, a POP3 and an IMAP member, the
# interface for Internet recipients; shows it, and checks in the registry that the
# password is stored only scrambled (ProfileData, one byte longer than the password,
# ending in a zero byte; no plain Password value). Then each component's own demo
# (tools/demo-*.sh). Exits non-zero on the first failure.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mkdir -p build

fail() {
  echo "demo FAILED: $*" >&2
  exit 1
}
step() {
  printf '\n== %s\n' "$*"
}

# The demo opens windows (dialogs, message boxes): after installing and building it runs
# again inside a virtual X display.
if [ -z "${QP_DEMO_IN_XVFB:-}" ]; then
  step "Installing what is missing and building (win64 runs the demo, win32 is shipped)"
  sh tools/deps.sh && sh tools/build.sh win64 win32 || fail "the build failed"
  QP_DEMO_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
fi

wine=/usr/lib/wine/wine64
bin="$root/build/win64/bin"
[ -f "$bin/QPHOST.EXE" ] || fail "$bin/QPHOST.EXE was not built"
export WINEPREFIX="$root/build/wine" WINEDEBUG=-all
# A sample server directory: the common library writes its debug log there.
server="$root/build/demo-server"
mkdir -p "$server"
export QP_SERVER_DIR="Z:$(printf '%s' "$server" | tr / '\\')\\"
out="$root/build/demo-output.txt"

step "Starting Wine (prefix build/wine)"
sh tools/wine-prefix.sh "$WINEPREFIX" || fail "the Wine prefix could not be created"
# The server inherits no terminal or pipe: it outlives this script's readers otherwise.
/usr/lib/wine/wineserver64 -p > /dev/null 2>&1 < /dev/null
trap '/usr/lib/wine/wineserver64 -k > /dev/null 2>&1' EXIT

# Runs QPHOST with its output in a file (Wine's helper processes keep pipes open), shows
# the command and its output, and fails the demo when the exit code is not $1.
qphost() {
  expected=$1
  shift
  echo "\$ QPHOST $*"
  "$wine" "$bin/QPHOST.EXE" "$@" > "$out" 2>&1 < /dev/null
  rc=$?
  tr -d '\r' < "$out" | sed 's/^./  &/'
  [ "$rc" -eq "$expected" ] || fail "QPHOST $* ended with exit code $rc, expected $expected"
}

step "Starting from no profile jane"
"$wine" "$bin/QPHOST.EXE" profile delete jane > "$out" 2>&1 < /dev/null
echo "  (an earlier demo's profile jane is removed if there was one)"

step "Profile password"
qphost 0 profile password jane s3cret

step "Members: Login1 POP3 with password and mail database, Login2 IMAP"
qphost 0 profile member jane 1 jane.pop POP3 pop-s3cret 'C:\Mail\jane'
qphost 0 profile member jane 2 jane.imap IMAP

step "Interface for Internet recipients"
qphost 0 profile internet jane POP3

step "A bad argument is refused (exit code 2, nothing written)"
qphost 2 profile member jane 50 jane.more POP3

step "The profile, passwords masked"
qphost 0 profile show jane
area=$(tr -d '\r' < "$out" | sed -n 's/^Area: *//p')
[ -n "$area" ] || fail "profile show printed no area path"
grep -q 'jane.pop' "$out" && grep -q 'jane.imap' "$out" || fail "profile show lacks a member"
grep -q 's3cret' "$out" && fail "profile show printed a password unasked"

step "The profile with its passwords"
qphost 0 profile show jane --show-passwords
grep -q 'pop-s3cret' "$out" || fail "profile show --show-passwords lacks the member password"

key="HKCU\\$area\\jane"
step "The registry: $key"
echo "\$ wine64 reg query \"$key\""
"$wine" reg query "$key" > "$out" 2>&1 < /dev/null || fail "reg query $key failed"
tr -d '\r' < "$out" | sed 's/^./  &/'
data=$(tr -d '\r' < "$out" | awk '$1 == "ProfileData" { print $2, $3 }')
type=${data% *}
bytes=${data#* }
[ "$type" = "REG_BINARY" ] || fail "ProfileData is not REG_BINARY (found '$data')"
[ ${#bytes} -eq $(( (6 + 1) * 2 )) ] ||
  fail "ProfileData holds $(( ${#bytes} / 2 )) bytes, expected 7 (password of 6 + one)"
case "$bytes" in *00) ;; *) fail "ProfileData does not end with a zero byte: $bytes" ;; esac
tr -d '\r' < "$out" | awk '$1 == "Password" { found = 1 } END { exit !found }' &&
  fail "a plain Password value is stored"
echo "  ProfileData: REG_BINARY, 7 bytes for the 6-character password, last byte 00;"
echo "  no plain Password value."

# The other components' demos, one script each; they get the build directory and share
# this prefix, server and display.
for part in login messages folders sending abgen dialup clientcheck; do
  script="tools/demo-$part.sh"
  [ -f "$script" ] || continue
  sh "$script" "$root/build/win64" || fail "the $part demo failed"
done

step "Summary"
echo "demo passed: profile jane (2 members, Internet interface POP3) stored under $key,"
echo "and every component's demo above."
