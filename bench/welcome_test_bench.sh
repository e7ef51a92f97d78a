#!/usr/bin/env bash
# The welcome page testing the archives of a medium of many groups, under Wine on its own Xvfb
# display: builds welcome_test_bench and Setup.exe in build/windows, makes a fresh prefix
# (wine/scn-bench-welcome) and prints the time of the test. Goal: under a minute for 10,000.
# Usage: bench/welcome_test_bench.sh [groups, default 10000]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw32-toolchain.cmake" >/dev/null
cmake --build "$build" --target welcome_test_bench -j "${SK_JOBS:-2}" >/dev/null

export SK_WINE_SCENARIO=bench-welcome
prefix="$build/wine/scn-$SK_WINE_SCENARIO"
WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
rm -rf "$prefix"

source tools/xvfb.sh
start_xvfb
cleanup() {
  WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
bash tools/wine-run.sh "$build/bench/welcome_test_bench.exe" "${1:-10000}"
