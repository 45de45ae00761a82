#!/bin/sh
# Configures and builds the three builds: native (portable logic, sanitizers),
# win64 (run under Wine for the tests) and win32 (the shipped binaries).
# Usage: build.sh [native|win64|win32 ...]   (default: all three)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
builds="${*:-native win64 win32}"
mkdir -p build
for b in $builds; do
  case "$b" in
    native) opts="-DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++" ;;
    win64)  opts="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=$root/cmake/toolchain-mingw-x86_64.cmake" ;;
    win32)  opts="-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$root/cmake/toolchain-mingw-i686.cmake" ;;
    *) echo "build.sh: unknown build '$b'" >&2; exit 2 ;;
  esac
  if [ ! -f "build/$b/CMakeCache.txt" ]; then
    echo "== configuring build/$b"
    cmake -S . -B "build/$b" -G Ninja $opts > "build/$b.configure.log" 2>&1 ||
      { cat "build/$b.configure.log"; exit 1; }
  fi
  echo "== building build/$b"
  cmake --build "build/$b" -j2
done
