# Sourced by the emulators of scenarios that lay something out before Wine starts, with the
# program and its arguments: outside a scenario (CTest listing the cases) it runs the program as
# tools/wine-run.sh does and ends there; else it sets src (the source tree), exe (the program),
# build (its build folder) and prefix (the scenario's Wine prefix).
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ -n "${SK_WINE_SCENARIO:-}" ] || exec bash "$src/tools/wine-run.sh" "$@"
exe="$1"
exe_abs="$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")"
build="$(dirname "$exe_abs")"
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build="$(dirname "$build")"; done
prefix="$build/wine/scn-$SK_WINE_SCENARIO"
