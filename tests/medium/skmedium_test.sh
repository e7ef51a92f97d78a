#!/usr/bin/env bash
# skmedium check on the demo medium (made by demo/make-medium.sh) finds nothing but the gap in its
# link sections, which the demo carries on purpose to show where the reading of shortcuts stops;
# on copies of it with one fault planted each, it names that fault and ends with exit code 1.
# usage: skmedium_test.sh <skmedium> <rarwriter> <work folder>
set -euo pipefail
skmedium="$1"; rarwriter="$2"; work="$3"
here="$(cd "$(dirname "$0")/../.." && pwd)"
export LC_ALL=C  # the planted Setup.ini edits work on bytes

rm -rf "$work" && mkdir -p "$work"
# Stand-ins for the programs: the checker looks for them, it does not run them.
echo "MZ stand-in" >"$work/program.exe"
echo "icon stand-in" >"$work/setup.ico"
demo="$work/demo"
bash "$here/demo/make-medium.sh" "$rarwriter" "$work/program.exe" "$work/setup.ico" "$demo" "$work/program.exe" >/dev/null

failures=0
out="$("$skmedium" check "$demo")" && rc=0 || rc=$?
out="$(grep -vE '^\[Link5\]: is never read' <<<"$out" || true)"
if [ "$rc" -gt 1 ] || [ -n "$out" ]; then
  echo "FAIL demo medium: exit code $rc, findings:"; echo "$out"; failures=$((failures + 1))
else
  echo "ok   demo medium: no findings"
fi

ini() { printf '%s' "$1" | iconv -f UTF-8 -t CP1251; }  # Setup.ini text as vendors write it
set_general() { # medium key value: replaces the key's line in [GENERAL]
  local line; line="$(ini "$2=$3")"
  line="${line//\\/\\\\}"
  sed -i "s|^$2=.*|$line|" "$1/Setup.ini"
}
archive() { # medium rar-name folder [format]: packs a folder into an archive of the medium
  "$rarwriter" --format "${4:-rar4}" "$1/$2" "$3" >/dev/null
}

