#!/usr/bin/env bash
# The copy page over the real archive component, RAR library and file layer, natively: builds
# copy_page_bench in build/bench (Release, no sanitizers) and prints the copying's time per group
# for each number of groups. Goal: flat from 1,000 groups to 10,000.
# Usage: bench/copy_page_bench.sh [groups...]    (default 1000 2500 5000 10000)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSK_SANITIZE=OFF >/dev/null
cmake --build build/bench --target copy_page_bench -j "${SK_JOBS:-2}" >/dev/null
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ $# -eq 0 ]; then set -- 1000 2500 5000 10000; fi
build/bench/bench/copy_page_bench build/bench/copy-page-work "$@"
