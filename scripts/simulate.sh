#!/usr/bin/env bash
# Runs the seeded simulator of the whole tool over many seeds, on both cores.
#   bash scripts/simulate.sh [COUNT] [FIRST]     (default 100000 seeds from 1)
# A failing seed is printed with the command that replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-100000}
first=${2:-1}
bash scripts/setup.sh --tests
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-rel --target sim_tool
half=$((count / 2))
build-rel/tests/sim_tool --first "$first" --count "$half" &
build-rel/tests/sim_tool --first $((first + half)) --count $((count - half))
wait $!
