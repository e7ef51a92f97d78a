#!/usr/bin/env bash
# Signs the shipping Setup.exe and UnInstall.exe of release_reproducible.sh with a throwaway
# certificate through tools/release.sh --sign, checks the signatures (and that a changed byte
# breaks Setup.exe's), and starts the signed Setup.exe under Wine: it shows the welcome page and
# carries the product's version.
# usage: release_signed.sh <work folder> <build folder> <release_check.exe>
set -euo pipefail
work="$1"; build="$2"; check_exe="$3"
tree="$work/a"
export LC_ALL=C  # osslsigncode's and openssl's words are read below
[ -f "$tree/build/release/Setup.exe" ] || { echo "release_signed: no release build in $tree" >&2; exit 1; }
SOURCE_DATE_EPOCH="$(git -C "$(dirname "$0")/../.." log -1 --format=%ct 2>/dev/null || echo 1700000000)"
export SOURCE_DATE_EPOCH
reproducible="$work/Setup.reproducible.exe"
cp "$tree/build/release/Setup.exe" "$reproducible"
uninstall_reproducible="$work/UnInstall.reproducible.exe"
cp "$tree/build/release/UnInstall.exe" "$uninstall_reproducible"

keys="$work/keys"
rm -rf "$keys" && mkdir -p "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Sketrion Test Vendor" \
  -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
bash "$tree/tools/release.sh" --sign "$keys/cert.pem" "$keys/key.pem" >"$work/sign.log" 2>&1 ||
  { cat "$work/sign.log"; exit 1; }
signed="$tree/build/release/Setup.exe"
cmp -s "$tree/build/release/Setup.unsigned.exe" "$reproducible" ||
  { echo "release_signed: the unsigned file is not the reproducible build" >&2; exit 1; }
cmp -s "$tree/build/release/UnInstall.unsigned.exe" "$uninstall_reproducible" ||
  { echo "release_signed: the unsigned UnInstall.exe is not the reproducible build" >&2; exit 1; }
osslsigncode verify -CAfile "$keys/cert.pem" -in "$tree/build/release/UnInstall.exe" >/dev/null 2>&1 ||
  { echo "release_signed: UnInstall.exe's signature does not verify" >&2; exit 1; }

report="$(osslsigncode verify -CAfile "$keys/cert.pem" -in "$signed" 2>&1)" ||
  { echo "$report"; echo "release_signed: the signature does not verify" >&2; exit 1; }
grep -qi 'digest algorithm.*sha256' <<<"$report" || { echo "$report"; echo "release_signed: not a SHA-256 signature" >&2; exit 1; }
grep -q 'Sketrion Test Vendor' <<<"$report" || { echo "$report"; echo "release_signed: signer not named" >&2; exit 1; }
# A signature that does not notice a changed byte would be worth nothing.
tampered="$work/Setup.tampered.exe"
cp "$signed" "$tampered"
printf '\x90' | dd of="$tampered" bs=1 seek=4096 conv=notrunc status=none
if osslsigncode verify -CAfile "$keys/cert.pem" -in "$tampered" >/dev/null 2>&1; then
  echo "release_signed: a changed byte still verifies" >&2; exit 1
fi
echo "release_signed: signed $(stat -c %s "$signed") bytes, SHA-256, verified; a changed byte is caught"

# The signed program on a medium that holds only the demo's Setup.ini, under Wine (drive T: is
# the build folder).
medium="$build/tests/release/signed-medium"
rm -rf "$medium" && mkdir -p "$medium"
cp "$signed" "$medium/Setup.exe"
cp "$(dirname "$0")/../../demo/Setup.ini" "$medium/"
out="$(SK_WINE_SCENARIO=release-signed bash "$(dirname "$0")/../../tools/wine-run.sh" "$check_exe" 'T:\tests\release\signed-medium\Setup.exe')" ||
  { echo "$out"; echo "release_signed: the signed Setup.exe did not start and end cleanly" >&2; exit 1; }
echo "$out"
# The version resource says what cmake/Product.cmake says.
product() { sed -n "s/^set($1 \"\\{0,1\\}\\([^\")]*\\)\"\\{0,1\\})\$/\\1/p" "$(dirname "$0")/../../cmake/Product.cmake"; }
version="$(product SK_VERSION_MAJOR).$(product SK_VERSION_MINOR).$(product SK_VERSION_PATCH).$(product SK_VERSION_BUILD)"
for expected in "CompanyName=$(product SK_COMPANY)" "ProductName=$(product SK_PRODUCT)" "FileVersion=$version"; do
  grep -qxF "version $expected" <<<"$out" || { echo "release_signed: the version resource lacks $expected" >&2; exit 1; }
done
echo "release_signed: passed"
