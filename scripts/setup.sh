#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, and
# generates the comma-decimal locales the number tests run under, as root
# directly or through sudo. Does nothing when they are all there. The Windows
# build needs the mingw-w64 cross compiler (posix threads), GoogleTest's
# sources and Wine, which runs without a display.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgtest-dev libgmock-dev nlohmann-json3-dev fonts-dejavu-core fonts-liberation
  clang libclang-rt-14-dev clang-format dpkg-dev file locales qt6-translations-l10n
  g++-mingw-w64-x86-64-posix googletest wine wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A test converts numbers under these locales and fails when one is missing.
locales=(fr_FR.UTF-8 de_DE.UTF-8)
available=$(locale -a 2>/dev/null || true)
ungenerated=()
for l in "${locales[@]}"; do
  grep -qixF "${l%.UTF-8}.utf8" <<<"$available" || ungenerated+=("$l")
done
[ ${#ungenerated[@]} -eq 0 ] && exit 0
echo "Generating locales: ${ungenerated[*]}"
for l in "${ungenerated[@]}"; do
  if grep -q "^# *$l UTF-8\$" /etc/locale.gen 2>/dev/null; then
    "${as_root[@]}" sed -i "s/^# *$l UTF-8\$/$l UTF-8/" /etc/locale.gen
  elif ! grep -q "^$l UTF-8\$" /etc/locale.gen 2>/dev/null; then
    echo "$l UTF-8" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  fi
done
"${as_root[@]}" locale-gen --keep-existing
