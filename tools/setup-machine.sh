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
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
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
