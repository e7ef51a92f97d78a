#!/usr/bin/env bash
# The README's first command, as a new user meets it: tools/run-demo.sh in a copy of the source
# tree without any build folder, so its builds, its medium and its Wine prefix are all made from
# nothing. Reuses the compiler cache when there is one.
# usage: demo_from_scratch.sh <scratch folder>
set -euo pipefail
source "$(dirname "$0")/scratch_tree.sh"
scratch="$1"
copy_tree "$scratch/src"

if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$scratch/src" CCACHE_NOHASHDIR=1
fi
# With no display the demo walks every page on its own Xvfb display instead of waiting for a user.
unset DISPLAY WINEPREFIX
log="$scratch/run-demo.log"
rc=0
bash "$scratch/src/tools/run-demo.sh" >"$log" 2>&1 || rc=$?
tail -n 40 "$log"
[ "$rc" -eq 0 ] || { echo "demo_from_scratch: run-demo.sh ended with $rc (whole log: $log)" >&2; exit 1; }

# What a user is promised: every page shot and the product installed.
shots="$scratch/src/build/windows/demo-screenshots"
for page in welcome license destination groups additional-software finish; do
  ls "$shots"/*-"$page".png >/dev/null 2>&1 || { echo "demo_from_scratch: no screenshot of the $page page" >&2; exit 1; }
done
grep -q 'Setup.exe ended with exit code 0' "$log" || { echo "demo_from_scratch: Setup.exe did not end cleanly" >&2; exit 1; }
grep -q 'Sketrion.exe' "$log" || { echo "demo_from_scratch: the program files were not installed" >&2; exit 1; }
grep -q 'carries UnInstall.exe' "$log" || { echo "demo_from_scratch: the medium lacks the uninstaller" >&2; exit 1; }
# Only the scratch folder's own prefix was used; end its server.
WINEPREFIX="$scratch/src/build/windows/wine/demo" wineserver -k 2>/dev/null || true
rm -rf "$scratch/src/build/windows/wine"
echo "demo_from_scratch: passed"
