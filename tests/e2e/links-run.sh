#!/usr/bin/env bash
# Runs the link scenarios under Wine (tools/wine-run.sh) after laying out, from the Unix side,
# C:\e2e-links in the scenario's prefix afresh: Unix symbolic links stand for the junctions and
# symbolic links an ordinary user may put into a destination (Wine reports a folder symlink as a
# reparse point and a file symlink as a plain file).
#   dest\Link -> outside        dest\WinLink -> C:\windows        dest\FileLink.txt -> outside\file-target.txt
#   install\BIN -> outside-bin
set -euo pipefail
source "$(dirname "$0")/scenario_prefix.sh"
[ -f "$prefix/.ready" ] || bash "$src/tools/wine-run.sh" "$exe" --gtest_list_tests >/dev/null
c="$prefix/drive_c"
root="$c/e2e-links"
rm -rf "$root"  # never follows the links inside
# The uninstaller hands over only to a folder it makes: an earlier run's copies (left to a restart
# that never comes) would keep it in place.
rm -rf "$c"/users/*/Temp/SketrionUninstall*
mkdir -p "$root/dest" "$root/outside/emptydir" "$root/outside-bin" "$root/install"
printf 'victim' > "$root/outside/victim.txt"
printf 'file target' > "$root/outside/file-target.txt"
ln -s "$root/outside" "$root/dest/Link"
ln -s "$c/windows" "$root/dest/WinLink"
ln -s "$root/outside/file-target.txt" "$root/dest/FileLink.txt"
ln -s "$root/outside-bin" "$root/install/BIN"
exec bash "$src/tools/wine-run.sh" "$@"
