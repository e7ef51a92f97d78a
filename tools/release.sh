#!/usr/bin/env bash
# The shipping build of Setup.exe and UnInstall.exe (which the medium's base archive carries):
# Release, stripped, unused sections dropped, and reproducible: the same commit gives the same
# bytes in any folder on any machine with the same Debian tools. Optionally signs them
# (Authenticode, SHA-256) with the vendor's certificate and key.
#
#   tools/release.sh [--out DIR] [--sign CERT.pem KEY.pem [--timestamp URL]]
#
# DIR (default build/release) holds the build in DIR/tree and the results DIR/Setup.exe and
# DIR/UnInstall.exe; when signing, the unsigned files stay beside them as DIR/<name>.unsigned.exe.
# The time stamp URL is an RFC 3161 server's; without it the signature holds until the
# certificate expires.
cd "$(dirname "$0")/.."
source tools/steps.sh
root="$(pwd)"
jobs="${SK_JOBS:-2}"
# The largest program that fits the vendor's boot media and download page.
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

# Each program with the execution level its manifest must ask for.
programs=(Setup UnInstall)
declare -A level=([Setup]=highestAvailable [UnInstall]=requireAdministrator)
declare -A built=([Setup]=app/Setup.exe [UnInstall]=uninstall/UnInstall.exe)

step "building ${programs[*]} (Release, in $out/tree)"
cmake -S . -B "$out/tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSK_RELEASE=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32-toolchain.cmake" >/dev/null
cmake --build "$out/tree" -j "$jobs" --target "${programs[@]}"

for program in "${programs[@]}"; do
  exe="$out/$program.exe"
  cp "$out/tree/${built[$program]}" "$exe"
  step "checking $program.exe"
  size=$(stat -c %s "$exe")
  if [ "$size" -gt "$max_bytes" ]; then
    echo "release.sh: $program.exe is $size bytes, more than $max_bytes" >&2
    false
  fi
  bash tests/app/check_program_exe.sh "$exe" "${level[$program]}"
  # The COFF header's TimeDateStamp: 4 bytes, 8 after the PE signature (whose offset is at 0x3c).
  pe_offset=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
  stamp=$(od -An -tu4 -j$((pe_offset + 8)) -N4 "$exe" | tr -d ' ')
  [ "$stamp" = 0 ] || { echo "release.sh: $program.exe's PE header carries a link time stamp ($stamp)" >&2; false; }
done

if [ -n "$cert" ]; then
  command -v osslsigncode >/dev/null || { echo "release.sh: osslsigncode is missing (tools/setup-machine.sh)" >&2; false; }
  # Against the machine's root certificates and the given file, so a self-signed certificate
  # passes as well as one a public authority issued.
  cas="$out/verify-cas.pem"
  cat /etc/ssl/certs/ca-certificates.crt "$cert" >"$cas" 2>/dev/null || cp "$cert" "$cas"
  for program in "${programs[@]}"; do
    step "signing $program.exe (Authenticode, SHA-256)"
    description="$(sed -n 's/^set(SK_PRODUCT "\(.*\)")$/\1/p' cmake/Product.cmake) $program"
    mv "$out/$program.exe" "$out/$program.unsigned.exe"
    sign=(osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "$description"
      -in "$out/$program.unsigned.exe" -out "$out/$program.exe")
    [ -z "$timestamp" ] || sign+=(-ts "$timestamp")
    "${sign[@]}" >/dev/null
    step "verifying the signature of $program.exe"
    osslsigncode verify -CAfile "$cas" -in "$out/$program.exe" >"$out/verify.log" 2>&1 || {
      cat "$out/verify.log" >&2; false; }
  done
fi

for program in "${programs[@]}"; do
  exe="$out/$program.exe"
  echo "$program.exe: $exe, $(stat -c %s "$exe") bytes, sha256 $(sha256sum "$exe" | cut -d' ' -f1)"
done
[ -z "$cert" ] || echo "signed with $cert; the unsigned builds (the reproducible bytes): $out/*.unsigned.exe"
