#!/usr/bin/env bash
# Installs what is missing, builds Orvane and runs every test: once normally, once with
# AddressSanitizer and UndefinedBehaviorSanitizer. On the way it builds the configurations that
# scripts/run.sh and the README's Install section use, so a break in either fails here too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# Build folders at the same depth share compiled objects through ccache.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
fi

# A warning fails the run; the configurations themselves are the ones users build.
build_clean() {
  local log
  log=$(mktemp)
  if ! cmake --build "$1" -j"$jobs" 2>&1 | tee "$log"; then rm -f "$log"; return 1; fi
  if grep -q 'warning:' "$log"; then
    echo "Compiler warnings in $1 (see above)" >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

# scripts/run.sh's configuration.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TESTS=OFF -DORVANE_WERROR=OFF "${launcher[@]}" >/dev/null
build_clean build
# The README's Install section.
cmake -S . -B build-install -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TESTS=OFF -DORVANE_BENCH=OFF "${launcher[@]}" >/dev/null
build_clean build-install
DESTDIR="$PWD/build-install/stage" cmake --install build-install --prefix /usr >/dev/null

cmake -S . -B build -DORVANE_TESTS=ON >/dev/null
build_clean build
(cd build && ctest --output-on-failure -j"$jobs")

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if [ "${ORVANE_SKIP_SANITIZE:-0}" != 1 ]; then
  if command -v clang++ >/dev/null; then
    # One clang build serves both the sanitized test run and the fuzzers (a second build would
    # double the time of the run).
    cmake -S . -B build-san -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DORVANE_FUZZ=ON -DORVANE_TESTS=ON -DORVANE_BENCH=OFF -DORVANE_WERROR=OFF "${launcher[@]}" >/dev/null
    cmake --build build-san -j"$jobs"
    (cd build-san && ctest --output-on-failure -j"$jobs")
    # Every libFuzzer target for a short run; scripts/fuzz.sh alone runs longer.
    if [ "${ORVANE_SKIP_FUZZ:-0}" != 1 ]; then
      ORVANE_FUZZ_BUILD=build-san ORVANE_FUZZ_CONFIGURED=1 scripts/fuzz.sh "${ORVANE_FUZZ_SECONDS:-10}"
    fi
  else
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_BENCH=OFF -DORVANE_WERROR=ON "${launcher[@]}" >/dev/null
    cmake --build build-asan -j"$jobs"
    (cd build-asan && ctest --output-on-failure -j"$jobs")
  fi
fi
