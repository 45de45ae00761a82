#!/bin/sh
# The messages' part of make demo: a profile "demo-messages" with a POP3 and an IMAP
# member of the sample mail store, whose Inbox folders hold messages written straight
# into their mail database directories. A QPHOST.EXE host script logs in through
# QPXMULTI.DLL, shows the merged index of both members (every message id carrying its
# member's MULTI tag), searches them, reads a message of the IMAP member (its addresses
# typed "IMAP:", its attachment a tagged reference), extracts that attachment, flags the
# message and sees the index poll report the change, and reads a POP3 message whose
# addresses stay as they are. Usage: demo-messages.sh BUILD_DIR (the win64 build, or the
# folder holding it), with WINEPREFIX exported and a wineserver running. Exits non-zero
# when a step fails.
. "$(dirname "$0")/demo-common.sh"
demo_start messages "${1:-}" QPHOST.EXE QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL
# Index entries separate their text from the id with a 0xFF byte: shown as "|".
show() {
  tr -d '\r' < "$1" | tr '\377' '|' | sed 's/^/  /'
}

# A server directory with the server's libraries and the interface libraries, and one
# mail database directory per member.
demo_server QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL
mkdir -p "$work/mail/pop/Inbox" "$work/mail/imap/Inbox" || fail "cannot make $work"
pop=$(winpath "$work/mail/pop")
imap=$(winpath "$work/mail/imap")
printf '[Account]\r\nUserName=jane.pop\r\nPassword=pop-s3cret\r\n' > "$work/mail/pop/ACCOUNT.INI"
printf '[Account]\r\nUserName=jane.imap\r\nPassword=imap-s3cret\r\n' > "$work/mail/imap/ACCOUNT.INI"

# Messages are "<name>.MSG" files in the folder's directory; FOLDER.DAT holds their flags
# (host/mailstore/README.md).
crlf() {
  sed 's/$/\r/'
}
crlf > "$work/mail/pop/Inbox/00000001.MSG" <<'END'
From: Bob Baker <bob@example.com>
To: Jane Doe <jane@example.com>
Subject: Lunch on Friday?
Date: Mon, 3 Jun 2024 09:00:00 +0000

Shall we try the new place?
END
crlf > "$work/mail/pop/Inbox/00000002.MSG" <<'END'
From: carol@example.com
To: jane@example.com
Subject: Minutes of the board meeting
Date: Mon, 3 Jun 2024 11:30:00 +0000

Minutes follow next week.
END
printf 'status.00000002=0x1\r\n' > "$work/mail/pop/Inbox/FOLDER.DAT"
crlf > "$work/mail/imap/Inbox/00000001.MSG" <<'END'
From: "Dee, Dora" <dora@imap.example>
To: Jane Doe <jane@imap.example>, ed@imap.example
Cc: Finance Team <finance@imap.example>
Subject: Quarterly report
Date: Tue, 4 Jun 2024 08:15:00 +0000
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="part"

--part
Content-Type: text/plain

Jane, the figures for the quarter are attached.
Dora
--part
Content-Type: text/csv
Content-Disposition: attachment; filename="q2-figures.csv"
Content-Transfer-Encoding: base64

cXVhcnRlcixyZXZlbnVlClEyLDQyMDAwCg==
--part--
END
crlf > "$work/mail/imap/Inbox/00000002.MSG" <<'END'
From: Frank <frank@imap.example>
To: jane@imap.example
Subject: Re: Lunch on Friday?
Date: Tue, 4 Jun 2024 12:00:00 +0000

Count me in.
END

out="$work/output.txt"
qphost() {
  "$wine" "$bin/QPHOST.EXE" "$@" > "$out" 2>&1 < /dev/null
}

step "The profile demo-messages: a POP3 member and an IMAP member"
qphost profile delete demo-messages
for args in "password demo-messages s3cret" \
            "member demo-messages 1 jane.pop POP3 pop-s3cret $pop" \
            "member demo-messages 2 jane.imap IMAP imap-s3cret $imap"; do
  # shellcheck disable=SC2086  # the words are meant to split
  qphost profile $args || { show "$out"; fail "QPHOST profile $args"; }
done
echo "  Login1 jane.pop (POP3, slot 0, the primary member), Login2 jane.imap (IMAP, slot 1)"

script="$work/messages.txt"
saved=$(winpath "$work/q2-figures.csv")
cat > "$script" <<END
# Messages of the profile demo-messages through QPXMULTI.DLL
open demo-messages s3cret
login
init
table
index Inbox
changed Inbox
search lunch
# The IMAP member's message: addresses typed with IMAP, the attachment a tagged reference.
read MULTI:1:Inbox/00000001 seen
attachment MULTI:1:IMAP:Inbox/00000001/1/q2-figures.csv $saved
flag MULTI:1:Inbox/00000001 0x4
changed Inbox
index Inbox
# The primary member's message keeps its addresses.
read MULTI:0:Inbox/00000001
# Without a MULTI tag no member is asked.
read Inbox/00000001
logout
close
END
demo_host_script "$script"
has 'QPIBuildMailMessageIndex "Inbox": 2 (4 entries)' "the index does not merge both members' two messages"
has '[MULTI:0:Inbox/00000001]' "the POP3 member's message is not tagged with slot 0"
has '[MULTI:1:Inbox/00000002]' "the IMAP member's message is not tagged with slot 1"
has 'QPIDoMessageSearchFolder "lunch" in every folder: 2' "the search does not find both lunch messages"
has 'From:    "Dee, Dora" <IMAP:dora@imap.example>' "the IMAP sender is not typed"
has 'To:      Jane Doe <IMAP:jane@imap.example>' "the IMAP recipient is not typed"
has 'IMAP:ed@imap.example' "the bare IMAP recipient is not typed"
has 'Cc:      Finance Team <IMAP:finance@imap.example>' "the IMAP copy recipient is not typed"
has 'Attachment 1: MULTI:1:IMAP:Inbox/00000001/1/q2-figures.csv' "the attachment reference is not tagged"
has 'extension "csv", temporary 1' "the attachment did not become a temporary file"
has 'QPICheckMessageIndexUpdated "Inbox": 0 (unchanged)' "the poll saw a change right after the index"
has 'QPICheckMessageIndexUpdated "Inbox": 2 (changed)' "the poll did not see the flag change"
has '..F. Dee, Dora | Quarterly report' "the new index does not show the message seen and flagged"
has 'From:    Bob Baker <bob@example.com>' "the primary member's sender was changed"
has 'QPILoadMailMessage Inbox/00000001: 0' "an untagged id reached a member"
[ "$(tr -d '\r' < "$work/q2-figures.csv")" = "$(printf 'quarter,revenue\nQ2,42000')" ] ||
  fail "the extracted attachment is not the CSV of the message"

step "The extracted attachment $(basename "$work/q2-figures.csv")"
show "$work/q2-figures.csv"

step "What the IMAP member received (its journal, message calls)"
calls='BuildMailMessageIndex|DoMessageSearchFolder|LoadMailMessage|QualifyAttachmentName'
calls="$calls|CheckMessageIndexUpdated|UpdateMailMessageStatus"
tr -d '\r' < "$work/mail/imap/JOURNAL.LOG" |
  grep -E "^($calls) " |
  sed 's/^/  /'
echo "  Inbox/FOLDER.DAT:"
tr -d '\r' < "$work/mail/imap/Inbox/FOLDER.DAT" | sed 's/^/    /'

step "Summary"
echo "demo-messages passed: the index of two members merged and tagged;" \
  "a message of the non-primary (IMAP) member read with typed addresses"
