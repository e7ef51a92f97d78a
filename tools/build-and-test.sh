#!/usr/bin/env bash
# Builds both builds (native with sanitizers, windows with mingw-w64) and runs every test:
# native tests directly, Windows tests under Wine on an Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
jobs="${SK_JOBS:-$(nproc)}"

bash tools/setup-machine.sh

cmake -S . -B build/native -G Ninja -DSK_SANITIZE=ON >/dev/null
cmake --build build/native -j "$jobs"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32-toolchain.cmake" >/dev/null
cmake --build build/windows -j "$jobs"

source tools/xvfb.sh
start_xvfb
cleanup() {
  set +e
  if [ -f build/windows/wine/used-prefixes ]; then
    sort -u build/windows/wine/used-prefixes | while read -r p; do WINEPREFIX="$p" wineserver -k 2>/dev/null; done
    rm -f build/windows/wine/used-prefixes
  fi
  stop_xvfb
}
trap cleanup EXIT

# Every run starts the Wine tests from fresh copies of the template prefix.
rm -rf build/windows/wine/unit build/windows/wine/scn-*

status=0
echo "== native tests"
ctest --test-dir build/native -j "$jobs" --output-on-failure || status=1
echo "== windows tests (Wine)"
ctest --test-dir build/windows -j "$jobs" --output-on-failure || status=1
if [ $status -eq 0 ]; then echo "ALL TESTS PASSED"; else echo "SOME TESTS FAILED"; fi
exit $status
