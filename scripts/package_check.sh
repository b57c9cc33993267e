#!/usr/bin/env bash
# Builds the Debian package (Release, build-deb/), installs it with apt-get as
# a user of a fresh machine would, runs the installed command line on the
# simulated box, and removes the package. As root (CI), or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELM_TESTS=OFF -DQUELM_BENCH=OFF -DQUELM_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build build-deb
rm -f build-deb/quelmbox_*.deb
(cd build-deb && cpack -G DEB >/dev/null)
deb=$(ls build-deb/quelmbox_*.deb)
echo "package: $deb"
dpkg-deb -f "$deb" Depends
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get install -y -qq "./$deb" >/dev/null
status=0
(
  cd /tmp
  quelmbox-cli --version
  quelmbox-cli --simulate read-params 300
  test -f /usr/share/applications/quelmbox.desktop
  test -f /usr/lib/udev/rules.d/60-quelmbox-ftdi.rules
  cmp <(quelmbox-cli --print-udev-rule | grep -v '^# Install') /usr/lib/udev/rules.d/60-quelmbox-ftdi.rules
  # The window as the desktop entry starts it: files in the user's own folder.
  home=$(mktemp -d)
  HOME=$home QT_QPA_PLATFORM=offscreen timeout 30 quelmbox --simulate --quit-after-paint >/dev/null 2>&1
  test -s "$home/.local/share/quelmbox/param_box.dat"
  test -s "$home/.local/share/quelmbox/frame_English.dat"
  rm -rf "$home"
) || status=$?
"${as_root[@]}" apt-get remove -y -qq quelmbox >/dev/null
if [ "$status" -ne 0 ]; then
  echo "the installed package failed (status $status)" >&2
  exit "$status"
fi
echo "package installed, ran and removed"
