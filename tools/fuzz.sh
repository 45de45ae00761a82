#!/bin/sh
# make fuzz: builds the native build and runs every libFuzzer target (fuzz/) for
# FUZZ_SECONDS (default 60) each, two at a time, from its committed seed corpus. Crash,
# leak and timeout inputs land in OUT_DIR/findings/<target>/. Prints a table of
# executions, speed, coverage and findings per target; exits non-zero on any finding.
# Usage: fuzz.sh [NATIVE_BUILD_DIR [OUT_DIR]]   (default: build/native build/fuzz)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${1:-build/native}
out=${2:-build/fuzz}
seconds=${FUZZ_SECONDS:-60}
case "$seconds" in ''|*[!0-9]*) echo "fuzz.sh: FUZZ_SECONDS must be a number" >&2; exit 2 ;; esac

sh tools/deps.sh || exit 1
if [ "$build" = build/native ]; then
  mkdir -p build
  sh tools/build.sh native || { echo "fuzz.sh: build failed" >&2; exit 1; }
else
  [ -f "$build/CMakeCache.txt" ] || { echo "fuzz.sh: $build is not a configured build" >&2; exit 2; }
  cmake --build "$build" -j2 || { echo "fuzz.sh: build failed" >&2; exit 1; }
fi
list="$build/fuzz/targets.txt"
[ -s "$list" ] || { echo "fuzz.sh: no fuzz targets in $build (needs clang and QP_FUZZ=ON)" >&2; exit 1; }

rm -rf "$out/findings" "$out/logs" "$out/corpus"
mkdir -p "$out/findings" "$out/logs" "$out/corpus"
echo "== fuzzing $(wc -l < "$list") targets for ${seconds}s each, two at a time"

# One target: a fresh work corpus (the committed seeds are only read), its log, and its
# findings directory.
export seconds out
xargs -P2 -L1 sh -c '
  name=$0 program=$1 seeds=$2
  mkdir -p "$out/corpus/$name" "$out/findings/$name"
  "$program" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$out/findings/$name/" "$out/corpus/$name" "$seeds" \
    > "$out/logs/$name.log" 2>&1
  echo "$?" > "$out/logs/$name.rc"
  echo "   $name done"' < "$list"

# The table: executions and exec/s from the final stats, coverage (edges) and features
# from the last status line, findings = files libFuzzer wrote plus a failed run.
failed=0
table="$out/summary.md"
{
  echo "| target | executions | exec/s | coverage (edges) | features | corpus | findings |"
  echo "|---|---:|---:|---:|---:|---:|---:|"
} > "$table"
while read -r name program seeds; do
  log="$out/logs/$name.log"
  rc=$(cat "$out/logs/$name.rc" 2>/dev/null || echo 1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  corp=$(grep -o 'corp: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  findings=$(find "$out/findings/$name" -type f | wc -l)
  if [ "$rc" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi
  [ "$findings" -ne 0 ] && failed=1
  echo "| $name | ${execs:-?} | ${speed:-?} | ${cov:-?} | ${ft:-?} | ${corp:-?} | $findings |" >> "$table"
done < "$list"
cat "$table"
if [ "$failed" -ne 0 ]; then
  echo "FUZZ FINDINGS: see $out/findings/ and $out/logs/"
  for f in $(find "$out/findings" -type f); do echo "  $f"; done
  exit 1
fi
echo "no findings"
