#!/usr/bin/env bash
# Runs an end-to-end scenario under Wine (tools/wine-run.sh) in a prefix of its own set to one
# Windows version, and checks that Wine reports that version before the scenario starts.
#   windows-version-run.sh <win7|win81|win10|win11> <scenario.exe> [arguments...]
# win7, win81 and win10 are winecfg's own settings. Wine 8's winecfg has no Windows 11: Windows 11
# is Windows 10 with a build number of 22000 or more, so that prefix keeps no Wine setting and
# takes its version from the registry's "Windows NT\CurrentVersion" keys, as Wine does then.
set -euo pipefail
version="$1"; shift
exe="$1"
src="$(cd "$(dirname "$0")/../.." && pwd)"
case "$version" in
  win7) expected="6.1.7601" ;;
  win81) expected="6.3.9600" ;;
  win10) expected="10.0.1" ;;  # a build below 22000 (Wine 8: 18362)
  win11) expected="10.0.22000" ;;
  *) echo "windows-version-run: unknown version $version" >&2; exit 2 ;;
esac
export SK_WINE_SCENARIO="e2e-$version"
exe_abs="$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")"
build="$(dirname "$exe_abs")"
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build="$(dirname "$build")"; done
prefix="$build/wine/scn-$SK_WINE_SCENARIO"

if [ ! -f "$prefix/.version-$version" ]; then
  [ -f "$prefix/.ready" ] || bash "$src/tools/wine-run.sh" "$exe" --gtest_list_tests >/dev/null
  export WINEPREFIX="$prefix" WINEDEBUG=-all
  if [ "$version" = win11 ]; then
    key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
    wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
    for view in 32 64; do
      wine reg add "$key" /v CurrentMajorVersionNumber /t REG_DWORD /d 10 /f /reg:$view >/dev/null
      wine reg add "$key" /v CurrentMinorVersionNumber /t REG_DWORD /d 0 /f /reg:$view >/dev/null
      # Windows itself keeps "6.3" here; Wine 8 takes the major and minor version from it.
      wine reg add "$key" /v CurrentVersion /d 10.0 /f /reg:$view >/dev/null
      wine reg add "$key" /v CurrentBuild /d 22000 /f /reg:$view >/dev/null
      wine reg add "$key" /v CurrentBuildNumber /d 22000 /f /reg:$view >/dev/null
    done
  else
    wine winecfg -v "$version" >/dev/null 2>&1
  fi
  wineserver -w
  touch "$prefix/.version-$version"
fi

# The version a 32-bit program is told, as "ver" prints it.
reported="$(WINEPREFIX="$prefix" WINEDEBUG=-all wine cmd /c ver 2>/dev/null | tr -d '\r')"
echo "Wine reports:${reported}"
case "$reported" in
  *"$expected"*) ;;
  *) echo "windows-version-run: the prefix is not $version ($expected)" >&2; exit 1 ;;
esac
exec bash "$src/tools/wine-run.sh" "$@"
