#!/usr/bin/env bash
# Builds Setup.exe and UnInstall.exe and runs Setup.exe on the demo medium (whose base archive
# carries UnInstall.exe) under Wine, in a fresh prefix: in a window when a display is there;
# otherwise on a private Xvfb display, walking through every page with the end-to-end driver,
# saving a screenshot of each page and printing what was installed.
#   tools/run-demo.sh [--setup Setup.exe] [--dpi N]
#     --setup  another Setup.exe on the medium (build/release/Setup.exe)
#     --dpi    the display's scale in dots per inch (96 is 100 %, 144 is 150 %, 192 is 200 %);
#              the screenshots go to build/windows/demo-screenshots-N
given_setup=""
dpi=""
usage() { echo "usage: tools/run-demo.sh [--setup Setup.exe] [--dpi N]" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --setup) [ -n "${2:-}" ] || usage; given_setup="$(realpath "$2")"; shift 2 ;;
    --dpi) [[ "${2:-}" =~ ^[0-9]+$ ]] && [ "$2" -ge 96 ] && [ "$2" -le 480 ] || usage; dpi="$2"; shift 2 ;;
    *) usage ;;
  esac
done
cd "$(dirname "$0")/.."
source tools/steps.sh
root="$(pwd)"
jobs="${SK_JOBS:-2}"
setup_exe="build/windows/app/Setup.exe"
[ -z "$given_setup" ] || setup_exe="$given_setup"

step "preparing the machine (tools/setup-machine.sh)"
bash tools/setup-machine.sh

# The Windows build makes Setup.exe, UnInstall.exe and the driver; the native build makes the RAR
# writer that packs the demo's archives and the lister that shows the base archive (the build
# runs no Wine).
step "building Setup.exe, UnInstall.exe and the page walker (build/windows)"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32-toolchain.cmake" >/dev/null
cmake --build build/windows -j "$jobs" --target Setup UnInstall e2e_demo_walk demo_bde_setup
step "building the RAR writer and lister (build/native)"
cmake -S . -B build/native -G Ninja -DSK_SANITIZE=ON >/dev/null
cmake --build build/native -j "$jobs" --target rarwriter_cli skrar

medium="$root/build/windows/demo-medium"
shots="$root/build/windows/demo-screenshots${dpi:+-$dpi}"
step "assembling the demo medium"
bash demo/make-medium.sh build/native/tests/rarwriter/rarwriter "$setup_exe" \
  build/windows/app/setup.ico "$medium" build/windows/demo/demo_bde_setup.exe \
  build/windows/uninstall/UnInstall.exe >/dev/null
echo "demo medium: $medium"
uninstaller="$(build/native/tools/skrar l "$medium/BASE.RAR" | awk -F'\t' '$1 == "UnInstall.exe" {print $2}')"
[ -n "$uninstaller" ] || { echo "run-demo.sh: the base archive lacks UnInstall.exe" >&2; false; }
echo "its base archive carries UnInstall.exe ($uninstaller bytes), the program the uninstall entry starts"

# A fresh prefix of its own, with a virtual desktop (windows hide at once, as on Windows). The
# medium is drive D:, the screenshots drive E:; the host's root is not mapped.
export WINEPREFIX="$root/build/windows/wine/demo"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8
locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$' || export LC_ALL=C.UTF-8 LANG=C.UTF-8

own_xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  step "starting a private Xvfb display"
  source tools/xvfb.sh
  # A screen as much larger as the scale is, so the scaled pages fit on it.
  [ -z "$dpi" ] || export SK_XVFB_SCREEN="$((1280 * dpi / 96))x$((1024 * dpi / 96))x24"
  start_xvfb
  own_xvfb=1
fi
cleanup() {
  # Stopping Wine and Xvfb may fail harmlessly: no step failed here.
  set +e
  trap - ERR
  wineserver -k 2>/dev/null
  [ -n "$own_xvfb" ] && stop_xvfb
}
trap cleanup EXIT

step "making a fresh Wine prefix ($WINEPREFIX)"
rm -rf "$WINEPREFIX" "$shots"
# wineboot makes the prefix but not the folders above it.
mkdir -p "$shots" "$(dirname "$WINEPREFIX")"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot made no prefix in $WINEPREFIX" >&2; false; }
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
desktop="1280x1024"
if [ -n "$dpi" ]; then
  desktop="$((1280 * dpi / 96))x$((1024 * dpi / 96))"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
fi
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f >/dev/null 2>&1
wineserver -w
# The user's shell folders point into the host's home by default: make them the prefix's own, so
# shortcuts land inside the prefix.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
done
dd="$WINEPREFIX/dosdevices"
rm -f "$dd/z:" "$dd/d:" "$dd/e:" "$dd/t:"
ln -s "$medium" "$dd/d:"
ln -s "$shots" "$dd/e:"
ln -s "$root/build/windows" "$dd/t:"

if [ -z "$own_xvfb" ]; then
  step "running Setup.exe on display $DISPLAY"
  echo "Starting Setup.exe on display $DISPLAY; close it through its pages."
  (cd "$medium" && wine 'D:\Setup.exe')
  exit 0
fi

step "walking through every page under Xvfb (no display)"
rc=0
wine 'T:\tests\e2e\e2e_demo_walk.exe' 'D:\Setup.exe' 'E:\' | tr -d '\r' || rc=$?
step "converting the screenshots"
# PNG copies for any image viewer.
for f in "$shots"/*.bmp; do
  if [ -f "$f" ]; then convert "$f" "${f%.bmp}.png"; rm -f "$f"; fi
done
echo "screenshots of the pages: $shots"
ls "$shots"
if [ "$rc" -ne 0 ]; then
  echo "run-demo.sh: FAILED: the walk through the pages stopped (exit code $rc); see its last lines above and the screenshots" >&2
  exit "$rc"
fi
echo "run-demo.sh: the demo walked through every page and installed."
