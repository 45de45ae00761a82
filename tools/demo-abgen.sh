#!/bin/sh
# The address book generator's part of make demo: QPABGEN.EXE builds an address book from
# the sample input file and one from a sample server directory (QUILLPOST.INI and user
# database files that QPUSERGEN.EXE makes from abgen/sample/server/users.txt); QPKEYDUMP
# shows each in key order. Usage: demo-abgen.sh BUILD_DIR (the win64 build, or the folder
# holding it), with WINEPREFIX exported and a wineserver running. Exits non-zero on the
# first failure.
. "$(dirname "$0")/demo-common.sh"
demo_start abgen "${1:-}" QPABGEN.EXE QPXCOMM.DLL QPKEYDUMP.EXE QPUSERGEN.EXE
root=$(cd "$(dirname "$0")/.." && pwd)
sample="$root/abgen/sample"
out="$work/output.txt"
mkdir -p "$work/books" || fail "cannot make $work"

# Runs a program of the demo (output in a file: Wine's helper processes keep pipes open),
# shows the command and its output with each carriage return as a line end, and fails
# the demo when the exit code is not $1 (-1 arrives as 255).
run() {
  expected=$1
  program=$2
  shift 2
  printf '$ %s' "$(basename "$program")"
  printf ' %s' "$@"
  printf '\n'
  "$wine" "$program" "$@" > "$out" 2>&1 < /dev/null
  rc=$?
  tr '\r' '\n' < "$out" | sed '/^$/d; s/^/  /'
  [ "$rc" -eq "$expected" ] ||
    fail "$(basename "$program") ended with exit code $rc, expected $expected"
}
# Dumps a key file and checks how many entries it holds.
dump() {
  run 0 "$bin/QPKEYDUMP.EXE" "$(winpath "$1")"
  tr -d '\r' < "$out" | grep -q "count $2\$" || fail "the address book does not hold $2 entries"
}

step "Input-file mode: the sample file (one line has no address and gives no entry)"
sed 's/^/  | /' "$sample/addresses.csv"
run 0 "$bin/QPABGEN.EXE" "$(winpath "$sample/addresses.csv")" sample.ab "$(winpath "$work/books")"
echo "  (on a console each progress line ends in a carriage return and overwrites the last)"

step "The address book in key order: name | address | column 3 | column 4"
dump "$work/books/sample.ab" 6

step "Database mode: a sample server directory made by QPUSERGEN from users.txt"
server="$work/server"
mkdir -p "$server"
# Database mode reads the files beside the program, so the program goes there too.
cp "$bin/QPABGEN.EXE" "$bin/QPXCOMM.DLL" "$sample/server/QUILLPOST.INI" "$server/" ||
  fail "cannot fill $server"
run 0 "$bin/QPUSERGEN.EXE" "$(winpath "$sample/server/users.txt")" "$(winpath "$server")"
echo "  QUILLPOST.INI: $(grep HostDotDomainName "$server/QUILLPOST.INI")"
run 0 "$server/QPABGEN.EXE" '*' users.ab
[ -d "$server/ADDRBOOK" ] || fail "the default directory ADDRBOOK was not created"

step "ADDRBOOK\\users.ab (SMTP addresses completed with the host name; types other than" \
     "SMTP, POP3, IMAP and users without a full name left out)"
dump "$server/ADDRBOOK/users.ab" 7

step "Errors end with exit code -1"
run 255 "$bin/QPABGEN.EXE"
run 255 "$bin/QPABGEN.EXE" "$(winpath "$work/missing.csv")" x.ab

step "Summary"
echo "abgen demo passed: 6 entries from the sample file, 7 from the sample server directory"
