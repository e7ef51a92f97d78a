#!/usr/bin/env bash
# Setup.exe and UnInstall.exe must be static PE32 GUI programs for i386, large-address aware,
# whose imports all come from DLLs Windows always takes from System32 (comctl32, which the
# manifest binds, is delay-loaded once the DLL search is restricted), and must carry their
# manifest with the execution level each asks for and per-monitor dpi awareness.
# usage: check_program_exe.sh <program.exe> <requestedExecutionLevel>
set -euo pipefail
# objdump's words are parsed below: the untranslated ones.
export LC_ALL=C
exe="$1"; level="$2"
dump="$(i686-w64-mingw32-objdump -p "$exe")"
fail() { echo "check_program_exe: $(basename "$exe"): $*" >&2; exit 1; }

grep -q 'file format pei-i386' <<<"$dump" || fail "not a PE for i386"
grep -qE '^Magic[[:space:]]+010b' <<<"$dump" || fail "not PE32 (optional header magic)"
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump" || fail "not a GUI program"
grep -q 'large address aware' <<<"$dump" || fail "not large-address aware"

allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
comdlg32.dll shlwapi.dll msvcrt.dll imm32.dll rpcrt4.dll"
imports="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)"
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
  grep -qw -- "$dll" <<<"$allowed" || fail "imports $dll, which is not a known system DLL"
done
# A delay-loaded function called only through its import pointer is left without its thunk by
# the linker: the call would jump to address 0.
if i686-w64-mingw32-nm "$exe" 2>/dev/null | grep -qE '^0+ A _[A-Za-z_]+@[0-9]+$'; then
  fail "a delay-loaded function has no thunk (compiled with its dllimport declaration)"
fi
grep -qa "requestedExecutionLevel level=\"$level\"" "$exe" || fail "no manifest asking for $level"
grep -qa 'Microsoft.Windows.Common-Controls' "$exe" || fail "manifest lacks common controls 6"
grep -qa '<dpiAwareness[^>]*>PerMonitorV2, PerMonitor</dpiAwareness>' "$exe" || fail "manifest declares no per-monitor dpi awareness"
grep -qa '<dpiAware[^>]*>true/pm</dpiAware>' "$exe" || fail "manifest lacks the dpiAware fallback for Windows 8.1"
echo "$(basename "$exe"): PE32 GUI i386, imports: $(echo $imports)"
