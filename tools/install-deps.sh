#!/usr/bin/env bash
# Installs the Debian 12 packages Pellmar builds and tests with; does nothing when all are present.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libsqlite3-0 zlib1g-dev libssl-dev libcurl4-openssl-dev openssl qt6-base-dev
  libgtest-dev libgmock-dev
  # libgnutls30: Wine's bcrypt verifies the updater's signatures through it (libwine only recommends it).
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine wine64 libgnutls30 xvfb xauth
  dpkg-dev help2man lintian nsis
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
# npm only fetches the SQLite amalgamation for the Windows build; a Node.js from elsewhere will do.
command -v npm >/dev/null || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
