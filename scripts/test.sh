#!/usr/bin/env bash
# Installs what is missing, builds Orvane and runs every test: once normally, once with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

if [ "${ORVANE_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_BENCH=OFF -DORVANE_WERROR=ON >/dev/null
  cmake --build build-asan -j"$jobs"
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure -j"$jobs")
fi

# Every libFuzzer target for a short run where clang can build them; scripts/fuzz.sh alone runs longer.
if [ "${ORVANE_SKIP_FUZZ:-0}" != 1 ] && command -v clang++ >/dev/null; then
  scripts/fuzz.sh "${ORVANE_FUZZ_SECONDS:-10}"
fi
