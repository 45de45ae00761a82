# The sample server directory of make demo, sourced by demo-road.sh after demo-common.sh:
#   demo_lay_out_server DIR
# lays out DIR afresh the way a mail server's directory looks: the server's programs and
# libraries (copied from $bin), QUILLPOST.INI and the user database files (made by
# QPUSERGEN.EXE from abgen/sample/server/users.txt and jane's two accounts), and under
# MAIL\ one mail database per member of the profile jane: a POP3, an IMAP and an SMTP
# account of the sample mail store, each with its account file, folders holding RFC 822
# messages (some with attachments), an address book and, for two, a signature.
# Mail database layout: host/mailstore/README.md.

demo_server_files="QPHOST.EXE QPXCOMM.DLL QPXSESS.DLL QPXMULTI.DLL QPXPOP3.DLL QPXIMAP.DLL
QPXSMTP.DLL QPABGEN.EXE QPKEYDUMP.EXE"

# Standard input with CR LF line ends, into the file $1.
crlf_to() {
  sed 's/$/\r/' > "$1" || fail "cannot write $1"
}

demo_lay_out_server() {
  server=$1
  rm -rf "$server"
  mkdir -p "$server" || fail "cannot make $server"
  for f in $demo_server_files; do
    cp "$bin/$f" "$server/" || fail "cannot copy $f into $server"
  done
  sample="$root/abgen/sample"
  cp "$sample/server/QUILLPOST.INI" "$server/" || fail "cannot copy QUILLPOST.INI"
  # The sample users, and jane's POP3 and IMAP accounts on this server.
  { cat "$sample/server/users.txt"
    printf 'J | jane.pop            | Jane Doe    | POP3 | jane@quillpost.example\n'
    printf 'J | jane.imap           | Jane Doe    | IMAP | jane@imap.example\n'
  } > "$server/users.txt"
  "$wine" "$bin/QPUSERGEN.EXE" "$(winpath "$server/users.txt")" "$(winpath "$server")" \
    > "$server/usergen.txt" 2>&1 < /dev/null || { show "$server/usergen.txt"; fail "QPUSERGEN failed"; }

  mail="$server/MAIL"
  pop="$mail/jane.pop" imap="$mail/jane.imap" smtp="$mail/jane.smtp"
  mkdir -p "$pop/Inbox" "$pop/Archive" "$imap/Inbox" "$imap/Sent" "$smtp/Inbox" ||
    fail "cannot make the mail databases under $mail"

  # The accounts: POP3 takes a full name and address (0x10, 0x8); IMAP has its own
  # address and reports new mail when polled.
  printf '[Account]\r\nUserName=jane.pop\r\nPassword=pop-s3cret\r\nFullName=Jane Doe\r\nCapabilities=0xC18\r\n' \
    > "$pop/ACCOUNT.INI"
  printf '[Account]\r\nUserName=jane.imap\r\nPassword=imap-s3cret\r\nFullAddress=Jane Doe <jane@imap.example>\r\nPollResult=3\r\n' \
    > "$imap/ACCOUNT.INI"
  printf '[Account]\r\nUserName=jane.smtp\r\nPassword=smtp-s3cret\r\n' > "$smtp/ACCOUNT.INI"

  # Signatures: the IMAP account's is the first one found, the SMTP account's is old.
  printf 'Jane Doe\r\nFinance, quillpost.example' > "$imap/SIGNATURE.TXT"
  printf 'J. Doe (old signature)' > "$smtp/SIGNATURE.TXT"

  # An address book each.
  printf 'Ben Cole <bcole>\r\nPostmaster <postmaster>\r\nDora Davies <ddavies>\r\n' | crlf_to "$pop/LOCAL.ABK"
  printf 'Dora Davies <dora@imap.example>\nFrank Fox <frank@imap.example>\nFinance Team <finance@imap.example>\n' |
    crlf_to "$imap/TEAM.ABK"
  printf 'Sam Shaw <sam@partner.example>\nPartner Office <office@partner.example>\n' | crlf_to "$smtp/PARTNERS.ABK"

  crlf_to "$pop/Inbox/00000001.MSG" <<'END'
From: Ben Cole <bcole@quillpost.example>
To: Jane Doe <jane@quillpost.example>
Subject: Lunch on Friday?
Date: Mon, 3 Jun 2024 09:00:00 +0000
Message-ID: <lunch-1@quillpost.example>
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="b1"

--b1
Content-Type: text/plain; charset=us-ascii

Shall we try the new place by the river? The menu is attached.
Ben
--b1
Content-Type: text/plain; name="menu.txt"
Content-Disposition: attachment; filename="menu.txt"
Content-Transfer-Encoding: base64

U291cCBvZiB0aGUgZGF5CkZpc2ggYW5kIGNoaXBzCkFwcGxlIHBpZQo=
--b1--
END
  crlf_to "$pop/Inbox/00000002.MSG" <<'END'
From: Postmaster <postmaster@quillpost.example>
To: jane@quillpost.example
Subject: Welcome to quillpost.example
Date: Sat, 1 Jun 2024 08:00:00 +0000
Message-ID: <welcome-jane@quillpost.example>

Your mailbox is ready.
END
  printf 'status.00000002=0x1\r\n' > "$pop/Inbox/FOLDER.DAT"

  crlf_to "$imap/Inbox/00000001.MSG" <<'END'
From: Dora Davies <dora@imap.example>
To: Jane Doe <jane@imap.example>, ed@imap.example
Cc: Finance Team <finance@imap.example>
Subject: Quarterly report
Date: Tue, 4 Jun 2024 08:15:00 +0000
Message-ID: <q2-report@imap.example>
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
  crlf_to "$imap/Inbox/00000002.MSG" <<'END'
From: Frank Fox <frank@imap.example>
To: jane@imap.example
Subject: Re: Lunch on Friday?
Date: Tue, 4 Jun 2024 12:00:00 +0000
In-Reply-To: <lunch-1@quillpost.example>

Count me in.
END
  crlf_to "$imap/Sent/00000001.MSG" <<'END'
From: Jane Doe <jane@imap.example>
To: Dora Davies <dora@imap.example>
Subject: Figures for the quarter?
Date: Mon, 3 Jun 2024 16:00:00 +0000

Could you send me the figures?
END
}

# One line per mail database under $server/MAIL: its files, and its folders with the
# number of messages in each.
demo_show_mail() {
  for db in "$server/MAIL"/*/; do
    line=
    for entry in "$db"*; do
      name=$(basename "$entry")
      if [ -d "$entry" ]; then
        count=$(find "$entry" -maxdepth 1 -name '*.MSG' -o -maxdepth 1 -name '*.EML' | wc -l)
        name="$name\\($count)"
      fi
      line="$line${line:+, }$name"
    done
    printf '    %-10s %s\n' "$(basename "$db"):" "$line" | fold -s -w 92 | sed '2,$s/^/               /'
  done
}
