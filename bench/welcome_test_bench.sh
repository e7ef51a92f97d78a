#!/usr/bin/env bash
# The welcome page testing the archives of a medium of many groups, and the copy page installing
# them, under Wine on its own Xvfb display in a virtual desktop: builds welcome_test_bench and
# Setup.exe in build/windows, makes a fresh prefix (wine/scn-bench-welcome) and prints, for each
# number of groups, the time of the test and of the copying. Goals: the test under a minute for
# 10,000; the copying's time per group flat from 1,000 groups to 10,000.
# Usage: bench/welcome_test_bench.sh [groups...]    (default 10000)
#   SK_BENCH_SETUP=path   times that Setup.exe instead of the build's (an earlier version, say)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/wine_bench.sh
wine_bench_start welcome_test_bench bench-welcome
exe="$build/bench/welcome_test_bench.exe"
bash tools/wine-run.sh "$exe" --prepare
# A virtual desktop hides windows at once, as Windows does: without one every page that hides
# waits 2 s for a window manager that Xvfb does not have.
WINEPREFIX="$PWD/$prefix" wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
WINEPREFIX="$PWD/$prefix" wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
WINEPREFIX="$PWD/$prefix" wineserver -w
setup=()
if [ -n "${SK_BENCH_SETUP:-}" ]; then
  mkdir -p "$build/bench-setup"
  cp "$SK_BENCH_SETUP" "$build/bench-setup/Setup.exe"
  setup=('T:\bench-setup\Setup.exe')
fi
for groups in "${@:-10000}"; do
  # What the last run left goes from the host: Wine removes tens of thousands of files slowly.
  rm -rf "$prefix/drive_c/bench-welcome"
  sync
  echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
  bash tools/wine-run.sh "$exe" "$groups" "${setup[@]}"
done
