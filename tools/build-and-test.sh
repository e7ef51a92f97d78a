#!/usr/bin/env bash
# Builds both builds (native with sanitizers, windows with mingw-w64) and runs every test:
# native tests directly, Windows tests under Wine on an Xvfb display.
cd "$(dirname "$0")/.."
source tools/steps.sh
root="$(pwd)"
jobs="${SK_JOBS:-$(nproc)}"

step "preparing the machine (tools/setup-machine.sh)"
bash tools/setup-machine.sh

# The compiler cache lets the fresh-tree demo test reuse this run's objects (and a second run
# reuse the first's); paths are taken relative to the tree so a copy of it hits too.
export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

step "building the native tree (build/native)"
cmake -S . -B build/native -G Ninja -DSK_SANITIZE=ON >/dev/null
cmake --build build/native -j "$jobs"
step "building the Windows tree (build/windows)"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32-toolchain.cmake" >/dev/null
cmake --build build/windows -j "$jobs"

step "starting a private Xvfb display"
source tools/xvfb.sh
start_xvfb
cleanup() {
  # Stopping Wine and Xvfb may fail harmlessly: no step failed here.
  set +e
  trap - ERR
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
step "running the native tests"
ctest --test-dir build/native -j "$jobs" --output-on-failure || status=1
step "running the Windows tests under Wine"
ctest --test-dir build/windows -j "$jobs" --output-on-failure || status=1
if [ $status -eq 0 ]; then
  echo "ALL TESTS PASSED"
else
  echo "SOME TESTS FAILED: the failing tests and their output are listed above" >&2
fi
exit $status
