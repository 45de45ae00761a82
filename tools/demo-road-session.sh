# The host session of demo-road.sh (sourced by it, after the profile jane is set up):
# one QPHOST host script for the whole road, run once; its output is then cut at the
# script's "# STEP" lines and each step is shown with what the host asked (the "> "
# lines), what came back, and which member answered it, named through the member table.

steps="$work/steps"
mkdir -p "$steps" || fail "cannot make $steps"
script="$work/road.txt"
: > "$script"
# road KEY TITLE: the script lines of one step from standard input.
road() {
  printf '# STEP %s\n' "$1" >> "$script"
  cat >> "$script"
  printf '%s\n' "$2" > "$steps/$1.title"
}

road login "Log-in: QPIAuthenticateUser opens one member session per Login (flags 3)" <<'END'
status
open jane s3cret
login 3
# The member table: which slot is which member. Slot 0 is the primary member.
table
END
road init "Initialisation: member options, identity, one signature for all" <<'END'
init
# After QPIInitUser every member has its session options.
table
name
address
signature
END
road folders "The merged folder list: each folder once, the Inbox counted over all members" <<'END'
folders
folder Inbox
END
road index "The message index of the Inbox: each identifier carries its member's MULTI tag" <<'END'
index Inbox
search lunch
END
road read "Loading a message of the IMAP member: its addresses come back typed IMAP" <<END
read MULTI:1:Inbox/00000001 seen
attachment MULTI:1:IMAP:Inbox/00000001/1/q2-figures.csv $(winpath "$work/q2-figures.csv")
END
road reply "A reply: back through the IMAP member; a local name, an Internet address" <<'END'
# To: the typed address as read; Cc: a local user and an Internet address.
send "Dora Davies <IMAP:dora@imap.example>" "Ben Cole <bcole>, Sam Shaw <sam@partner.example>" "" "Re: Quarterly report" "Thank you, Dora. Ben and Sam will have them too."
END
road filing "Filing: the answered message to Archive, a copy of the reply to Sent" <<'END'
flag MULTI:1:Inbox/00000001 0x2
# Archive is only the POP3 member's folder: the IMAP member makes it first.
move MULTI:1:Inbox/00000001 Archive
folder Archive
add Sent "From: Jane Doe <jane@quillpost.example>\r\nTo: Dora Davies <dora@imap.example>\r\nSubject: Re: Quarterly report\r\nDate: Tue, 4 Jun 2024 14:00:00 +0000\r\n\r\nThank you, Dora.\r\n"
index Archive
index Sent
END
road newmail "New mail: the members polled, the index poll, the Inbox's new-mail marker" <<'END'
poll
changed Inbox
newmail Inbox
newmail Inbox on
newmail Inbox
newmail Inbox off
END
road books "Address books: every member's books, one book's entries, a search, one entry" <<'END'
books
recips IMAP:TEAM
findaddr partner
entry IMAP:TEAM dora@imap.example
END
road logout "Log-out: QPICleanUpAfterUser ends every member session" <<'END'
logout
table
close
END

step "The host script: one host session for the road (QPHOST host road.txt)"
show "$script" | sed 's/^  # STEP .*//'
echo "  (each '> ' line below is a line of this script, what the host asked; under it what came back)"
# The log-in is interactive (flags 3): a window nobody answers would wait for ever.
timeout "${QP_DEMO_HOST_SECONDS:-120}" "$wine" "$server/QPHOST.EXE" host "$(winpath "$script")" \
  > "$work/host.txt" 2>&1 < /dev/null
host_rc=$?
# Cut the output at the echoed "# STEP KEY" lines.
tr -d '\r' < "$work/host.txt" | tr '\377' '|' | awk -v dir="$steps" '
  /^> # STEP / { file = dir "/" $4 ".out"; next }
  file != "" { print > file }'
if [ "$host_rc" -ne 0 ]; then
  show "$work/host.txt"
  [ "$host_rc" -eq 124 ] &&
    fail "QPHOST host did not end within ${QP_DEMO_HOST_SECONDS:-120} s (a window waiting for an answer?)"
  fail "QPHOST host ended with exit code $host_rc"
fi

