#!/bin/sh
# make bench: the address book generator at scale. Times QPABGEN.EXE on an input file of
# 100,000 lines (made here, under build/, never committed) and a plain sequential copy
# (dd) of its key file on the same disk, and prints both, the file sizes and the line
#   RATIO abgen_over_copy <generator time / copy time>
# QPABGEN.EXE is the win64 build run under Wine: the shipped 32-bit build cannot run on
# these machines. Each figure is the best of a few runs, so that a busy machine spoils
# neither. Exits non-zero when a run fails or its address book is not what it should be.
# Then the list operations of QPXMULTI, natively: see the end of this file.
# QP_BUILD_ROOT puts the win64 tree, the Wine prefix and the files elsewhere than build/.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out="${QP_BUILD_ROOT:-$root/build}"
mkdir -p "$out"

lines=100000
repeats=3
fail() {
  echo "bench FAILED: $*" >&2
  exit 1
}

sh tools/deps.sh || exit 1
# Only what the benchmark needs, in the repo's win64 tree (the same options as build.sh).
if [ ! -f "$out/win64/CMakeCache.txt" ]; then
  echo "== configuring $out/win64"
  cmake -S . -B "$out/win64" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
    > "$out/win64.configure.log" 2>&1 || { cat "$out/win64.configure.log"; exit 1; }
fi
echo "== building QPABGEN.EXE and QPXCOMM.DLL ($out/win64)"
cmake --build "$out/win64" -j2 --target QPABGEN QPXCOMM > "$out/bench-build.log" 2>&1 ||
  { cat "$out/bench-build.log"; fail "the build failed"; }
bin="$out/win64/bin"

work="$out/bench-abgen"
rm -rf "$work"
mkdir -p "$work" || fail "cannot make $work"
winwork="Z:$(printf '%s' "$work" | tr / '\\')"

# Quoted names with a comma, an address, a department and a note; names in scrambled
# order, so that the key file's index has sorting to do.
awk -v n="$lines" 'BEGIN {
  for (i = 1; i <= n; i++)
    printf "\"Person %06d, Given\", person%06d@example.com, Dept %02d, Note for entry %d\r\n",
           (i * 7919) % n, i, i % 50, i
}' > "$work/input.csv" || fail "cannot write the input file"
printf 'Warm, warm@example.com\r\n' > "$work/warm.csv"

export WINEPREFIX="$out/wine" WINEDEBUG=-all
sh tools/wine-prefix.sh "$WINEPREFIX" || fail "the Wine prefix could not be created"
/usr/lib/wine/wineserver64 -p > /dev/null 2>&1 < /dev/null
trap '/usr/lib/wine/wineserver64 -k > /dev/null 2>&1' EXIT

now() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
min() { [ -z "$1" ] || [ "$2" -lt "$1" ] && echo "$2" || echo "$1"; }

# Wine maps its own DLLs on the first start; that is no cost of the generator.
/usr/lib/wine/wine64 "$bin/QPABGEN.EXE" "$work/warm.csv" warm.ab "$winwork" \
  > "$work/warm.out" 2>&1 < /dev/null || fail "the warm-up run failed"

# One generator run; its time lands in $elapsed. With "flush", the key file is also
# forced to disk before the clock stops.
generate() {
  rm -f "$work/book.ab"
  sync
  start=$(now)
  # Output to a file: Wine's helper processes would keep a pipe open.
  /usr/lib/wine/wine64 "$bin/QPABGEN.EXE" "$work/input.csv" book.ab "$winwork" \
    > "$work/book.out" 2>&1 < /dev/null
  rc=$?
  [ "${1:-}" = flush ] && sync "$work/book.ab"
  elapsed=$(( $(now) - start ))
  [ "$rc" -eq 0 ] || { cat "$work/book.out"; fail "QPABGEN ended with exit code $rc"; }
}
copy() {
  rm -f "$work/copy.bin"
  sync
  start=$(now)
  if [ "${1:-}" = flush ]; then
    dd if="$work/book.ab" of="$work/copy.bin" bs=1M conv=fsync 2> /dev/null
  else
    dd if="$work/book.ab" of="$work/copy.bin" bs=1M 2> /dev/null
  fi
  rc=$?
  elapsed=$(( $(now) - start ))
  [ "$rc" -eq 0 ] || fail "dd ended with exit code $rc"
}

