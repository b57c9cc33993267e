#!/usr/bin/env bash
# quelmbox-cli.exe under Wine next to the Linux quelmbox-cli, command by
# command: the same output, messages and exit status, and the same files
# saved, byte for byte. Then quelmbox-cli.exe on a COM port: the simulated box
# behind a pseudo-terminal, which Wine serves as COM5.
#   scripts/windows_cli_check.sh LINUX_CLI WINDOWS_CLI PTY_BOX
# WINEPREFIX names the Wine prefix to use.
set -euo pipefail
linux_cli=$(realpath "$1")
windows_cli=$(realpath "$2")
pty_box=$(realpath "$3")
scratch=$(mktemp -d)
box_pid=
cleanup() {
  [ -z "$box_pid" ] || kill "$box_pid" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com5"
  rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
checks=0

# A working folder per side, alike: a box file whose detector 300 reports
# its number, and a folder with an accented name.
for side in linux windows; do
  mkdir -p "$scratch/$side/dossier été"
  { cat "$(dirname "$linux_cli")/simbox.txt"; echo "report 300 after=1"; } >"$scratch/$side/box.txt"
done

run() { # side name args...
  local side=$1 name=$2
  shift 2
  local program=("$linux_cli" --lang en)
  [ "$side" = linux ] || program=(wine "$windows_cli" --lang en)
  set +e
  (cd "$scratch/$side" && "${program[@]}" "$@" >"$scratch/$name.$side.out" 2>"$scratch/$name.$side.err")
  echo $? >"$scratch/$name.$side.status"
  set -e
}

# Fails the check `name` unless both sides printed and returned the same.
compare() { # name
  checks=$((checks + 1))
  local alike=1
  for part in out err status; do
    if ! cmp -s "$scratch/$1.linux.$part" "$scratch/$1.windows.$part"; then
      echo "DIFFERS: $1 ($part)"
      diff "$scratch/$1.linux.$part" "$scratch/$1.windows.$part" | head -20 || true
      alike=0
    fi
  done
  [ "$alike" = 1 ] || failures=$((failures + 1))
}

same() { # name args...
  run linux "$@"
  run windows "$@"
  compare "$1"
}

same read-params --simulate --json read-params 300
same read-absent --simulate --json --timeout 5 read-params 999
same read-save --simulate --json read-params 300 --save "dossier été/300.bdp" --with-addresses
same show-file --json show-file "dossier été/300.bdp"
same read-addresses --simulate --json read-addresses 300
same send-addresses --simulate --json send-addresses 12 1 2 3 4 5 6 7 8 9 10
same send-params --simulate --json send-params 300 power=max rise=0.5s on=90
same send-from-file --simulate --json send-params 12 --from "dossier été/300.bdp"
same program-number --simulate --json program-number 300 301
same wait-number --simulate=box.txt --json wait-number
same channel --simulate --json channel B
same test-number --simulate --json test-number 300
same no-number --simulate --json read-params
same no-box-file --simulate=none.txt --json read-params 300
same version --version
same help --help
# The files both sides saved.
checks=$((checks + 1))
if ! diff -r "$scratch/linux" "$scratch/windows"; then
  echo "DIFFERS: the files saved"
  failures=$((failures + 1))
fi
echo "quelmbox-cli.exe on the simulated box: $checks checks, $((checks - failures)) alike"

# Accented folder and file names through the site commands and --from-json:
# each name reaches the disk as it was typed, and each file is read back.
printf 'detector,power,file\r\n300,min,\r\n12,,Relev\xc3\xa9 B/300.bdp\r\n' >"$scratch/windows/plan été.csv"
printf '{"outputPower": "max"}' >"$scratch/windows/p é.json"
accented() { # name expected-file args...
  local name=$1 file=$2
  shift 2
  run windows "$name" "$@"
  checks=$((checks + 1))
  if [ "$(cat "$scratch/$name.windows.status")" != 0 ] || [ ! -f "$scratch/windows/$file" ]; then
    echo "FAILED: $name with accented names"
    cat "$scratch/$name.windows.err"
    ls "$scratch/windows"
    failures=$((failures + 1))
  fi
}
accented survey-accents "Relevé B/300.bdp" --simulate --json survey 300,12 --save-dir "Relevé B" --report "relevé B.csv"
accented survey-report "relevé B.csv" --simulate --json survey 300 --report "relevé B.csv"
accented apply-accents "plan été.csv" --simulate --json apply "plan été.csv"
accented audit-accents "Relevé B/12.bdp" --simulate --json audit "Relevé B"
accented from-json-accents "p é.json" --simulate --json send-params 300 --from-json "p é.json"


# The serial path: Linux through the pseudo-terminal, Windows through COM5.
coproc BOX { exec "$pty_box" "$scratch/linux/box.txt"; }
box_pid=$BOX_PID
read -r pts <&"${BOX[0]}"
ln -sfn "$pts" "$WINEPREFIX/dosdevices/com5"
serial() { # name args... : the same command on both ports, one after the other
  local name=$1
  shift
  run linux "$name" --port "$pts" "$@"
  run windows "$name" --port COM5 "$@"
  # The port's name is the one thing that differs.
  sed -i "s|$pts|COM5|g" "$scratch/$name.linux.err"
  compare "$name"
}
serial com-read --json read-params 300
run windows com-send --port COM5 --json send-params 300 power=min fall=2min dyn-=40
checks=$((checks + 1))
if [ "$(cat "$scratch/com-send.windows.status")" != 0 ]; then
  echo "FAILED: send-params through COM5"
  cat "$scratch/com-send.windows.err"
  failures=$((failures + 1))
fi
serial com-read-back --json read-params 300
checks=$((checks + 1))
if ! grep -q '"outputPower": "min".*"fallTime": "2min".*"levelDynMinus": 40' "$scratch/com-read-back.windows.out"; then
  echo "FAILED: the values sent through COM5 did not read back"
  cat "$scratch/com-read-back.windows.out"
  failures=$((failures + 1))
fi
serial com-addresses --json read-addresses 300
serial com-save --json read-params 300 --save "dossier été/serial.bdp"
checks=$((checks + 1))
cmp "$scratch/linux/dossier été/serial.bdp" "$scratch/windows/dossier été/serial.bdp" || failures=$((failures + 1))
run windows com-number --port COM5 --json program-number 12 13
serial com-read-13 --json read-params 13
run windows com-trace --port COM5 --trace --json test-number 300
checks=$((checks + 1))
if [ "$(grep -c "latency timer is a setting of its Windows driver" "$scratch/com-trace.windows.err")" != 1 ]; then
  echo "FAILED: the trace does not say once that the latency timer is a driver setting"
  cat "$scratch/com-trace.windows.err"
  failures=$((failures + 1))
fi
# A port past COM9, named both ways, opens as COM5 does.
ln -sfn "$pts" "$WINEPREFIX/dosdevices/com12"
for name in COM12 '\\.\COM12'; do
  run windows com12 --port "$name" --json read-params 13
  checks=$((checks + 1))
  # A read that found bytes left on the line by the run before reads again
  # and says so ("reads": 2): the values must be the same.
  if [ "$(cat "$scratch/com12.windows.status")" != 0 ] ||
    ! cmp -s <(sed 's/"reads": [0-9]*, //' "$scratch/com12.windows.out") \
      <(sed 's/"reads": [0-9]*, //' "$scratch/com-read-13.windows.out"); then
    echo "FAILED: read-params through $name"
    cat "$scratch/com12.windows.err"
    failures=$((failures + 1))
  fi
done
rm -f "$WINEPREFIX/dosdevices/com12"
run windows ports --json ports
checks=$((checks + 1))
if [ "$(cat "$scratch/ports.windows.status")" != 0 ] || ! grep -q '^{"ports": \[' "$scratch/ports.windows.out"; then
  echo "FAILED: ports"
  cat "$scratch/ports.windows.out" "$scratch/ports.windows.err"
  failures=$((failures + 1))
fi
run windows com-absent --port COM7 --json read-params 300
checks=$((checks + 1))
if [ "$(cat "$scratch/com-absent.windows.status")" != 3 ] ||
  ! grep -q "COM7: no such device" "$scratch/com-absent.windows.err"; then
  echo "FAILED: a missing COM port is not named as such"
  cat "$scratch/com-absent.windows.err"
  failures=$((failures + 1))
fi
exec {BOX[1]}>&-
wait "$box_pid" || true
box_pid=
echo "quelmbox-cli.exe under Wine: $checks checks, $((checks - failures)) passed"
[ "$failures" -eq 0 ]
