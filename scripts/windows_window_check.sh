#!/usr/bin/env bash
# The Windows window (quelmbox.exe) tried under Wine on a virtual display:
#   - on the simulated box, drive_window.exe drives it through window
#     messages (French start, connection test, a read, a project file saved
#     into an accented folder, a send read back, Escape during a read, the
#     language switch, the trace window, a site survey); the project file must
#     be the Linux command line's byte for byte; a screenshot of the French
#     window is kept as build-windows/screenshots/quelmbox-window-fr.png;
#   - through COM5, the simulated box behind a pseudo-terminal (pty_box):
#     the connection test and a read;
#   - start to first paint beside a bare Win32 window (informational: Wine's
#     timing is no proof of Windows timing).
# Usage: windows_window_check.sh BUILD_WINDOWS LINUX_QUELMBOX_CLI PTY_BOX
# Runs inside the Wine session scripts/test_windows.sh has started.
set -euo pipefail
build=$(realpath "$1")
cli=$(realpath "$2")
pty_box=$(realpath "$3")
scratch=$(mktemp -d)
shots=$build/screenshots
mkdir -p "$shots"
window_pid=
xvfb_pid=
box_pid=
# The Wine session anew, on the display now set (or on none): its desktop
# takes the screen's size and dots per inch when it starts.
restart_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  (wineserver -p && wine cmd /c exit) >/dev/null 2>&1 </dev/null
}
cleanup() {
  [ -n "$window_pid" ] && kill "$window_pid" 2>/dev/null || true
  [ -n "$box_pid" ] && kill "$box_pid" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com5"
  wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  unset DISPLAY
  restart_wine # the session the caller goes on with, without the display that went
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display of our own: the first free number from 90.
display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1600x1000x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
restart_wine

failures=0
# start_window FOLDER ARGS...: the window started in FOLDER, which holds the
# settings and language files, as the Start-menu entry starts it.
start_window() {
  local folder=$1
  shift
  cp "$build"/bin/*.dat "$folder/"
  (cd "$folder" && exec wine "$build/bin/quelmbox.exe" "$@" >"$folder/window.log" 2>&1) &
  window_pid=$!
}
stop_window() {
  wine "$build/tests/drive_window.exe" quit || failures=$((failures + 1))
  wait "$window_pid" || true
  window_pid=
}
screenshot() {
  if command -v xwdtopnm >/dev/null && command -v pnmtopng >/dev/null; then
    xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$shots/$1.png"
  else
    xwd -root -silent >"$shots/$1.xwd"
  fi
}

# The simulated box.
mkdir -p "$scratch/sim"
start_window "$scratch/sim" --simulate
wine "$build/tests/drive_window.exe" simulated "$(winepath -w "$scratch/sim")" | tee "$scratch/sim.out" |
  grep -v '^[0-9]* ' || failures=$((failures + 1))
screenshot quelmbox-window-fr
stop_window
"$cli" --simulate --json read-params 1048574 --save "$scratch/linux.bdp" >/dev/null
if ! cmp "$scratch/linux.bdp" "$scratch/sim/Données été/1048574.bdp"; then
  echo "FAIL the window's project file differs from the Linux command line's"
  failures=$((failures + 1))
fi

# COM5: the simulated box behind a pseudo-terminal, mapped into Wine.
mkdir -p "$scratch/port"
grep -v '^report' "$build/bin/simbox.txt" >"$scratch/port/box.txt"
coproc BOX { exec "$pty_box" "$scratch/port/box.txt"; }
box_pid=$BOX_PID
read -r pts <&"${BOX[0]}"
ln -sfn "$pts" "$WINEPREFIX/dosdevices/com5"
start_window "$scratch/port" --port COM5
wine "$build/tests/drive_window.exe" port | grep -v '^[0-9]* ' || failures=$((failures + 1))
stop_window

# At 150 %: the window is whole, every control inside its client area.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
restart_wine
mkdir -p "$scratch/dpi"
start_window "$scratch/dpi" --simulate
wine "$build/tests/drive_window.exe" whole | grep -v '^[0-9]* ' || failures=$((failures + 1))
sleep 2 # the connection test's last repaints
screenshot quelmbox-window-150
stop_window
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
restart_wine

# Start to first paint, best of three, beside a bare window.
best() { # program args...: the shortest of three runs, in milliseconds
  local least=
  for _ in 1 2 3; do
    local start end
    start=$(date +%s%N)
    (cd "$scratch/sim" && wine "$@" >/dev/null 2>&1) || true
    end=$(date +%s%N)
    local ms=$(((end - start) / 1000000))
    if [ -z "$least" ] || [ "$ms" -lt "$least" ]; then least=$ms; fi
  done
  echo "$least"
}
bare=$(best "$build/tests/bare_window.exe")
window=$(best "$build/bin/quelmbox.exe" --simulate --quit-after-paint)
echo "start to first paint under Wine: quelmbox.exe $window ms, bare Win32 window $bare ms," \
  "ratio $(awk "BEGIN { printf \"%.2f\", $window / $bare }") (informational)"
echo "quelmbox.exe: $(du -k "$build/bin/quelmbox.exe" | cut -f1) KiB"
[ "$failures" -eq 0 ] || { echo "the window's checks under Wine: $failures failure(s)"; exit 1; }
echo "the window's checks under Wine passed; screenshot in $shots"
