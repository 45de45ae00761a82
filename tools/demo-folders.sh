#!/bin/sh
# The folders' part of make demo: a profile "demo-folders" with a POP3 and an IMAP member
# of the sample mail store, whose mail databases hold a few folders and messages written
# straight into their directories. A QPHOST.EXE host script logs in through QPXMULTI.DLL,
# shows the merged folder list of both members, the summed folder information, moves the
# IMAP member's message to the folder "Archive" (which only the POP3 member had, so it is
# made on the IMAP member first), and sets and clears a folder's new-mail state.
# Usage: demo-folders.sh BUILD_DIR (the win64 build, or the folder holding it), with
# WINEPREFIX exported and a wineserver running. Exits non-zero when a step fails.
. "$(dirname "$0")/demo-common.sh"
demo_start folders "${1:-}" QPHOST.EXE QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL
# The folders of a mail database and the messages in each.
tree() {
  for dir in "$1"/*/; do
    [ -d "$dir" ] || continue
    printf '    %s\\:' "$(basename "$dir")"
    found=0
    for msg in "$dir"*.MSG; do
      [ -f "$msg" ] || continue
      printf ' %s' "$(basename "$msg")"
      found=1
    done
    [ "$found" -eq 1 ] || printf ' (empty)'
    printf '\n'
  done
}

# A server directory with the server's libraries and the interface libraries, and one
# mail database directory per member.
demo_server QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL
mkdir -p "$work/mail/pop" "$work/mail/imap" || fail "cannot make $work"
pop=$(winpath "$work/mail/pop")
imap=$(winpath "$work/mail/imap")
printf '[Account]\r\nUserName=jane.pop\r\nPassword=pop-s3cret\r\n' > "$work/mail/pop/ACCOUNT.INI"
printf '[Account]\r\nUserName=jane.imap\r\nPassword=imap-s3cret\r\n' > "$work/mail/imap/ACCOUNT.INI"

# Folders are subdirectories of the mail database, messages "<name>.MSG" files in them
# (host/mailstore/README.md).
message() {
  printf 'From: %s\r\nTo: Jane Doe <jane@example.com>\r\nSubject: %s\r\nDate: Mon, 3 Jun 2024 09:00:00 +0000\r\n\r\n%s\r\n' \
    "$1" "$2" "$3"
}
mkdir -p "$work/mail/pop/Inbox" "$work/mail/pop/Sent" "$work/mail/pop/Archive" \
         "$work/mail/imap/Inbox" "$work/mail/imap/Drafts" "$work/mail/imap/Sent" || fail "no folders"
message "Bob <bob@example.com>" "Lunch on Friday?" "Shall we?" > "$work/mail/pop/Inbox/00000001.MSG"
message "Carol <carol@example.com>" "Minutes" "Attached soon." > "$work/mail/pop/Inbox/00000002.MSG"
message "Dave <dave@imap.example>" "Quarterly report" "Numbers inside." > "$work/mail/imap/Inbox/00000001.MSG"
message "Jane Doe <jane@imap.example>" "Re: Quarterly report" "Thanks." > "$work/mail/imap/Sent/00000001.MSG"

out="$work/output.txt"
qphost() {
  "$wine" "$bin/QPHOST.EXE" "$@" > "$out" 2>&1 < /dev/null
}

step "The profile demo-folders: a POP3 member and an IMAP member"
qphost profile delete demo-folders
for args in "password demo-folders s3cret" \
            "member demo-folders 1 jane.pop POP3 pop-s3cret $pop" \
            "member demo-folders 2 jane.imap IMAP imap-s3cret $imap"; do
  # shellcheck disable=SC2086  # the words are meant to split
  qphost profile $args || { show "$out"; fail "QPHOST profile $args"; }
done
echo "  Login1 jane.pop (POP3), Login2 jane.imap (IMAP)"

step "The members' mail databases before"
for member in pop imap; do
  echo "  $member:"
  tree "$work/mail/$member"
done

script="$work/folders.txt"
cat > "$script" <<'END'
# Folders of the profile demo-folders through QPXMULTI.DLL
open demo-folders s3cret
login
table
folders
folder Inbox
folder Archive
index Inbox
# The IMAP member (slot 1) holds Inbox/00000001; Archive is only the POP3 member's.
move MULTI:1:Inbox/00000001 Archive
folder Archive
index Archive
folders
newmail Inbox
newmail Inbox on
newmail Inbox
newmail Inbox off
rules
logout
close
END
demo_host_script "$script"
# The first list: each folder once, by its entry with " - " where a member gave one.
has 'QPIBuildFolderList: 4 (4 folders)' "the merged list does not have 4 folders"
first=$(printf '%s\n' "$text" | sed -n '/^QPIBuildFolderList/,/^>/p' | head -n 6)
for entry in '"Archive"' '"Inbox - 2 messages"' '"Sent - 1 message"' '"Drafts"'; do
  printf '%s\n' "$first" | grep -Fq "$entry" || fail "the first list lacks $entry"
done
has 'QPIGetMailMessageFolderInfo "Inbox": 1, count 3, "POP3 Inbox: 2 messages, 2 unread"' \
  "the Inbox information is not the sum of both members"
has 'QPIFileMailMessageToFolder (move) "MULTI:1:Inbox/00000001" -> "Archive": 1' "the move failed"
has 'QPIGetMailMessageFolderInfo "Archive": 1, count 1, "POP3 Archive: 0 messages, 0 unread"' \
  "Archive does not count the moved message"
has '"Archive - 1 message"' "the second list does not show the moved message in Archive"
has 'MULTI:1:Archive/00000001' "the index of Archive does not hold the moved message"
has 'QPIDoesFolderHaveNewMail "Inbox": 0' "Inbox had new mail before it was set"
has 'QPISetFolderNewMailStatus "Inbox" on: 1' "setting the new-mail state failed"
has 'QPIDoesFolderHaveNewMail "Inbox": 1' "Inbox has no new mail after it was set"
has 'QPIGetRulesDir: 1 ' "no rules directory"

step "The members' mail databases after the move"
for member in pop imap; do
  echo "  $member:"
  tree "$work/mail/$member"
done
[ -f "$work/mail/imap/Archive/00000001.MSG" ] || fail "the message is not in the IMAP member's Archive"
[ -f "$work/mail/imap/Inbox/00000001.MSG" ] && fail "the message is still in the IMAP member's Inbox"
[ -d "$work/server/USERS/demo-folders/RULES" ] || fail "the rules directory was not made"

step "What the IMAP member received for the move (its journal, folder calls)"
tr -d '\r' < "$work/mail/imap/JOURNAL.LOG" |
  grep -E '^(GetMailMessageFolderInfo|CreateMailFolder|FileMailMessageToFolder) ' | sed 's/^/  /'

step "Summary"
echo "demo-folders passed: two members' folders merged into one list; the IMAP member's message moved to Archive, made there first"
