#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test, headless; then cross-builds the command line and the
# Qt-free tests for Windows and runs them under Wine (QUELM_WINDOWS=0 leaves
# them out); then every fuzz target for 30 seconds (QUELM_FUZZ_SECONDS=0
# leaves them out); then, as root, the Debian package is built, installed,
# tried and removed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUELM_SANITIZE=ON -DQUELM_WERROR=ON >/dev/null
cmake --build build-tests
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-tests && ctest --output-on-failure -j2 "$@")
# The Windows build of the command line, tried under Wine.
[ "${QUELM_WINDOWS:-1}" -eq 0 ] || bash scripts/test_windows.sh
# A crash a fuzzer finds in these few seconds is printed with its input (to
# commit, so that test_fuzz_regressions replays it) but does not fail the
# run: what a random search happens to reach must not decide a landing.
seconds=${QUELM_FUZZ_SECONDS:-30}
[ "$seconds" -eq 0 ] || bash fuzz/run.sh "$seconds" || echo "A FUZZ TARGET FOUND A CRASH: see above; commit the input under fuzz/corpus/"
# CI runs as root: the Debian package is built, installed, run and removed.
if [ "$(id -u)" -eq 0 ]; then bash scripts/package_check.sh; fi
