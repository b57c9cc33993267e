#!/usr/bin/env bash
# Installs the Debian packages the project needs, as root directly or
# through sudo; does nothing when they are all there.
#   bash scripts/setup.sh           what building and running the window and
#                                   the command line needs (scripts/run.sh)
#   bash scripts/setup.sh --tests   that and what the tests need: GoogleTest,
#                                   clang (the fuzzers) and clang-format, the
#                                   Debian packaging tools, the mingw-w64 cross
#                                   compiler (posix threads), NSIS and Wine for
#                                   the Windows build and its installer, a
#                                   virtual display (Xvfb, xwd, netpbm) for its
#                                   window, and the comma-decimal locales the
#                                   number tests run under
set -euo pipefail
tests=0
[ "${1:-}" = --tests ] && tests=1
# The window's captions are drawn in Liberation and DejaVu fonts; Qt's own
# dialogs take their French from the translations package.
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev nlohmann-json3-dev fonts-dejavu-core fonts-liberation
  qt6-translations-l10n)
if [ "$tests" -eq 1 ]; then
  packages+=(libgtest-dev libgmock-dev clang libclang-rt-14-dev clang-format dpkg-dev file locales
    g++-mingw-w64-x86-64-posix googletest wine wine64 nsis xvfb x11-apps netpbm)
fi
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

[ "$tests" -eq 1 ] || exit 0
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
