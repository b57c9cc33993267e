#!/usr/bin/env bash
# The Windows installer, tried under Wine as a user would: `cpack -G NSIS` in
# the cross build, then the installer run silently (/S) into Program Files,
# the installed command line run from elsewhere, the window started from its
# Start-menu entry, and the uninstaller run silently (/S).
#   scripts/windows_installer_check.sh BUILD_WINDOWS
# WINEPREFIX names the Wine prefix to use. The window is tried only when the
# build made it (bin/quelmbox.exe), on the display DISPLAY names, else on a
# virtual one (Xvfb) of this run's own: a Wine session started without a
# display opens windows on the one its programs are given.
set -euo pipefail
# A step that fails without a word of its own still says where it stopped.
trap 'echo "installer: stopped at line $LINENO: $BASH_COMMAND (status $?)"' ERR
build=$(realpath "$1")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
window=0
[ -f "$build/bin/quelmbox.exe" ] && window=1
# Wine would otherwise copy the Start-menu entries into the Linux desktop's menus.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
installed="$WINEPREFIX/drive_c/Program Files/Quelmbox"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quelmbox"
fail() { echo "installer: $*"; exit 1; }
# The window and the display this run started end with it.
pid= xvfb=
trap 'for p in $pid $xvfb; do kill "$p" 2>/dev/null || true; done' EXIT

# The Linux process of the installed window in this Wine prefix, if one runs.
window_pid() {
  for dir in /proc/[0-9]*; do
    tr '\0' ' ' 2>/dev/null <"$dir/cmdline" | grep -qF 'Quelmbox\quelmbox.exe' &&
      tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && basename "$dir" && return
  done
}

# The window started from its Start-menu entry, in the user's own folder: a
# language chosen before (English) is kept, a language file left by an older
# version is replaced, and the installed folder is not written.
try_window() {
  if [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$! && export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  local own before
  # The user's folder, asked of Wine again when a fresh session is slow to answer.
  local appdata=
  for _ in 1 2 3; do
    appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r') && [ -n "$appdata" ] && break
    sleep 1
  done
  [ -n "$appdata" ] || fail "Wine gave no %APPDATA% folder"
  own=$(winepath -u "$appdata")/quelmbox
  mkdir -p "$own" && printf '    2\r\n' >"$own/param_box.dat" && printf 'older\r\n' >"$own/box_English.dat"
  before=$(cd "$installed" && find . -type f -exec md5sum {} + | sort)
  wine start /wait /unix "$menu/Quelmbox.lnk" &
  local start=$!
  for _ in $(seq 60); do
    pid=$(window_pid || true)
    [ -z "$pid" ] || break
    sleep 0.5
  done
  [ -n "$pid" ] || fail "the Start-menu entry $menu/Quelmbox.lnk started no window"
  [ "$(readlink "/proc/$pid/cwd")" = "$(realpath "$own")" ] ||
    fail "the window runs in $(readlink "/proc/$pid/cwd"), not in the user's folder $own"
  # Up a second later: it did not stop at its start.
  sleep 1 && kill "$pid" 2>/dev/null || fail "the window stopped at once"
  wait "$start" || true
  pid=
  [ "$(cat "$own/param_box.dat")" = $'    2\r' ] || fail "the user's param_box.dat was overwritten"
  for file in "$installed"/*.dat; do
    [ "$(basename "$file")" = param_box.dat ] || cmp -s "$file" "$own/$(basename "$file")" ||
      fail "$(basename "$file") in the user's folder is not the installed one"
  done
  [ "$(cd "$installed" && find . -type f -exec md5sum {} + | sort)" = "$before" ] ||
    fail "the window or its start wrote into $installed"
  rm -rf "$own"
}

# What a failed run left is not this run's to find.
rm -rf "$installed" "$menu"
(cd "$build" && rm -f quelmbox*-windows-x64.exe && cpack -G NSIS >/dev/null)
setup=$(ls "$build"/quelmbox*-"$version"-windows-x64.exe)
file -b "$setup" | grep -q 'PE32+.*x86-64' || fail "$(basename "$setup") is not a 64-bit program: $(file -b "$setup")"
wine "$setup" /S

# Everything the package carries, in Program Files; the programs carry the
# project's version; the command line finds its simulated box beside it.
expected=(quelmbox-cli.exe simbox.txt README-windows.txt param_box.dat box_English.dat box_Français.dat
  frame_English.dat frame_Français.dat option_English.dat option_Français.dat Uninstall.exe)
[ "$window" = 0 ] || expected+=(quelmbox.exe quelmbox-start.exe)
for name in "${expected[@]}"; do
  test -f "$installed/$name" || fail "$name is not in $installed"
done
for program in "$installed"/quelmbox*.exe; do
  strings -el "$program" | grep -qx "$version" || fail "$(basename "$program") carries no version resource $version"
done
(cd "$WINEPREFIX/drive_c" && wine "C:\\Program Files\\Quelmbox\\quelmbox-cli.exe" --simulate read-params 300 >/dev/null) ||
  fail "the installed quelmbox-cli.exe could not read on the simulated box"
[ "$window" = 0 ] || try_window

# The uninstaller copies itself away and returns at once: what it removes
# goes while this waits.
wine "$installed/Uninstall.exe" /S
for _ in $(seq 60); do
  [ -e "$installed" ] || [ -e "$menu" ] || break
  sleep 0.5
done
[ ! -e "$installed" ] || fail "the uninstaller left $(ls "$installed" | tr '\n' ' ')in $installed"
[ ! -e "$menu" ] || fail "the uninstaller left the Start-menu folder $menu"
echo "installer: $(basename "$setup") ($(du -k "$setup" | cut -f1) KiB) installed, run$([ "$window" = 0 ] ||
  echo ' with the window') and uninstalled under Wine"
