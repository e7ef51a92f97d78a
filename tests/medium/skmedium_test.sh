#!/usr/bin/env bash
# skmedium check on the demo medium (made by demo/make-medium.sh) finds nothing but the gap in its
# link sections, which the demo carries on purpose to show where the reading of shortcuts stops;
# on copies of it with one fault planted each, it names that fault and ends with exit code 1; on
# copies changed in ways the installer takes as they are, it finds nothing more than on the demo.
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
beyond_demo() { grep -vE '^\[Link5\]: is never read' <<<"$1" || true; }  # the demo's own finding left out
out="$("$skmedium" check "$demo")" && rc=0 || rc=$?
out="$(beyond_demo "$out")"
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
# One byte past what the installer reads (16 MiB): padding after the real text.
plant_oversized_setup_ini() { head -c $((16 * 1024 * 1024 + 1)) /dev/zero | tr '\0' ' ' >>"$1/Setup.ini"; }
expected_oversized_setup_ini="^Setup.ini: is larger than the installer reads"
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
plant_backslash_in_product() { set_general "$1" NameApplication 'Sketrion\7.2'; }
expected_backslash_in_product="NameApplication Sketrion.7.2 holds a backslash: .*no uninstall entry"
plant_device_in_company() { set_general "$1" NameCompany CON; }
expected_device_in_company="^\[GENERAL\]: the default destination .*CON.* a Windows device"
plant_trailing_blank_in_product() { set_general "$1" NameApplication '"Sketrion 7.2 "'; }
expected_trailing_blank_in_product="^\[GENERAL\]: the default destination .*\"Sketrion 7_2 \" ending with a dot or a blank"
plant_huge_agreement() { truncate -s 1G "$1/License.rtf"; }  # sparse: larger than any agreement shown
expected_huge_agreement="^License.rtf: .*larger than the agreement page shows"
plant_archive_above_medium() { sed -i 's/|SAMPLES.RAR|/|..\\SAMPLES.RAR|/' "$1/Setup.ini"; }
expected_archive_above_medium="^\.\..SAMPLES.RAR: climbs out of the medium"
plant_dangling_link() { rm "$1/SAMPLES.RAR"; ln -s ../nowhere.rar "$1/SAMPLES.RAR"; }
expected_dangling_link="^SAMPLES.RAR: the archive is missing"
unicode_names() { # folder: a tree of names outside code page 866, and outside the BMP
  mkdir -p "$1/DOC/Ελληνικά" "$1/DOC/日本語"
  for name in 'Ελληνικά/Σχέδιο.txt' '日本語/図面.txt' 'Smile 😀.txt' 'Euro € — “Quoted”.txt' 'Ёлка.txt'; do
    echo x >"$1/DOC/$name"
  done
}
plant_device_among_unicode() { unicode_names "$1/../u"; echo x >"$1/../u/DOC/COM¹.txt"; archive "$1" SAMPLES.RAR "$1/../u" rar5; }
expected_device_among_unicode="entry DOC.COM¹.txt: \"COM¹.txt\" is the name of a Windows device"
plant_long_path_outside_bmp() { # short in code points, too long in the UTF-16 units Windows counts
  local level; level="$(printf '😀%.0s' $(seq 60))"
  mkdir -p "$1/../astral/$level/$level/$level" && echo x >"$1/../astral/$level/$level/$level/a"
  archive "$1" SAMPLES.RAR "$1/../astral" rar5
}
expected_long_path_outside_bmp="more than Windows opens"

# accept_<case> <medium>: each makes a change the installer takes as it is: no finding may follow.
accept_unicode_names_rar4() { unicode_names "$1/../u"; archive "$1" SAMPLES.RAR "$1/../u" rar4; }
accept_unicode_names_rar5() { unicode_names "$1/../u"; archive "$1" SAMPLES.RAR "$1/../u" rar5; }
accept_archive_path_through_dots() { sed -i 's/|SAMPLES.RAR|/|DOCS\\..\\SAMPLES.RAR|/' "$1/Setup.ini"; }
accept_files_reached_through_links() {
  mkdir "$1/../store" && mv "$1/SAMPLES.RAR" "$1/DOCS" "$1/License.rtf" "$1/../store/"
  ln -s ../store/SAMPLES.RAR "$1/SAMPLES.RAR"; ln -s ../store/DOCS "$1/DOCS"; ln -s ../store/License.rtf "$1/License.rtf"
}
accept_agreement_over_2_mib() { head -c 3M /dev/zero | tr '\0' ' ' >>"$1/License.rtf"; }

check_copy() { # case change: checks a copy of the demo medium made for the case and changed
  local medium="$work/$1/medium"
  mkdir -p "$work/$1" && cp -a "$demo" "$medium"
  "$2" "$medium"
  out="$("$skmedium" check "$medium")" && rc=0 || rc=$?
}
for case in $(declare -F | sed -n 's/^declare -f plant_//p'); do
  check_copy "$case" "plant_$case"
  expected="expected_$case"
  if [ "$rc" -eq 1 ] && grep -qE -- "${!expected}" <<<"$out"; then
    echo "ok   $case: $(grep -E -- "${!expected}" <<<"$out" | head -n 1)"
  else
    echo "FAIL $case: exit code $rc, expected /${!expected}/, findings:"; echo "$out" | sed 's/^/       /'
    failures=$((failures + 1))
  fi
done
for case in $(declare -F | sed -n 's/^declare -f accept_//p'); do
  check_copy "$case" "accept_$case"
  out="$(beyond_demo "$out")"
  if [ "$rc" -le 1 ] && [ -z "$out" ]; then
    echo "ok   $case: no findings"
  else
    echo "FAIL $case: exit code $rc, findings:"; echo "$out" | sed 's/^/       /'
    failures=$((failures + 1))
  fi
done
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
