#!/bin/sh
# The main part of make demo: the road of one typical request, for the profile "jane".
# Lays out a sample server directory (demo-server beside the build folder: programs, user
# database, QUILLPOST.INI, one mail database per member), provisions jane from a profile
# file with a POP3, an IMAP and an SMTP member (the Internet member), tests the members'
# credentials and runs QPHOST doctor, then runs ONE host session through
# QPXMULTI.DLL with QPHOST.EXE: log-in, initialisation, merged folder list and index,
# a message of the IMAP member read with typed addresses, a reply routed to three
# members, filing, new-mail markers, address books, log-out. Each step shows what the
# host asked, what came back and which member answered (the MULTI tag's slot or the type
# prefix, through the member table). Then QPABGEN.EXE builds an address book from the
# server's user database and one from abgen/sample/addresses.csv.
# Usage: demo-road.sh BUILD_DIR (the win64 build, or the folder holding it), with
# WINEPREFIX exported and a wineserver running. Exits non-zero when a step fails.
. "$(dirname "$0")/demo-common.sh"
. "$(dirname "$0")/demo-server.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck disable=SC2086  # the list of files is meant to split
demo_start road "${1:-}" $demo_server_files QPUSERGEN.EXE
server="$(dirname "$(dirname "$bin")")/demo-server"

# Runs a program of the server directory: run EXPECTED PROGRAM ARG... (see demo_run).
run() {
  expected=$1
  program=$2
  shift 2
  demo_run "$expected" "$server/$program" "$@"
}

step "The sample server directory $server"
demo_lay_out_server "$server"
cd "$server" || fail "cannot enter $server"
QP_SERVER_DIR="$(winpath "$server")\\"
export QP_SERVER_DIR
echo "  programs and libraries:" $demo_server_files
echo "  QUILLPOST.INI: $(grep HostDotDomainName "$server/QUILLPOST.INI")"
echo "  user database (QPUSERGEN from abgen/sample/server/users.txt and jane's two accounts):"
tr -d '\r' < "$server/usergen.txt" | sed 's/^/    /'
echo "  mail databases under MAIL, one per member of jane (folder\(messages)):"
demo_show_mail

step "The profile jane, provisioned from a profile file: Login1 POP3, Login2 IMAP, Login3 SMTP for Internet recipients"
"$wine" "$server/QPHOST.EXE" profile delete jane > "$out" 2>&1 < /dev/null
echo "  (a profile jane of an earlier demo is deleted first, if there was one)"
profiles="$server/profiles.txt"
{
  printf '# The demo user: one log-in, three mail accounts\r\n'
  printf 'profile = jane\r\npassword = s3cret\r\ninternet = SMTP\r\n'
  for member in "1 jane.pop POP3 pop" "2 jane.imap IMAP imap" "3 jane.smtp SMTP smtp"; do
    # shellcheck disable=SC2086  # the words are meant to split
    set -- $member
    printf 'member %s = %s | %s | %s-s3cret | %s\r\n' "$1" "$2" "$3" "$4" "$(winpath "$server/MAIL/$2")"
  done
} > "$profiles"
echo "  profiles.txt (passwords shown here as ****):"
tr -d '\r' < "$profiles" | sed -e 's/^\(password = \).*/\1****/' \
  -e 's/^\(member [0-9]* = [^|]*|[^|]*| \)[^|]*/\1**** /' -e 's/^/    /'
run 0 QPHOST.EXE profile import profiles.txt
has "Imported 1 profile" "the profile file was not imported"
echo "  A faulty file is refused with its line and exit code 2, and nothing is written:"
printf 'profile = jane\r\nmember 50 = jane.more | POP3\r\n' > "$server/faulty.txt"
run 2 QPHOST.EXE profile import faulty.txt
has "line 2" "the refusal does not name the line"

