#!/usr/bin/env bash
# The welcome page testing the archives of a medium of many groups, under Wine on its own Xvfb
# display: builds welcome_test_bench and Setup.exe in build/windows, makes a fresh prefix
# (wine/scn-bench-welcome) and prints the time of the test. Goal: under a minute for 10,000.
# Usage: bench/welcome_test_bench.sh [groups, default 10000]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/wine_bench.sh
wine_bench_start welcome_test_bench bench-welcome
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
bash tools/wine-run.sh "$build/bench/welcome_test_bench.exe" "${1:-10000}"
