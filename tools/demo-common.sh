# Shared start of the components' demo scripts (tools/demo-*.sh), sourced by each:
#   . "$(dirname "$0")/demo-common.sh"
#   demo_start NAME BUILD_DIR FILE...
# sets `bin` (BUILD_DIR/bin, or BUILD_DIR/win64/bin when given the build folder), `wine`,
# `work` (a fresh folder beside bin for the demo's files) and checks that every FILE was
# built. It defines fail, step, passed, winpath (a Unix path as Z:\...), show (a file's
# lines indented, without CRs), demo_run (runs a program and shows it) and has.
# Steps are numbered through the whole demo: when QP_DEMO_TALLY names a file, each step
# adds a line to it, so make demo counts the steps of all its scripts.
set -u
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64
step_number=0
step_title=

fail() {
  if [ -n "$step_title" ]; then
    echo "demo-$demo_name FAILED at step $step_number ($step_title): $*" >&2
  else
    echo "demo-$demo_name FAILED: $*" >&2
  fi
  exit 1
}
step() {
  step_title=$*
  if [ -n "${QP_DEMO_TALLY:-}" ]; then
    printf '%s\n' "$step_title" >> "$QP_DEMO_TALLY"
    step_number=$(wc -l < "$QP_DEMO_TALLY")
  else
    step_number=$((step_number + 1))
  fi
  printf '\n== Step %d: %s\n' "$step_number" "$step_title"
}
# The script's last line: what it showed, after every step passed.
passed() {
  step_title=
  printf '\ndemo-%s passed: %s\n' "$demo_name" "$*"
}
winpath() {
  printf 'Z:%s' "$1" | tr / '\\'
}
show() {
  tr -d '\r' < "$1" | sed 's/^/  /'
}

demo_start() {
  demo_name=$1
  [ $# -ge 2 ] && [ -n "$2" ] || { echo "usage: demo-$1.sh BUILD_DIR" >&2; exit 2; }
  build=$(cd "$2" && pwd) || fail "no build folder $2"
  shift 2
  if [ -f "$build/bin/$1" ]; then bin="$build/bin"; else bin="$build/win64/bin"; fi
  for f in "$@"; do
    [ -f "$bin/$f" ] || fail "$bin/$f was not built"
  done
  work="$(dirname "$bin")/demo-$demo_name"
  out="$work/output.txt"
  rm -rf "$work"
  mkdir -p "$work" || fail "cannot make $work"
}

# demo_run EXPECTED PROGRAM ARG...: runs PROGRAM (a path) under Wine with its output in
# the file $out (Wine's helper processes keep pipes open), shows the command and the
# output (a carriage return as a line end, 0xFF as "|"), keeps the output in `text` for
# has(), and fails the step unless the exit code is EXPECTED (-1 arrives as 255). A
# program stuck in a window that nobody answers is ended after 5 minutes.
demo_run() {
  expected=$1
  program=$2
  shift 2
  printf '  $ %s' "$(basename "$program" .EXE)"
  printf ' %s' "$@"
  printf '\n'
  timeout 300 "$wine" "$program" "$@" > "$out" 2>&1 < /dev/null
  rc=$?
  text=$(tr '\r' '\n' < "$out" | tr '\377' '|' | sed '/^$/d')
  [ -z "$text" ] || printf '%s\n' "$text" | sed 's/^/    /'
  [ "$rc" -eq "$expected" ] ||
    fail "$(basename "$program" .EXE) $* ended with exit code $rc, expected $expected"
}
# Fails the step with the message $2 unless the last output (`text`) holds the text $1.
has() {
  printf '%s\n' "$text" | grep -Fq -- "$1" || fail "$2"
}
