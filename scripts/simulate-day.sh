#!/usr/bin/env bash
# A day of use: the seeded simulator leaves one tool running 24 simulated
# hours per seed, checking every invariant and memory bound after each step.
#   bash scripts/simulate-day.sh [DAYS] [FIRST] [HOURS]   (default 2 days from seed 1, 24 hours)
# Two seeds run at a time, one per core; a failure prints its last steps.
set -euo pipefail
cd "$(dirname "$0")/.."
days=${1:-2}
first=${2:-1}
hours=${3:-24}
bash scripts/setup.sh --tests
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-rel --target sim_tool
status=0
for ((seed = first; seed < first + days; seed += 2)); do
  pids=()
  for s in "$seed" $((seed + 1)); do
    [ "$s" -lt $((first + days)) ] || continue
    build-rel/tests/sim_tool --day "$s" --hours "$hours" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
done
exit $status
