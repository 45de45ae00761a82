#!/bin/sh
# Sends one message through QPXMULTI.DLL from a QPHOST.EXE host script, for the profile
# "demo-send" of three sample-store members: POP3 (the primary member), SMTP (the
# interface for Internet recipients) and IMAP. The recipients are a local name, an
# Internet address and an IMAP-typed address; each member's spool then shows whom it
# delivered, without the type prefix. Also validates and compares addresses, and lists
# the address books of the members typed by member. Usage: demo-sending.sh BUILD_DIR
# (WINEPREFIX set, a wineserver running).
. "$(dirname "$0")/demo-common.sh"
demo_start sending "${1:-}" QPHOST.EXE QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL QPXSMTP.DLL
demo_server QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL QPXSMTP.DLL
for member in pop smtp imap; do
  mkdir -p "$work/mail/$member" || fail "cannot make $work/mail/$member"
  printf '[Account]\r\nUserName=jane.%s\r\nPassword=%s-pw\r\n' "$member" "$member" \
    > "$work/mail/$member/ACCOUNT.INI"
done
printf 'Colleagues\r\n' > "$work/mail/imap/TEAM.ABK"

out="$work/output.txt"
qphost() {
  "$wine" "$bin/QPHOST.EXE" "$@" > "$out" 2>&1 < /dev/null
}
step "The profile demo-send: POP3 (primary), SMTP (Internet recipients), IMAP"
qphost profile delete demo-send
for args in "password demo-send s3cret" \
            "member demo-send 1 jane.pop POP3 pop-pw $(winpath "$work/mail/pop")" \
            "member demo-send 2 jane.smtp SMTP smtp-pw $(winpath "$work/mail/smtp")" \
            "member demo-send 3 jane.imap IMAP imap-pw $(winpath "$work/mail/imap")" \
            "internet demo-send SMTP"; do
  # shellcheck disable=SC2086  # the words are meant to split
  qphost profile $args || { show "$out"; fail "QPHOST profile $args"; }
done

script="$work/send.txt"
cat > "$script" <<'END'
open demo-send s3cret
login
table
send "Bob Local, friend@example.com, IMAP:ann@imap.example" "" "" "Plans" "See you at ten."
validate "Bob Local, friend@example.com"
compare "IMAP:ann@imap.example" "IMAP:ANN@imap.example"
books
logout
close
END
demo_host_script "$script"
has 'QPISendMailMessage: 0' "the send did not succeed"

step "What each member delivered (its spool)"
for member in pop smtp imap; do
  echo "  $member:"
  for f in "$work/mail/$member/SPOOL/"*.EML; do
    [ -f "$f" ] || continue
    tr -d '\r' < "$f" | sed -n '/^To:/p; /^Cc:/p' | sed 's/^/    /'
  done
done
to() {
  tr -d '\r' < "$work/mail/$1/SPOOL/SENT0001.EML" 2> /dev/null | sed -n 's/^To: //p'
}
case "$(to pop)" in *"Bob Local"*) ;; *) fail "the primary member did not deliver the local name" ;; esac
case "$(to smtp)" in *friend@example.com*) ;; *) fail "the SMTP member did not deliver the Internet address" ;; esac
case "$(to imap)" in *ann@imap.example*) ;; *) fail "the IMAP member did not deliver its typed address" ;; esac
case "$(to imap)" in *IMAP:*) fail "the IMAP member received the type prefix" ;; esac

step "Summary"
echo "demo-sending passed: the local name went through POP3, the Internet address through SMTP,"
echo "the IMAP-typed address through IMAP without its prefix"
