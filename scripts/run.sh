#!/usr/bin/env bash
# Builds the tool and starts it. Without arguments it runs on the simulated
# box; pass --port /dev/ttyUSB0 (or nothing but --real) to use a real box.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELM_TESTS=OFF -DQUELM_BENCH=OFF >/dev/null
cmake --build build --target quelmbox quelmbox-cli
args=("$@")
if [ ${#args[@]} -eq 0 ]; then args=(--simulate); fi
if [ "${args[0]}" = "--real" ]; then args=("${args[@]:1}"); fi
cd build/bin
exec ./quelmbox "${args[@]}"
