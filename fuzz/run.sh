#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan, in
# build-fuzz/) and runs each one SECONDS seconds, one after the other.
#   bash fuzz/run.sh [SECONDS] [TARGET...]     (default 30 seconds, every target)
# Each starts from its committed corpus (fuzz/corpus/<target>); what it finds
# goes to build-fuzz/corpus/<target>. An input that crashes is written to
# fuzz/corpus/<target>/crash-<sha1>: commit it, and the regression test
# (tests/test_fuzz_regressions.cpp) replays it from then on. Prints one line
# per target: executions, coverage (libFuzzer's cov: figure), crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(reply_raw reply_checked project_file language_file settings_file box_file numeric_value cli_options site_plan)

packages=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
bash scripts/setup.sh --tests

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUELM_FUZZ=ON -DQUELM_TESTS=OFF -DQUELM_BENCH=OFF -DQUELM_WERROR=ON >/dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for t in "${targets[@]}"; do
  work=build-fuzz/corpus/$t
  mkdir -p "$work"
  log=build-fuzz/fuzz_$t.log
  status=0
  build-fuzz/bin/fuzz_$t "$work" "fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix="fuzz/corpus/$t/" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  if [ "$status" -eq 0 ]; then
    printf '%-14s %10s executions  cov %5s  0 crashes\n' "$t" "${runs:-?}" "${cov:-?}"
  else
    failed=1
    printf '%-14s FAILED (status %s): see %s; the input is in fuzz/corpus/%s/\n' "$t" "$status" "$log" "$t"
    tail -30 "$log"
  fi
done
exit $failed
