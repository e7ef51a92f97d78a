#!/usr/bin/env bash
# The folder chooser opening a branch of many folders under Wine: builds the Windows build's
# folder_tree_bench and Setup.exe, makes a fresh prefix (wine/scn-bench-folders), and runs the
# benchmark there on an Xvfb display. Prints the figures; fails only when the run itself fails.
# Usage: bench/folder_tree_bench.sh [folders] [rounds]    (defaults 10000 and 5)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/wine_bench.sh
wine_bench_start folder_tree_bench bench-folders
exe="$build/bench/folder_tree_bench.exe"
bash tools/wine-run.sh "$exe" --prepare
# The big folder, made from the host (Wine makes 10,000 folders slowly): F00000..F09999, and a
# subfolder in every hundredth.
folders="${1:-10000}"
big="$prefix/drive_c/bench-tree/Many"
mkdir -p "$big"
(cd "$big" && seq -f 'F%05g' 0 $((folders - 1)) | xargs mkdir -p &&
  seq -f 'F%05g/Inner' 0 100 $((folders - 1)) | xargs mkdir -p)
# Names sorted as on a Russian Windows.
LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 bash tools/wine-run.sh "$exe" "$@"
