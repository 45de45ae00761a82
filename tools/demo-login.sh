#!/bin/sh
# Logs the two-member profile "demo-jane" (a POP3 and an IMAP account of the sample mail
# store) in and out through QPXMULTI.DLL, driven by a QPHOST.EXE host script: log-in,
# member table, initialisation (identity, one signature for all), polling, log-out.
# Prints the script, QPHOST's output and each member's journal; exits non-zero when a
# step fails. Usage: demo-login.sh BUILD_DIR (WINEPREFIX set, a wineserver running).
. "$(dirname "$0")/demo-common.sh"
demo_start login "${1:-}" QPHOST.EXE QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL
demo_server QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL
mkdir -p "$work/mail/pop" "$work/mail/imap" || fail "cannot make $work"
pop=$(winpath "$work/mail/pop")
imap=$(winpath "$work/mail/imap")
printf '[Account]\r\nUserName=jane.pop\r\nPassword=pop-s3cret\r\nFullName=Jane Doe\r\nCapabilities=0xC18\r\n' \
  > "$work/mail/pop/ACCOUNT.INI"
printf '[Account]\r\nUserName=jane.imap\r\nPassword=imap-s3cret\r\nFullAddress=Jane Doe <jane@imap.example>\r\nPollResult=3\r\n' \
  > "$work/mail/imap/ACCOUNT.INI"
printf 'Jane Doe\r\n-- written on the IMAP side' > "$work/mail/imap/SIGNATURE.TXT"

out="$work/output.txt"
qphost() {
  "$wine" "$bin/QPHOST.EXE" "$@" > "$out" 2>&1 < /dev/null
}

step "The profile demo-jane: a POP3 member and an IMAP member"
qphost profile delete demo-jane
for args in "password demo-jane s3cret" \
            "member demo-jane 1 jane.pop POP3 pop-s3cret $pop" \
            "member demo-jane 2 jane.imap IMAP imap-s3cret $imap"; do
  # shellcheck disable=SC2086  # the words are meant to split
  qphost profile $args || { show "$out"; fail "QPHOST profile $args"; }
done
qphost profile show demo-jane || fail "QPHOST profile show demo-jane"
show "$out"

script="$work/login.txt"
cat > "$script" <<'END'
# One host session on QPXMULTI.DLL for the profile demo-jane
status
open demo-jane S3CRET
login
table
init
table
name
address
signature
poll 4
poll
logout
table
close
END
demo_host_script "$script"
printf '%s\n' "$text" | grep -q '2 member sessions, table in the host session' ||
  fail "the log-in did not open both members"
printf '%s\n' "$text" | grep -Eq '^ +0 +1 +[0-9]+ +jane\.pop +POP3 +0x' || fail "no POP3 member in slot 0"
printf '%s\n' "$text" | grep -Eq '^ +1 +2 +[0-9]+ +jane\.imap +IMAP +0x' || fail "no IMAP member in slot 1"
# After QPIInitUser: 0x200 | 0x800 and the type's bits (POP3 0xC, IMAP 0x98 less 0x10,
# which follows the host's word like 0x40 and 0x100).
printf '%s\n' "$text" | grep -Eq '^ +0 +1 +[0-9]+ +jane\.pop +POP3 +0x00000A0C' &&
  printf '%s\n' "$text" | grep -Eq '^ +1 +2 +[0-9]+ +jane\.imap +IMAP +0x00000A88' ||
  fail "the members lack their options after QPIInitUser"
printf '%s\n' "$text" | grep -q 'QPIGetFullName: 1 "Jane Doe"' || fail "no full name"
printf '%s\n' "$text" | grep -q 'Signature: "Jane Doe\\r\\n-- written on the IMAP side"' ||
  fail "the IMAP signature did not become the profile's"
printf '%s\n' "$text" | grep -q 'QPIForcePollForNewMail (flags 4, value 0): 3' || fail "the poll gave no 3"
[ "$(printf '%s\n' "$text" | grep -c '(ended)')" -eq 2 ] || fail "the log-out did not end both members"

step "What the members received (their journals)"
for member in pop imap; do
  echo "  $member:"
  tr -d '\r' < "$work/mail/$member/JOURNAL.LOG" | sed 's/^/    /'
done
[ "$(tr -d '\r' < "$work/mail/pop/SIGNATURE.TXT")" = "$(printf 'Jane Doe\n-- written on the IMAP side')" ] ||
  fail "the POP3 member did not get the signature"

step "Summary"
echo "demo-login passed: demo-jane logged in (2 member sessions), initialised, polled and logged out"
