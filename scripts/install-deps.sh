#!/usr/bin/env bash
# Installs the Debian packages Tessaro needs to build, test and run.
#   scripts/install-deps.sh           the Linux build, tests and window
#   scripts/install-deps.sh windows   also the Windows cross-build and Wine
# Idempotent: when everything is there it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format-14 clang-tidy-14
  nlohmann-json3-dev libcli11-dev
  qt6-base-dev
  xvfb xauth x11-utils imagemagick fonts-dejavu-core fonts-terminus
  binutils
  ser2net
  file lintian desktop-file-utils man-db
  prometheus prometheus-node-exporter
)
if [ "${1:-}" = windows ]; then
  packages+=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    googletest wine64 fonts-wine jq zip nsis discount groff-base python3 iproute2
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