# The members by slot, from the table after the log-in: "slot login user type".
members="$work/members.txt"
awk '$1 ~ /^[0-9]+$/ && $4 ~ /^jane\./ { print $1, $2, $4, $5 }' "$steps/login.out" > "$members"
member() {  # the member of slot $1, or of type $2
  awk -v slot="$1" -v type="$2" '$1 == slot || $4 == type {
    printf "slot %s = Login%s %s (%s)", $1, $2, $3, $4; exit }' "$members"
}
# Shows step KEY: heading, the asked lines and answers, and "answered by", which names the
# members whose MULTI tags (else type prefixes) the answers carry, or else $2 ("-": the
# caller says it); $3 is added to what was found.
show_step() {
  step "$(cat "$steps/$1.title")"
  [ -f "$steps/$1.out" ] || fail "the host script did not reach this step"
  sed 's/^> # /  (/; /^  (/s/$/)/; s/^> /  > /; /^  [>(]/!s/^/      /' "$steps/$1.out"
  text=$(cat "$steps/$1.out")
  answers=$(grep -v '^> ' "$steps/$1.out")
  by=
  for slot in $(printf '%s\n' "$answers" | grep -o 'MULTI:[0-9]*:' | sort -u | tr -dc '0-9\n'); do
    by="$by${by:+; }$(member "$slot" -)"
  done
  if [ -z "$by" ]; then
    for type in $(printf '%s\n' "$answers" | grep -oE '(POP3|IMAP|SMTP):' | sort -u | tr -d ':'); do
      by="$by${by:+; }$(member - "$type")"
    done
  fi
  by=${by:-${2:-}}
  [ "$by" = "-" ] || echo "  answered by: $by${3:+; $3}"
}
everyone="every member: $(awk '{ printf "%s%s (%s)", (NR > 1 ? ", " : ""), $3, $4 }' "$members")"

show_step login "$everyone, each on its own interface"
has '3 member sessions, table in the host session' "the log-in did not open the three members"
[ "$(member 0 -)" = "slot 0 = Login1 jane.pop (POP3)" ] && [ "$(member 1 -)" = "slot 1 = Login2 jane.imap (IMAP)" ] &&
  [ "$(member 2 -)" = "slot 2 = Login3 jane.smtp (SMTP)" ] || fail "the member table is not POP3, IMAP, SMTP in Login order"
echo "  members: $(member 0 -) is the primary member; $(member 2 -) takes Internet recipients"

show_step init "$everyone (the name from jane.pop, the address from jane.imap, the signature from jane.imap)"
# 0x200 | 0x800 and the type's bits (POP3 0xC, IMAP 0x98 less 0x10, which follows the
# host's word like 0x40 and 0x100).
printf '%s\n' "$text" | grep -Eq '^ +0 +1 +[0-9]+ +jane\.pop +POP3 +0x00000A0C' &&
  printf '%s\n' "$text" | grep -Eq '^ +1 +2 +[0-9]+ +jane\.imap +IMAP +0x00000A88' ||
  fail "the members lack their options after QPIInitUser"
has 'QPIGetFullName: 1 "Jane Doe"' "no full name"
has 'QPIGetFullAddress: 1 "Jane Doe <jane@imap.example>"' "no full address"
has 'Signature: "Jane Doe\r\nFinance, quillpost.example"' "the IMAP signature did not become the profile's"
for m in jane.pop jane.smtp; do
  [ "$(cat "$server/MAIL/$m/SIGNATURE.TXT" 2> /dev/null)" = "$(cat "$server/MAIL/jane.imap/SIGNATURE.TXT")" ] ||
    fail "$m did not get the signature"
done
echo "  SIGNATURE.TXT of jane.pop and jane.smtp now hold the IMAP signature; jane's own: USERS/jane/Signatur.QP"
[ -f "$server/USERS/jane/Signatur.QP" ] || fail "the profile's own signature file was not written"

show_step folders "$everyone (each folder once; the counts summed)"
has '"Inbox - 2 messages"' "the merged list lacks the Inbox"
has '"Archive"' "the merged list lacks the POP3 member's Archive"
has '"Sent - 1 message"' "the merged list lacks the IMAP member's Sent"
has 'QPIGetMailMessageFolderInfo "Inbox": 1, count 4' "the Inbox count is not the sum over the members"

show_step index
has 'QPIBuildMailMessageIndex "Inbox": 2 (4 entries)' "the index does not merge the members' four messages"
has 'Lunch on Friday?' "the POP3 member's message is missing"
has '[MULTI:0:Inbox/00000001]' "the POP3 member's message is not tagged with slot 0"
has '[MULTI:1:Inbox/00000001]' "the IMAP member's message is not tagged with slot 1"
has 'QPIDoMessageSearchFolder "lunch" in every folder: 2' "the search does not find both lunch messages"

show_step read
has 'From:    Dora Davies <IMAP:dora@imap.example>' "the IMAP sender is not typed"
has 'To:      Jane Doe <IMAP:jane@imap.example>' "the IMAP recipient is not typed"
has 'Cc:      Finance Team <IMAP:finance@imap.example>' "the IMAP copy recipient is not typed"
has 'Attachment 1: MULTI:1:IMAP:Inbox/00000001/1/q2-figures.csv' "the attachment reference is not tagged"
[ "$(tr -d '\r' < "$work/q2-figures.csv")" = "$(printf 'quarter,revenue\nQ2,42000')" ] ||
  fail "the extracted attachment is not the CSV of the message"
