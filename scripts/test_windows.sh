#!/usr/bin/env bash
# The Windows build, tried under Wine. Cross-builds (build-windows/, with the
# mingw-w64 toolchain file) every Qt-free library, the Qt-free tests, sim_tool
# and quelmbox-cli.exe, then runs under Wine:
#   - the Qt-free tests, each program once, and sim_tool for 1,000 seeds;
#   - every quelmbox-cli.exe command with --json on the simulated box, whose
#     output, exit status and saved project files must be the Linux build's
#     byte for byte (the Linux quelmbox-cli of build-tests/ is the reference);
#   - quelmbox-cli.exe --port COM5 on the simulated box behind a
#     pseudo-terminal (pty_box), mapped into Wine's device folder as com5:
#     read, send, read back, program a number, save a project file;
#   - the window, quelmbox.exe, on a virtual display (Xvfb), driven through
#     window messages by drive_window.exe on the simulated box and through
#     COM5 (scripts/windows_window_check.sh), with a screenshot;
#   - the ZIP a Windows user downloads (cpack), unpacked and run.
# Wine's timing is no proof of Windows timing: these runs check behaviour.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-windows
linux=$root/build-tests

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DQUELM_BENCH=OFF -DQUELM_WERROR=ON >/dev/null
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A new Wine prefix takes a while to set up: it is made while the build runs.
mkdir -p "$build"
(wineboot --init >"$build/wineboot.log" 2>&1) &
wineboot_pid=$!
cmake --build "$build" -j2
cmake --build "$linux" --target quelmbox-cli pty_box
wait "$wineboot_pid"
# One Wine session for every run, started apart from ctest's output pipes
# (its service processes would hold them open). The set-up's server is let
# end first: a persistent one cannot start beside it (with nothing to build,
# it is still there).
wineserver -w
(wineserver -p && wine cmd /c exit) >/dev/null 2>&1 </dev/null
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

(cd "$build" && ctest --output-on-failure -j2)
bash scripts/windows_cli_check.sh "$linux/bin/quelmbox-cli" "$build/bin/quelmbox-cli.exe" "$linux/bin/pty_box"
bash scripts/windows_window_check.sh "$build" "$linux/bin/quelmbox-cli" "$linux/bin/pty_box"

# The download: unpacked elsewhere, run from yet another folder, it finds its
# simulated box beside it and reads as the Linux build does.
(cd "$build" && rm -f quelmbox*-windows-x64.zip quelmbox*-windows-x64.exe && cpack -G ZIP >/dev/null)
zip=$(ls "$build"/quelmbox*-windows-x64.zip)
unpacked=$(mktemp -d)
(cd "$unpacked" && cmake -E tar xf "$zip")
folder=$(ls -d "$unpacked"/quelmbox*)
for name in quelmbox-cli.exe quelmbox.exe simbox.txt README-windows.txt box_English.dat box_Français.dat; do
  test -f "$folder/$name" || { echo "the ZIP lacks $name"; exit 1; }
done
for name in README-windows.txt simbox.txt; do
  if grep -q $'[^\r]$' "$folder/$name"; then echo "$name in the ZIP has a line without CR LF"; exit 1; fi
done
expected=$("$linux/bin/quelmbox-cli" --simulate --json read-params 300)
got=$(cd "$unpacked" && wine "$folder/quelmbox-cli.exe" --simulate --json read-params 300)
rm -rf "$unpacked"
[ "$got" = "$expected" ] || { echo "the unpacked quelmbox-cli.exe read: $got"; exit 1; }
echo "package: $(basename "$zip") ($(du -k "$zip" | cut -f1) KiB), unpacked and run under Wine"
bash scripts/windows_installer_check.sh "$build"
