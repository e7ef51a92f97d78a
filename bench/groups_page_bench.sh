#!/usr/bin/env bash
# The components page listing a medium of many groups, under Wine (Xvfb when there is no
# display): builds groups_page_bench in build/windows and prints how long the page takes to be
# listed and drawn.   groups_page_bench.sh [groups, default 10000]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/windows --target groups_page_bench -j 2 >/dev/null
SK_WINE_SCENARIO=bench bash tools/wine-run.sh build/windows/bench/groups_page_bench.exe "${1:-10000}"
WINEPREFIX="$PWD/build/windows/wine/scn-bench" wineserver -k 2>/dev/null || true
