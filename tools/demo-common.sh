# Shared start of the components' demo scripts (tools/demo-*.sh), sourced by each:
#   . "$(dirname "$0")/demo-common.sh"
#   demo_start NAME BUILD_DIR FILE...
# sets `bin` (BUILD_DIR/bin, or BUILD_DIR/win64/bin when given the build folder), `wine`,
# `work` (a fresh folder beside bin for the demo's files) and checks that every FILE was
# built. It defines fail, step, winpath (a Unix path as Z:\...) and show (a file's lines
# indented, without CRs).
set -u
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64

fail() {
  echo "demo-$demo_name FAILED: $*" >&2
  exit 1
}
step() {
  printf '\n== %s\n' "$*"
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
  rm -rf "$work"
  mkdir -p "$work" || fail "cannot make $work"
}

# A server directory $work/server holding the named files of bin; QP_SERVER_DIR names it.
demo_server() {
  mkdir -p "$work/server" || fail "cannot make $work/server"
  for f in "$@"; do
    cp "$bin/$f" "$work/server/" || fail "cannot copy $f"
  done
  export QP_SERVER_DIR="$(winpath "$work/server")\\"
}

# Shows a QPHOST host script, runs it and shows QPHOST's output; fails the demo unless
# it ended with 0. Its output, without CRs, lands in `text` for has().
demo_host_script() {
  step "The host script $(basename "$1")"
  show "$1"
  step "QPHOST host $(basename "$1")"
  "$wine" "$bin/QPHOST.EXE" host "$(winpath "$1")" > "$work/host-output.txt" 2>&1 < /dev/null
  rc=$?
  show "$work/host-output.txt"
  [ "$rc" -eq 0 ] || fail "QPHOST host ended with exit code $rc"
  text=$(tr -d '\r' < "$work/host-output.txt")
}
# Fails the demo with message $2 unless the host script's output holds the text $1.
has() {
  printf '%s\n' "$text" | grep -Fq -- "$1" || fail "$2"
}
