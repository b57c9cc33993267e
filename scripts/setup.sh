#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, as root
# directly or through sudo. Does nothing when they are all there. The Windows
# build needs the mingw-w64 cross compiler (posix threads), GoogleTest's
# sources and Wine, which runs without a display.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgtest-dev libgmock-dev nlohmann-json3-dev fonts-dejavu-core
  clang libclang-rt-14-dev clang-format dpkg-dev file
  g++-mingw-w64-x86-64-posix googletest wine wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
