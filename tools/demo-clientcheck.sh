#!/bin/sh
# The client shutdown check's part of make demo: TRN32CALL.EXE calls CheckTrn32Running of
# TRN32CHK.DLL the way the installer does, first with no desktop client running, then
# with the stand-in client TRN32FAKE.EXE closing on WM_CLOSE, then with one that refuses
# (two message boxes: Retry, then Cancel; a picture of the box goes to build/screens).
# Usage: demo-clientcheck.sh BUILD_DIR (the win64 build, or the folder holding it), with
# WINEPREFIX exported, a wineserver running and an X display. Exits non-zero on the first
# failure.
. "$(dirname "$0")/demo-common.sh"
demo_start clientcheck "${1:-}" TRN32CALL.EXE TRN32CHK.DLL TRN32FAKE.EXE
screens="$(dirname "$(dirname "$bin")")/screens"
client_out="$work/client.txt"
client=
# A stand-in client still running when the demo ends (it failed half-way) is ended.
cleanup() {
  if [ -n "$client" ]; then
    kill "$client" 2> /dev/null
    wait "$client" 2> /dev/null
  fi
}
trap cleanup EXIT
mkdir -p "$work" "$screens" || fail "cannot make $work or $screens"

# Runs TRN32CALL and fails the demo when its exit code (the result) is not $1.
call() {
  expected=$1
  shift
  demo_run "$expected" "$bin/TRN32CALL.EXE" "$@"
}
# Starts the stand-in client in the background: TRN32FAKE close [MS] | refuse | told.
start_client() {
  echo "  \$ TRN32FAKE $* &"
  "$wine" "$bin/TRN32FAKE.EXE" "$@" > "$client_out" 2>&1 < /dev/null &
  client=$!
}
# Shows what the client printed, and checks that it ended having received $1 WM_CLOSE
# (its exit code counts them).
client_ended() {
  wait "$client"
  rc=$?
  client=
  tr -d '\r' < "$client_out" | sed 's/^/    /'
  [ "$rc" -eq "$1" ] || fail "the client ended with exit code $rc, expected $1 (WM_CLOSE received)"
  echo "  the client ended after $1 WM_CLOSE"
}
boxes() {
  tr -d '\r' < "$out" | grep -q "($1 message box" || fail "TRN32CALL did not see $1 message box(es)"
}

step "No desktop client running: 0 at once, no message box"
call 0
boxes 0

step "A client that closes on WM_CLOSE (it takes a second to finish its work): 0 after" \
     "the five-second wait, no message box"
start_client close 1000
call 0 --wait-client 10000
boxes 0
client_ended 1

step "A client that refuses to close: a message box after each wait; Retry sends WM_CLOSE" \
     "again, Cancel gives up with 1"
start_client refuse
# TRN32CALL keeps the first box up until the picture is taken (it names the box's place
# on the screen in $hold): a message box cannot be read back from inside under Wine.
hold="$work/box.txt"
printf '  $ TRN32CALL --wait-client 10000 --answer retry --answer cancel --hold-box %s\n' "$(winpath "$hold")"
"$wine" "$bin/TRN32CALL.EXE" --wait-client 10000 --answer retry --answer cancel \
  --hold-box "$(winpath "$hold")" > "$out" 2>&1 < /dev/null &
caller=$!
tries=0
while [ ! -f "$hold" ] && [ $tries -lt 300 ] && kill -0 "$caller" 2> /dev/null; do
  sleep 0.1
  tries=$((tries + 1))
done
picture=
if [ -f "$hold" ]; then
  read -r x y w h < "$hold"
  sleep 0.5  # the box paints itself
  if command -v xwd > /dev/null 2>&1 && command -v convert > /dev/null 2>&1 &&
     xwd -root -silent | convert xwd:- -crop "${w}x${h}+${x}+${y}" +repage \
       "$screens/clientcheck-box.png"; then
    picture="$screens/clientcheck-box.png"
  fi
  rm -f "$hold"
fi
wait "$caller"
rc=$?
tr -d '\r' < "$out" | sed 's/^/    /'
[ "$rc" -eq 1 ] || fail "TRN32CALL ended with exit code $rc, expected 1"
boxes 2
kill -0 "$client" 2> /dev/null || fail "the refusing client is gone"
kill "$client" 2> /dev/null
wait "$client" 2> /dev/null
client=
tr -d '\r' < "$client_out" | sed 's/^/  /'
echo "  (the refusing client was ended by the demo)"
[ -n "$picture" ] || fail "no picture of the message box was taken (needs xwd and convert)"
echo "  picture of the message box: $picture"

passed "no client 0, closing client 0 after the wait, refusing client two boxes" \
  "then 1 on Cancel"
