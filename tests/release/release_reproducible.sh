#!/usr/bin/env bash
# tools/release.sh in two copies of the tree, in folders of different names and depths: the two
# builds of each program (Setup.exe, UnInstall.exe) must be the same bytes, and within the size
# limit (release.sh checks it).
# usage: release_reproducible.sh <work folder>       (leaves <work>/a/build/release/*.exe)
set -euo pipefail
source "$(dirname "$0")/scratch_tree.sh"
work="$1"
# The copies are no Git checkouts: the commit's date comes from the tree they were copied from.
SOURCE_DATE_EPOCH="$(git -C "$sk_source_tree" log -1 --format=%ct 2>/dev/null || echo 1700000000)"
export SOURCE_DATE_EPOCH
# No compiler cache: each copy compiles for itself, as on another machine.
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER

copies=("$work/a" "$work/second-copy/of/the-tree")
for copy in "${copies[@]}"; do
  copy_tree "$copy"
  bash "$copy/tools/release.sh" >"$copy.log" 2>&1 || { cat "$copy.log"; exit 1; }
  tail -n 2 "$copy.log"
done
for program in Setup UnInstall; do
  a="${copies[0]}/build/release/$program.exe"
  b="${copies[1]}/build/release/$program.exe"
  if ! cmp "$a" "$b"; then
    echo "release_reproducible: the two builds of $program.exe differ ($(cmp -l "$a" "$b" | wc -l) bytes)" >&2
    exit 1
  fi
  echo "release_reproducible: both builds of $program.exe are $(stat -c %s "$a") identical bytes"
done
