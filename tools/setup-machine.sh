#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine (bookworm).
# Idempotent: when everything is there it only checks and returns.
set -euo pipefail

need_pkgs=(cmake ninja-build g++ clang libgtest-dev libgmock-dev googletest libssl-dev
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools
  wine wine32 wine64 xvfb xauth x11-apps imagemagick libarchive-tools locales fonts-dejavu-core
  osslsigncode ccache)

missing=()
for p in "${need_pkgs[@]}"; do
  if [ "$p" = wine32 ]; then p=wine32:i386; fi
  LC_ALL=C dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# Node.js may come from elsewhere (nodesource bundles npm); only ask Debian when it is absent.
command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-machine: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  # A mirror in the middle of a sync serves an index that does not match its release file, and
  # the 32-bit packages then cannot match the 64-bit ones. When only the security pocket is torn,
  # the packages come from the pockets whose lists are whole (security updates pinned low);
  # otherwise the sync is waited for.
  low_security="$(mktemp)"
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$low_security"
  installed=no
  for attempt in 1 2 3 4 5 6; do
    lists="$($SUDO apt-get update -qq 2>&1)" || true
    torn="$(grep '^E:' <<<"$lists" | grep -v 'Some index files' || true)"
    if [ -z "$torn" ]; then
      $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null && installed=yes
    else
      echo "setup-machine: the package lists are torn (attempt $attempt): $torn" >&2
      if ! grep -qv 'debian-security' <<<"$torn" &&
        $SUDO apt-get install -y -qq --no-install-recommends \
          -o Dir::Etc::Preferences="$low_security" "${missing[@]}" >/dev/null; then
        installed=yes
      fi
    fi
    [ "$installed" = yes ] && break
    sleep 60
  done
  rm -f "$low_security"
  if [ "$installed" != yes ]; then
    echo "setup-machine: could not install ${missing[*]}" >&2
    exit 1
  fi
fi

# Russian locale, as on a Russian Windows, for the text-sensitive suites.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then
  echo "setup-machine: generating ru_RU.UTF-8"
  $SUDO sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

# The reference unrar compiled to WebAssembly, pinned, for differential tests.
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ ! -d "$here/tests/peers/node_modules/node-unrar-js" ] && [ -f "$here/tests/peers/package.json" ]; then
  (cd "$here/tests/peers" && npm ci --no-audit --no-fund --silent)
fi
echo "setup-machine: ready"
