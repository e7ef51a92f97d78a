#!/usr/bin/env bash
# Runs the folder chooser's scenarios under Wine (tools/wine-run.sh) with one drive more: N:
# mapped to <build>/e2e-folders-disc, which the scenario removes and makes again, as a disc taken
# out of a drive and put back. The prefix is made first, so the mapping is added to it.
set -euo pipefail
source "$(dirname "$0")/scenario_prefix.sh"
mkdir -p "$build/e2e-folders-disc"
if [ ! -L "$prefix/dosdevices/n:" ]; then
  [ -f "$prefix/.ready" ] || bash "$src/tools/wine-run.sh" "$exe" --gtest_list_tests >/dev/null
  # Wine reads the drives when its server starts: the one that made the prefix must be gone.
  WINEPREFIX="$prefix" wineserver -w
  ln -sfn "$build/e2e-folders-disc" "$prefix/dosdevices/n:"
fi
exec bash "$src/tools/wine-run.sh" "$@"
