#!/usr/bin/env bash
# Runs the bad-input scenarios under Wine (tools/wine-run.sh) with one drive more: F:, a small
# disk of its own (a 1 MiB tmpfs), which the full-disk scenario fills while files are copied.
# Mounting needs the right to mount (root with CAP_SYS_ADMIN, as on this project's machines);
# where it is refused, F: is an ordinary folder and the full-disk scenario is skipped, saying why.
# A read-only folder would not do instead: Wine runs as root here, and root writes into it.
set -uo pipefail
source "$(dirname "$0")/scenario_prefix.sh"
disk="$build/e2e-small-disk"
mkdir -p "$disk"
mountpoint -q "$disk" && umount -l "$disk"
mounted=0
if mount -t tmpfs -o size=1m,mode=0777 tmpfs "$disk" 2>/dev/null; then
  mounted=1
else
  export SK_E2E_NO_SMALL_DISK="no small disk: this machine refuses to mount a tmpfs"
fi
if [ ! -L "$prefix/dosdevices/f:" ]; then
  [ -f "$prefix/.ready" ] || bash "$src/tools/wine-run.sh" "$exe" --gtest_list_tests >/dev/null
  # Wine reads the drives when its server starts: the one that made the prefix must be gone.
  WINEPREFIX="$prefix" wineserver -w
  ln -sfn "$disk" "$prefix/dosdevices/f:"
fi
bash "$src/tools/wine-run.sh" "$@"
rc=$?
# Wine may still hold the disk's folder: detach it lazily.
[ $mounted -eq 1 ] && umount -l "$disk"
exit $rc
