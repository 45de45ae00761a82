#!/bin/sh
# The dial-up library's part of make demo: QPRASCALL.EXE calls StartDialUpNetworking and
# TestDialUpNetworking of QPXRAS.DLL the way the mail server does, against our stand-in
# dial-up service RASAPI32.DLL (a scripted phonebook and dial outcomes, every call
# journaled). Three runs for the user "jane", who has said yes to dial-up networking:
# the caller gets connected by itself within the grace period (no dialog); a dial through
# the settings dialog and the wait window that connects; a dial that the service refuses.
# The system's autodial is on: the record shows the value the library switched off, and
# the demo checks that it is back after each run and that the confirmed choice is in the
# registry.
# Usage: demo-dialup.sh BUILD_DIR (the win64 build, or the folder holding it), with
# WINEPREFIX exported, a wineserver running and an X display. Exits non-zero on the first
# failure.
. "$(dirname "$0")/demo-common.sh"
demo_start dialup "${1:-}" QPRASCALL.EXE QPXRAS.DLL RASAPI32.DLL QPXCOMM.DLL
mkdir -p "$work/server/USERS/jane" || fail "cannot make $work"

# Our RASAPI32.DLL rather than Wine's built-in one; its script and journal; a server
# directory of our own for the user profile of jane.
export WINEDLLOVERRIDES="rasapi32=n"
export QP_RASFAKE_SCRIPT="$(winpath "$work/ras-script.txt")"
export QP_RASFAKE_JOURNAL="$(winpath "$work/ras-journal.txt")"
export QP_SERVER_DIR="$(winpath "$work/server")\\"
printf '[DialUp]\r\nUseDialUpNetworking=Yes\r\n' > "$work/server/USERS/jane/QPUSER.INI"

settings='HKCU\Software\Vendral\Corvane\DialUpNetworking'
internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
reg() {
  "$wine" reg "$@" > "$work/reg.txt" 2>&1 < /dev/null
}
autodial() {
  reg query "$internet" /v EnableAutodial || { echo none; return; }
  tr -d '\r' < "$work/reg.txt" | awk '$1 == "EnableAutodial" { print $2, $3 }'
}
# Runs QPRASCALL and fails the demo when its exit code (the result of
# TestDialUpNetworking) is not $1.
call() {
  expected=$1
  shift
  demo_run "$expected" "$bin/QPRASCALL.EXE" "$@"
}
journal() {
  echo "  the dial-up service's journal:"
  if [ -s "$work/ras-journal.txt" ]; then
    tr '\t' ' ' < "$work/ras-journal.txt" | sed 's/^/    /'
  else
    echo "    (no calls)"
  fi
  rm -f "$work/ras-journal.txt"
}

step "Dial-up: the system's autodial is on (EnableAutodial 1), no choice remembered yet"
reg delete "$settings" /f
reg add "$internet" /v EnableAutodial /t REG_BINARY /d 01000000 /f || fail "cannot set EnableAutodial"
echo "  EnableAutodial: $(autodial)"
cat > "$work/ras-script.txt" <<'SCRIPT'
# The phonebook: name | own number | stored user name | stored password
entry Office Dial-Up | 555-0100 | jane.doe | s3cret
entry Home ISP | 555-0111 | jdoe | pw
# The states of a call come 400 ms apart.
delay 400
dial PortOpened Authenticate Connected
SCRIPT
echo "  the dial-up service's script:"
sed 's/^/    /' "$work/ras-script.txt"

step "Dial-up: the caller gets connected by itself 1.5 s into the 5 s grace period"
call 1 jane --answer --connect-after 1500
grep -q "settings dialog" "$out" && fail "a settings dialog came up although the caller connected"
journal
[ "$(autodial)" = "REG_BINARY 01000000" ] || fail "EnableAutodial was not restored: $(autodial)"
echo "  EnableAutodial afterwards: $(autodial)"

step "Dial-up: after the grace period the user confirms the dialog with the location's" \
  "phone number; the call connects and stays up"
call 1 jane --answer --phone 9,555-0100
grep -q "Verifying user name and password" "$out" || fail "the wait window showed no progress"
journal
reg query "$settings" /v DefaultProfile || fail "no DefaultProfile was stored"
tr -d '\r' < "$work/reg.txt" | grep -q "Office Dial-Up" || fail "DefaultProfile is not Office Dial-Up"
reg query "$settings\\Office Dial-Up\\(default)" /v PhoneNumber || fail "no PhoneNumber was stored"
echo "  stored: DefaultProfile = Office Dial-Up, (default) location PhoneNumber = 9,555-0100"
[ "$(autodial)" = "REG_BINARY 01000000" ] || fail "EnableAutodial was not restored: $(autodial)"
echo "  EnableAutodial afterwards: $(autodial)"

step "Dial-up: the next call is refused by the dial-up service (error 678)"
sed -i 's/^dial .*/dial error 678/' "$work/ras-script.txt"
echo "  the script's dial line is now: dial error 678"
call 0 jane --answer
grep -q "Dial-up error 678" "$out" || fail "the refusal did not show error 678"
journal
[ "$(autodial)" = "REG_BINARY 01000000" ] || fail "EnableAutodial was not restored: $(autodial)"
echo "  EnableAutodial afterwards: $(autodial)"

reg delete "$internet" /v EnableAutodial /f
reg delete "$settings" /f
passed "no dialog when the caller connects by itself, a scripted call connected" \
  "through the dialogs, a refused call reported with its error; autodial restored each time"
