#!/usr/bin/env bash
# No DLL is loaded from the program's folder: plants marker DLLs beside the program (Setup.exe or
# skmedium.exe on a medium, UnInstall.exe in an installation's folder) under the names of DLLs
# that system code loads by bare name, and runs the program under Wine
# (dll_planting_scenario.cpp). Names that Wine's own builtins of the program's static imports
# import statically are left out: Wine resolves those through its own search, where Windows takes
# a known DLL's dependencies from the known DLLs. They are read from the builtins' import tables.
# Wine is told to prefer the planted DLLs per program, in the scenario's own prefix.
#   dll_planting.sh <Setup.exe|UnInstall.exe|skmedium.exe> <scenario.exe>
set -euo pipefail
export LC_ALL=C
program_exe="$1"
scenario="$2"
program="$(basename "$program_exe")"
src="$(cd "$(dirname "$0")/../.." && pwd)"

names="uxtheme dwmapi cryptbase cryptsp rsaenh bcrypt propsys userenv profapi version winmm
riched20 msftedit setupapi apphelp oleacc clbcatq ntmarta sspicli secur32 wtsapi32 msimg32
windowscodecs textshaping comctl32"

imports_of() {
  i686-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'
}

builtins=""
for dir in /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows \
           /usr/local/lib/wine/i386-windows; do
  if [ -d "$dir" ]; then builtins="$dir"; break; fi
done
[ -n "$builtins" ] || { echo "dll_planting: Wine's 32-bit builtin DLLs not found" >&2; exit 2; }

# What the builtins of the static imports import, and what those import, and so on.
declare -A imported=() visited=()
queue=($(imports_of "$program_exe"))
echo "$program imports: ${queue[*]}"
while [ ${#queue[@]} -gt 0 ]; do
  dll="${queue[0]}"
  queue=("${queue[@]:1}")
  [ -n "${visited[$dll]:-}" ] && continue
  visited[$dll]=1
  [ -f "$builtins/$dll" ] || continue
  for dep in $(imports_of "$builtins/$dll"); do
    imported[$dep]=1
    queue+=("$dep")
  done
done

planted=()
skipped=()
for name in $names; do
  if [ -n "${imported[$name.dll]:-}" ]; then skipped+=("$name"); else planted+=("$name"); fi
done
echo "planted: ${planted[*]}"
echo "skipped (imported by Wine's builtins of the static imports): ${skipped[*]:-none}"

SK_PLANTED_PROGRAM="$program" SK_PLANTED_DLLS="$(IFS=,; echo "${planted[*]}")" SK_WINE_SCENARIO=e2e-dll \
  bash "$src/tools/wine-run.sh" "$scenario"
