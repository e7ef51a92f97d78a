# Sourced by the benchmarks that run under Wine: wine_bench_start TARGET SCENARIO builds TARGET
# in build/windows, makes a fresh prefix (build/windows/wine/scn-SCENARIO) and starts a private
# Xvfb display; both are stopped when the script exits. Sets `build` and `prefix`.
wine_bench_start() {
  local target="$1"
  build=build/windows
  [ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw32-toolchain.cmake" >/dev/null
  cmake --build "$build" --target "$target" -j "${SK_JOBS:-2}" >/dev/null

  export SK_WINE_SCENARIO="$2"
  prefix="$build/wine/scn-$SK_WINE_SCENARIO"
  WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$prefix"

  source tools/xvfb.sh
  start_xvfb
  trap wine_bench_stop EXIT
}

wine_bench_stop() {
  WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
  stop_xvfb
}