echo "  the attachment saved: $(tr '\n' ' ' < "$work/q2-figures.csv")"

show_step reply -
has 'QPISendMailMessage: 0' "the send did not succeed"
echo "  What each member delivered (SPOOL\\SENT0001.EML in its mail database):"
for m in jane.pop jane.imap jane.smtp; do
  printf '    %-10s ' "$m:"
  tr -d '\r' < "$server/MAIL/$m/SPOOL/SENT0001.EML" 2> /dev/null | sed -n '/^To:/p; /^Cc:/p' | tr '\n' ' '
  printf '\n'
done
recipients() {
  tr -d '\r' < "$server/MAIL/$1/SPOOL/SENT0001.EML" 2> /dev/null | sed -n 's/^\(To\|Cc\): //p' | tr '\n' ' '
}
case "$(recipients jane.imap)" in *dora@imap.example*) ;; *) fail "the reply did not go back through the IMAP member" ;; esac
case "$(recipients jane.imap)" in *IMAP:*) fail "the IMAP member received the type prefix" ;; esac
case "$(recipients jane.pop)" in *bcole*) ;; *) fail "the primary member did not deliver the local name" ;; esac
case "$(recipients jane.smtp)" in *sam@partner.example*) ;; *) fail "the Internet member did not deliver the Internet address" ;; esac
echo "  answered by: $(member - IMAP) for Dora, $(member - POP3) for the local name," \
  "$(member - SMTP) for the Internet address"

show_step filing
has 'QPIUpdateMailMessageStatus MULTI:1:Inbox/00000001' "the message was not marked answered"
has 'QPIFileMailMessageToFolder (move) "MULTI:1:Inbox/00000001" -> "Archive": 1' "the move failed"
has 'QPIGetMailMessageFolderInfo "Archive": 1, count 1' "Archive does not count the moved message"
has 'MULTI:1:Archive/00000001' "the index of Archive does not hold the moved message"
[ -f "$server/MAIL/jane.imap/Archive/00000001.MSG" ] || fail "the message is not in the IMAP member's Archive"
[ -f "$server/MAIL/jane.imap/Inbox/00000001.MSG" ] && fail "the message is still in the IMAP member's Inbox"
has 'QPIAddMailMessageToFolder "Sent"' "the copy was not filed"

show_step newmail "$everyone; the marker is set on every member and in QPXMULTI's own file\
 USERS\\jane\\Inbox.NRL, which is asked first"
has 'QPIForcePollForNewMail (flags 0, value 0): 3' "the IMAP member's new mail was not reported"
has 'QPICheckMessageIndexUpdated "Inbox": 2 (changed)' "the index poll did not see the Inbox change"
has 'QPIDoesFolderHaveNewMail "Inbox": 0' "Inbox had new mail before it was set"
has 'QPISetFolderNewMailStatus "Inbox" on: 1' "setting the new-mail marker failed"
has 'QPIDoesFolderHaveNewMail "Inbox": 1' "Inbox has no new mail after it was set"

show_step books "" "$(member 0 -) for the untyped book LOCAL (the primary member's names stay as they are)"
for book in '"LOCAL"' '"IMAP:TEAM"' '"SMTP:PARTNERS"'; do has "$book" "the book list lacks $book"; done
has 'Frank Fox <IMAP:frank@imap.example>' "the IMAP book's entries are not typed"
has 'Sam Shaw <SMTP:sam@partner.example>' "the address-book search did not find the partner"
has 'QPIGetPublicAddressBookEntry "IMAP:TEAM" "dora@imap.example": 1' "no entry for Dora"

show_step logout "$everyone ended"
[ "$(printf '%s\n' "$text" | grep -c '(ended)')" -eq 3 ] || fail "the log-out did not end the three members"

step "What each member was asked in this session (its JOURNAL.LOG: call(times)), and what it holds"
for m in jane.pop jane.imap jane.smtp; do
  calls=$(tr -d '\r' < "$server/MAIL/$m/JOURNAL.LOG" | awk '{ print $1 }' | sort | uniq -c |
    awk '{ printf "%s%s(%s)", (NR > 1 ? ", " : ""), $2, $1 }')
  echo "  $m: $calls" | fold -s -w 92 | sed '2,$s/^/      /'
done
grep -q '^AuthenticateUser' "$server/MAIL/jane.smtp/JOURNAL.LOG" || fail "the SMTP member was not authenticated"
grep -q '^LoadMailMessage' "$server/MAIL/jane.imap/JOURNAL.LOG" || fail "the IMAP member did not load the message"
grep -q '^LoadMailMessage' "$server/MAIL/jane.pop/JOURNAL.LOG" && fail "the POP3 member was asked for the IMAP member's message"
echo "  The mail databases now (SPOOL holds what each member sent):"
demo_show_mail
