#!/usr/bin/env bash
# The shipping build of Setup.exe: Release, stripped, unused sections dropped, and reproducible:
# the same commit gives the same bytes in any folder on any machine with the same Debian tools.
# Optionally signs it (Authenticode, SHA-256) with the vendor's certificate and key.
#
#   tools/release.sh [--out DIR] [--sign CERT.pem KEY.pem [--timestamp URL]]
#
# DIR (default build/release) holds the build in DIR/tree and the result DIR/Setup.exe; when
# signing, the unsigned file stays beside it as DIR/Setup.unsigned.exe. The time stamp URL is an
# RFC 3161 server's; without it the signature holds until the certificate expires.
cd "$(dirname "$0")/.."
source tools/steps.sh
root="$(pwd)"
jobs="${SK_JOBS:-2}"
# The largest Setup.exe that fits the vendor's boot media and download page.
max_bytes=$((3 * 1024 * 1024 / 2))

out="$root/build/release"
cert="" key="" timestamp=""
usage() { echo "usage: tools/release.sh [--out DIR] [--sign CERT.pem KEY.pem [--timestamp URL]]" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --out) [ $# -ge 2 ] || usage; out="$2"; shift 2 ;;
    --sign) [ $# -ge 3 ] || usage; cert="$2"; key="$3"; shift 3 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp="$2"; shift 2 ;;
    *) usage ;;
  esac
done
[ -z "$timestamp" ] || [ -n "$cert" ] || { echo "release.sh: --timestamp needs --sign" >&2; exit 2; }
mkdir -p "$out"
out="$(cd "$out" && pwd)"

step "finding the commit's date (SOURCE_DATE_EPOCH)"
# The date of the commit, not of the build, wherever a tool would write one.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" || {
    echo "release.sh: not a Git checkout: set SOURCE_DATE_EPOCH to the sources' date" >&2; false; }
fi
export SOURCE_DATE_EPOCH
# Tools that write their language's words into files write the same ones everywhere.
export LC_ALL=C TZ=UTC

step "building Setup.exe (Release, in $out/tree)"
cmake -S . -B "$out/tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSK_RELEASE=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32-toolchain.cmake" >/dev/null
cmake --build "$out/tree" -j "$jobs" --target Setup
cp "$out/tree/app/Setup.exe" "$out/Setup.exe"

step "checking the result"
size=$(stat -c %s "$out/Setup.exe")
if [ "$size" -gt "$max_bytes" ]; then
  echo "release.sh: Setup.exe is $size bytes, more than $max_bytes" >&2
  false
fi
bash tests/app/check_program_exe.sh "$out/Setup.exe" highestAvailable
# The COFF header's TimeDateStamp: 4 bytes, 8 after the PE signature (whose offset is at 0x3c).
pe_offset=$(od -An -tu4 -j60 -N4 "$out/Setup.exe" | tr -d ' ')
stamp=$(od -An -tu4 -j$((pe_offset + 8)) -N4 "$out/Setup.exe" | tr -d ' ')
[ "$stamp" = 0 ] || { echo "release.sh: the PE header carries a link time stamp ($stamp)" >&2; false; }

if [ -n "$cert" ]; then
  step "signing Setup.exe (Authenticode, SHA-256)"
  command -v osslsigncode >/dev/null || { echo "release.sh: osslsigncode is missing (tools/setup-machine.sh)" >&2; false; }
  description="$(sed -n 's/^set(SK_PRODUCT "\(.*\)")$/\1/p' cmake/Product.cmake) Setup"
  mv "$out/Setup.exe" "$out/Setup.unsigned.exe"
  sign=(osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "$description"
    -in "$out/Setup.unsigned.exe" -out "$out/Setup.exe")
  [ -z "$timestamp" ] || sign+=(-ts "$timestamp")
  "${sign[@]}" >/dev/null
  step "verifying the signature"
  # Against the machine's root certificates and the given file, so a self-signed certificate
  # passes as well as one a public authority issued.
  cas="$out/verify-cas.pem"
  cat /etc/ssl/certs/ca-certificates.crt "$cert" >"$cas" 2>/dev/null || cp "$cert" "$cas"
  osslsigncode verify -CAfile "$cas" -in "$out/Setup.exe" >"$out/verify.log" 2>&1 || {
    cat "$out/verify.log" >&2; false; }
fi

echo "Setup.exe: $out/Setup.exe, $(stat -c %s "$out/Setup.exe") bytes, sha256 $(sha256sum "$out/Setup.exe" | cut -d' ' -f1)"
[ -z "$cert" ] || echo "signed with $cert; the unsigned build (the reproducible bytes): $out/Setup.unsigned.exe"