step "Every member's credentials tried through the session manager, as the member dialog does"
run 0 QPHOST.EXE profile test jane
for user in jane.pop jane.imap jane.smtp; do has "$user" "profile test lacks the member $user"; done
has "authenticated" "no member authenticated"
run 0 QPHOST.EXE profile export jane
has "member 2 = jane.imap | IMAP | *" "the export does not mask the member password"
printf '%s\n' "$text" | grep -q 's3cret' && fail "profile export printed a password unasked"

step "QPHOST doctor: the server directory, every profile and the dial-up settings"
run 0 QPHOST.EXE doctor
has "No problems found." "doctor found problems in the demo's own set-up"
echo "  A profile broken on purpose (a member on an interface that is not installed, a gap):"
printf 'profile = demo-broken\r\nmember 1 = x.pop | POP3\r\nmember 3 = x.news | NNTP\r\n' \
  > "$server/broken.txt"
run 0 QPHOST.EXE profile import broken.txt
run 1 QPHOST.EXE doctor
has "NNTP, which is not installed" "doctor did not name the missing interface"
has "Login2 missing" "doctor did not name the gap"
run 0 QPHOST.EXE profile delete demo-broken

step "The profile as stored: passwords masked, and only scrambled in the registry"
run 0 QPHOST.EXE profile show jane
for user in jane.pop jane.imap jane.smtp; do has "$user" "profile show lacks the member $user"; done
printf '%s\n' "$text" | grep -q 's3cret' && fail "profile show printed a password unasked"
area=$(printf '%s\n' "$text" | sed -n 's/^Area: *//p')
[ -n "$area" ] || fail "profile show printed no area path"
key="HKCU\\$area\\jane"
echo "  \$ wine64 reg query \"$key\""
"$wine" reg query "$key" > "$out" 2>&1 < /dev/null || fail "reg query $key failed"
show "$out" | sed 's/^/  /'
data=$(tr -d '\r' < "$out" | awk '$1 == "ProfileData" { print $2, $3 }')
[ "${data% *}" = "REG_BINARY" ] || fail "ProfileData is not REG_BINARY (found '$data')"
bytes=${data#* }
[ ${#bytes} -eq 14 ] || fail "ProfileData holds $((${#bytes} / 2)) bytes, expected 7 (password of 6 + one)"
case "$bytes" in *00) ;; *) fail "ProfileData does not end with a zero byte: $bytes" ;; esac
tr -d '\r' < "$out" | awk '$1 == "Password" { found = 1 } END { exit !found }' &&
  fail "a plain Password value is stored"
echo "  ProfileData: REG_BINARY, 7 bytes for the 6-character password, last byte 00; no plain Password value."

. "$root/tools/demo-road-session.sh"

step "QPABGEN from the server's user database (QPABGEN * beside QUILLPOST.INI and QPUSER.DB?)"
run 0 QPABGEN.EXE '*' users.ab
has 'Processing complete!' "QPABGEN did not complete"
[ -f "$server/ADDRBOOK/users.ab" ] || fail "no ADDRBOOK\\users.ab in the server directory"
echo "  The book in key order: name | address | column 3 | column 4 (SMTP addresses completed"
echo "  with the host name; LIST mailboxes and users without a full name left out):"
run 0 QPKEYDUMP.EXE 'ADDRBOOK\users.ab'
has 'count 9' "the user database book does not hold 9 entries"
has 'Jane Doe' "jane's accounts are not in the book"
has 'anna.berg@quillpost.example' "an SMTP address was not completed with the host name"

step "QPABGEN from abgen/sample/addresses.csv (the line without an address gives no entry)"
sed 's/^/  | /' "$root/abgen/sample/addresses.csv"
run 0 QPABGEN.EXE "$(winpath "$root/abgen/sample/addresses.csv")" contacts.ab 'ADDRBOOK'
run 0 QPKEYDUMP.EXE 'ADDRBOOK\contacts.ab'
has 'count 6' "the CSV book does not hold 6 entries"
has 'Desk 4, second floor' "a quoted column with a comma was split"

passed "jane's road through one host session on three members, and two address books"