echo "== timing QPABGEN.EXE (win64 build under Wine) and dd, best of $repeats each"
gen=""; copied=""; genFlushed=""; copiedFlushed=""
for i in $(seq "$repeats"); do
  generate; gen=$(min "$gen" "$elapsed")
  copy; copied=$(min "$copied" "$elapsed")
  generate flush; genFlushed=$(min "$genFlushed" "$elapsed")
  copy flush; copiedFlushed=$(min "$copiedFlushed" "$elapsed")
done

# The address book must hold every line: the header's record count (bytes 20..23) and
# the completion line.
records=$(od -An -t u4 -j 20 -N 4 "$work/book.ab" | tr -d ' ')
[ "$records" = "$lines" ] || fail "the key file holds $records records, expected $lines"
tr '\r' '\n' < "$work/book.out" | grep -q '^Processing complete!' ||
  fail "no completion line"
inSize=$(stat -c %s "$work/input.csv")
bookSize=$(stat -c %s "$work/book.ab")
dataSize=$(( lines * 1024 ))
rm -f "$work/book.ab" "$work/copy.bin"  # 100 MB each; the figures are taken

echo "input file:  $lines lines, $inSize bytes"
echo "key file:    $bookSize bytes = $lines records x 1024 ($dataSize)" \
     "+ $(( bookSize - dataSize )) bytes of header and index"
echo "generator:   $(seconds "$gen") s   (QPABGEN.EXE run, process start included)"
echo "plain copy:  $(seconds "$copied") s   (dd bs=1M of the key file, $bookSize bytes)"
echo "flushed to disk as well: generator + fsync $(seconds "$genFlushed") s," \
     "dd conv=fsync $(seconds "$copiedFlushed") s, ratio" \
     "$(awk -v g="$genFlushed" -v c="$copiedFlushed" 'BEGIN { printf "%.2f", g / c }')"
awk -v g="$gen" -v c="$copied" 'BEGIN {
  printf "goal: the generator within 3x of the copy: %s\n", g <= 3 * c ? "met" : "not met"
  printf "RATIO abgen_over_copy %.2f\n", g / c
}'

# The list operations of QPXMULTI (folder merge, removal of repeated search results,
# index tagging): our one-pass versions against the step-by-step ones, timed natively in
# an optimised build of their own (the native test build's sanitizers would time
# themselves). The program prints a SCALE, a goal and a RATIO line per comparison and
# fails when a step-by-step list differs from ours.
echo "== building the list benchmark ($out/bench)"
if [ ! -f "$out/bench/CMakeCache.txt" ]; then
  cmake -S . -B "$out/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQP_BUILD_TESTS=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    > "$out/bench.configure.log" 2>&1 || { cat "$out/bench.configure.log"; exit 1; }
fi
cmake --build "$out/bench" -j2 --target multi_list_bench > "$out/bench-lists-build.log" 2>&1 ||
  { cat "$out/bench-lists-build.log"; fail "the list benchmark did not build"; }
echo "== timing the list operations of QPXMULTI: ours and step by step"
"$out/bench/bin/multi_list_bench" > "$out/bench-lists.out" 2>&1
rc=$?
cat "$out/bench-lists.out"
[ "$rc" -eq 0 ] || fail "the list benchmark ended with exit code $rc"
[ "$(grep -c '^RATIO ' "$out/bench-lists.out")" -eq 3 ] || fail "a list comparison is missing"

# The member split of outgoing mail (10,000 recipients over five members of four types
# and Internet addresses): one pass per member against the step-by-step split, in the
# same optimised tree. Prints its RATIO send_split line; fails when the splits differ.
cmake --build "$out/bench" -j2 --target multi_send_bench > "$out/bench-send-build.log" 2>&1 ||
  { cat "$out/bench-send-build.log"; fail "the send benchmark did not build"; }
echo "== timing the member split of outgoing mail: ours and step by step"
"$out/bench/bin/multi_send_bench" > "$out/bench-send.out" 2>&1
rc=$?
cat "$out/bench-send.out"
[ "$rc" -eq 0 ] || fail "the send benchmark ended with exit code $rc"
grep -q '^RATIO send_split ' "$out/bench-send.out" || fail "the send_split comparison is missing"
