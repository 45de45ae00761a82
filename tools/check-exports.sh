#!/bin/bash
# Checks that a DLL exports exactly the names of its .def at the .def's ordinals.
# Usage: check-exports.sh OBJDUMP DLL DEF
objdump="$1" dll="$2" def="$3"
actual=$("$objdump" -p "$dll" | awk '
  /^Ordinal Base/                    { base = $3 }
  /^\[Ordinal\/Name Pointer\] Table/ { intab = 1; next }
  intab && /^[ \t]*\[/               { gsub(/[][]/, " "); print $1 + base, $2; next }
  intab && /^[ \t]*$/                { intab = 0 }' | sort -n)
# .def lines: "Name[@bytes] @ordinal" or "Alias = Internal @ordinal"
expected=$(awk '
  /^[ \t]*(;|$)/ { next }
  /^(LIBRARY|EXPORTS)/ { next }
  { name = $1; sub(/@[0-9]+$/, "", name);
    for (i = 2; i <= NF; i++) if ($i ~ /^@[0-9]+$/) { ord = substr($i, 2) }
    print ord, name }' "$def" | sort -n)
if [ "$actual" = "$expected" ]; then
  echo "$(echo "$expected" | wc -l) exports of $(basename "$dll") match $(basename "$def")"
  exit 0
fi
echo "export table of $dll differs from $def:"
diff <(echo "$expected") <(echo "$actual") 2>/dev/null || { echo "expected:"; echo "$expected"; echo "actual:"; echo "$actual"; }
exit 1
