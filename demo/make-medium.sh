#!/usr/bin/env bash
# Assembles the demo installation medium: Setup.exe, Setup.ini, the agreement, one archive per
# group (made by the test RAR writer: RAR4 with names in code page 866, the program folder's
# files encrypted with the installer's password), the application icon and the drawing font.
# The base archive carries the uninstaller, as a vendor's medium would.
# usage: make-medium.sh <rarwriter> <Setup.exe> <setup.ico> <out folder> [<BDE installer>] [<UnInstall.exe>]
set -euo pipefail
rarwriter="$1"; setup_exe="$2"; icon="$3"; out="$4"; bde="${5:-}"; uninstall_exe="${6:-}"
here="$(cd "$(dirname "$0")" && pwd)"

rm -rf "$out"
mkdir -p "$out/DOCS" "$out/SERVICE/FONT"
cp "$setup_exe" "$out/Setup.exe"
cp "$here/Setup.ini" "$here/License.rtf" "$out/"
# Setup.ini names Sketrion.exe as the icon's file: its .ico beside it is loaded.
cp "$icon" "$out/Sketrion.ico"

password="Sketrion_Setup_2005A"
base="$(mktemp -d)"
trap 'rm -rf "$base"' EXIT
cp -a "$here/content/base/." "$base/"
if [ -n "$uninstall_exe" ]; then cp "$uninstall_exe" "$base/UnInstall.exe"; fi
"$rarwriter" --format rar4 --password "$password" --encrypt 'BIN/*' "$out/BASE.RAR" "$base" >/dev/null
"$rarwriter" --format rar4 "$out/SAMPLES.RAR" "$here/content/samples" >/dev/null
"$rarwriter" --format rar5 --password "$password" --encrypt 'DOC/Formats.txt' "$out/DOCS/DOCS.RAR" "$here/content/docs" >/dev/null

# The drawing font the finish page installs: a free TrueType font stands in for it in the demo,
# the smallest of Debian's fonts-dejavu-core (Bitstream Vera licence: redistributable).
cp /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf "$out/SERVICE/FONT/GOST.TTF"
# The BDE installer Setup.ini names (a stand-in, demo/bde_setup).
if [ -n "$bde" ]; then mkdir -p "$out/BDE" && cp "$bde" "$out/BDE/SETUP.EXE"; fi
echo "$out"
