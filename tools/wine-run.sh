#!/usr/bin/env bash
# Runs a Windows program of a build folder under Wine (CMake's cross-compiling emulator).
#
# The build folder keeps a template prefix made once by wineboot (wine/template). Tests share a
# copy of it (wine/unit); a test with SK_WINE_SCENARIO=<name> gets its own copy (wine/scn-<name>),
# made fresh by tools/build-and-test.sh before each run. The host's root (z:) is unmapped, so the
# program sees only its own drives: S: the source tree, R: the RAR corpus, T: the build folder.
set -euo pipefail

exe="$1"; shift
exe_abs="$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")"

build="$(dirname "$exe_abs")"
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build="$(dirname "$build")"; done
[ -f "$build/CMakeCache.txt" ] || { echo "wine-run: no build folder above $exe" >&2; exit 2; }

if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "wine-run: no DISPLAY and no xvfb-run" >&2; exit 2; }
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$exe" "$@"
fi
command -v wine >/dev/null || { echo "wine-run: wine is not installed" >&2; exit 2; }

src="$(cd "$(dirname "$0")/.." && pwd)"
corpus="$(sed -n 's/^SK_RAR_CORPUS_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")"

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

winedir="$build/wine"
mkdir -p "$winedir"

map_drives() { # prefix
  local dd="$1/dosdevices"
  rm -f "$dd/z:" "$dd/s:" "$dd/r:" "$dd/t:"
  ln -s "$src" "$dd/s:"
  ln -s "$corpus" "$dd/r:"
  ln -s "$build" "$dd/t:"
}

make_template() {
  local t="$winedir/template"
  rm -rf "$t"
  WINEPREFIX="$t" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$t" wineserver -w
  [ -f "$t/system.reg" ] || { echo "wine-run: wineboot failed to make a prefix" >&2; exit 2; }
  # The user's shell folders (Desktop, Documents, ...) point into the host's home by default:
  # make them the prefix's own, so nothing a test creates lands outside the build folder.
  for link in "$t"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
  done
  map_drives "$t"
  touch "$t/.ready"
}

prefix_name="unit"
[ -n "${SK_WINE_SCENARIO:-}" ] && prefix_name="scn-${SK_WINE_SCENARIO}"
prefix="$winedir/$prefix_name"
(
  flock 9
  [ -f "$winedir/template/.ready" ] || make_template
  if [ ! -f "$prefix/.ready" ]; then
    rm -rf "$prefix"
    # Hard links keep a copy cheap (the template is over 1 GB of DLLs nobody writes); the
    # registry files, which Wine rewrites, are real copies.
    cp -al "$winedir/template" "$prefix"
    for f in "$prefix"/*.reg; do cp --remove-destination "$winedir/template/$(basename "$f")" "$f"; done
    map_drives "$prefix"
  fi
  echo "$prefix" >> "$winedir/used-prefixes"
) 9>"$winedir/.lock"
export WINEPREFIX="$prefix"

# The program is started by its T: path, so it knows itself as a Windows path.
rel="${exe_abs#"$build"/}"
winexe="T:\\${rel//\//\\}"

# mingw programs write CRLF; CTest and the test discovery want plain lines.
# A wineserver quits a few seconds after its last client; a program that connects just then is
# dropped ("wine client error ... Connection reset by peer", or "a wine server seems to be
# running, but I cannot connect to it") before it runs: start it once more.
errors="$(mktemp)"
trap 'rm -f "$errors"' EXIT
set +e
for attempt in 1 2; do
  wine "$winexe" "$@" 2>"$errors" | tr -d '\r'
  rc=${PIPESTATUS[0]}
  cat "$errors" >&2
  [ "$rc" -ne 0 ] && [ "$attempt" -eq 1 ] && grep -qE '^wine client error|^wine: a wine server seems to be running' "$errors" || break
  sleep 1
done
exit "$rc"