# plant_<case> <medium>: each plants one fault; expected_<case> is what the report must say.
plant_cyrillic_product() { set_general "$1" NameApplication "Редактор схем"; }
expected_cyrillic_product="destination page refuses"
plant_dots_in_company() { set_general "$1" NameCompany '..\Sketrion Software'; }
expected_dots_in_company="destination page refuses \(\.\)"
plant_no_setup_ini() { rm "$1/Setup.ini"; }
expected_no_setup_ini="^Setup.ini: missing"
plant_empty_setup_ini() { : >"$1/Setup.ini"; }
expected_empty_setup_ini="^Setup.ini: empty"
plant_unreadable_setup_ini() { rm "$1/Setup.ini"; mkdir "$1/Setup.ini"; }
expected_unreadable_setup_ini="^Setup.ini: cannot be read"
plant_utf8_with_mark() { { printf '\xEF\xBB\xBF'; iconv -f CP1251 -t UTF-8 "$1/Setup.ini"; } >"$1/x" && mv "$1/x" "$1/Setup.ini"; }
expected_utf8_with_mark="UTF-8 byte-order mark"
plant_utf8_without_mark() { iconv -f CP1251 -t UTF-8 "$1/Setup.ini" >"$1/x" && mv "$1/x" "$1/Setup.ini"; }
expected_utf8_without_mark="is written in UTF-8"
plant_long_product_name() { set_general "$1" NameApplication "$(printf 'Sketrion%.0s' $(seq 40))"; }
expected_long_product_name="more than a folder name may be"
plant_duplicate_key() { sed -i 's|^NameCompany=.*|&\r\nnamecompany=Other|' "$1/Setup.ini"; }
expected_duplicate_key="key namecompany appears again"
plant_unknown_key() { sed -i 's|^Icon=.*|&\r\nIcons=Sketrion.exe|' "$1/Setup.ini"; }
expected_unknown_key="key Icons is not one the installer reads"
plant_link_gap() { printf '\r\n[Link9]\r\nFileLink=a.lnk\r\nFilename=BIN\\Sketrion.exe\r\n' >>"$1/Setup.ini"; }
expected_link_gap="^\[Link9\]: is never read"
plant_no_agreement() { rm "$1/License.rtf"; }
expected_no_agreement="^License.rtf: the agreement file is missing"
plant_no_icon() { rm "$1/Sketrion.ico"; }
expected_no_icon="^Sketrion.ico: the icon"
plant_long_group_name() { sed -i "s/^2=0|SAMPLES.RAR|[^|]*|/2=0|SAMPLES.RAR|$(ini 'Примеры электрических схем и шаблоны листов формата А3')|/" "$1/Setup.ini"; }
expected_long_group_name="group 2: name .* is longer than the components list shows"
plant_missing_archive() { rm "$1/SAMPLES.RAR"; }
expected_missing_archive="^SAMPLES.RAR: the archive is missing"
plant_damaged_archive() { printf 'XXXXXXXX' | dd of="$1/SAMPLES.RAR" bs=1 seek=200 conv=notrunc status=none; }
expected_damaged_archive="^SAMPLES.RAR: .*fails its test"
plant_wrong_password() {
  "$rarwriter" --format rar5 --password wrong-password --encrypt '*' "$1/DOCS/DOCS.RAR" "$here/demo/content/docs" >/dev/null
}
expected_wrong_password="^DOCS.DOCS.RAR: entry .* fails its test"
plant_case_collision() {
  mkdir -p "$1/../extra/bin" && echo other >"$1/../extra/bin/SKETRION.EXE"
  archive "$1" EXTRA.RAR "$1/../extra"
  printf '4=1|EXTRA.RAR|Extra\r\n' >"$1/x"
  sed -i "/^3=1|/r $1/x" "$1/Setup.ini" && rm "$1/x"
}
expected_case_collision="^EXTRA.RAR: entry bin.SKETRION.EXE is the same file on Windows as BASE.RAR entry BIN.Sketrion.exe"
plant_device_name() { mkdir -p "$1/../dev/DOC" && echo x >"$1/../dev/DOC/con.txt"; archive "$1" SAMPLES.RAR "$1/../dev"; }
expected_device_name="entry DOC.con.txt: \"con.txt\" is the name of a Windows device"
plant_long_path() {
  local deep="$1/../deep/$(printf 'a%.0s' $(seq 120))/$(printf 'b%.0s' $(seq 120))"
  mkdir -p "$deep" && echo x >"$deep/file.txt"; archive "$1" SAMPLES.RAR "$1/../deep"
}
expected_long_path="more than Windows opens \(259\)"
plant_no_font() { rm "$1/SERVICE/FONT/GOST.TTF"; }
expected_no_font="GOST.TTF: the drawing font is missing"
plant_no_bde() { rm "$1/BDE/SETUP.EXE"; }
expected_no_bde="SETUP.EXE: the BDE installer is missing"
plant_link_to_nothing() { sed -i 's|^Filename=BIN\\Sketrion.exe|Filename=BIN\\Sketrion2.exe|' "$1/Setup.ini"; }
expected_link_to_nothing="^\[Link1\]: Filename BIN.Sketrion2.exe is in no archive"

for case in $(declare -F | sed -n 's/^declare -f plant_//p'); do
  medium="$work/$case/medium"
  mkdir -p "$work/$case" && cp -a "$demo" "$medium"
  "plant_$case" "$medium"
  expected="expected_$case"
  out="$("$skmedium" check "$medium")" && rc=0 || rc=$?
  if [ "$rc" -eq 1 ] && grep -qE -- "${!expected}" <<<"$out"; then
    echo "ok   $case: $(grep -E -- "${!expected}" <<<"$out" | head -n 1)"
  else
    echo "FAIL $case: exit code $rc, expected /${!expected}/, findings:"; echo "$out" | sed 's/^/       /'
    failures=$((failures + 1))
  fi
done
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
