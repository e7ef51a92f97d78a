#!/usr/bin/env bash
# The agreement page with the largest agreement it shows, under Wine in a virtual desktop on a
# private Xvfb display: builds agreement_bench and Setup.exe in build/windows, makes a fresh
# prefix (wine/scn-bench-agreement) and prints, for a plain and a rich text, how long the viewer
# takes to hold the whole text, the longest the page did not answer meanwhile, and the
# installer's peak memory.   bench/agreement_bench.sh [MiB, default the page's bound] [txt|rtf]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/wine_bench.sh
wine_bench_start agreement_bench bench-agreement
cmake --build "$build" --target Setup -j "${SK_JOBS:-2}" >/dev/null
exe="$build/bench/agreement_bench.exe"
# The first run makes the prefix; then Wine's virtual desktop is turned on in it.
bash tools/wine-run.sh "$exe" >/dev/null 2>&1 || true
WINEPREFIX="$PWD/$prefix" wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
WINEPREFIX="$PWD/$prefix" wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
WINEPREFIX="$PWD/$prefix" wineserver -w
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for kind in ${2:-txt rtf}; do
  bash tools/wine-run.sh "$exe" "$kind" ${1:+"$1"}
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
