#!/usr/bin/env bash
# Builds the libFuzzer programs (clang, with AddressSanitizer and UndefinedBehaviorSanitizer) and
# runs each for the given number of seconds (default 60; scripts/test.sh runs each for 10). Seeds come from tests/fuzz/corpus/<target>;
# what a run discovers stays in the build folder; an input that crashes a reader is written to
# tests/fuzz/regressions/<target>/, where the replay test picks it up once it is fixed.
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
all="keywords functionhelp settings lists rtf base64 percent document templates schemes loader"
targets=${*:-$all}
build=${ORVANE_FUZZ_BUILD:-build-fuzz}
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

# A caller that configured the build itself (the test command's sanitized build) keeps its settings.
[ "${ORVANE_FUZZ_CONFIGURED:-0}" = 1 ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORVANE_FUZZ=ON -DORVANE_TESTS=OFF -DORVANE_BENCH=OFF -DORVANE_WERROR=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"${JOBS:-$(nproc)}" --target $(printf 'fuzz_%s ' $targets)

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
status=0
for target in $targets; do
  work="$build/fuzz/work/$target"
  regressions="tests/fuzz/regressions/$target"
  mkdir -p "$work" "$regressions"
  echo "== $target"
  if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$regressions/" "$work" "tests/fuzz/corpus/$target" >"$build/fuzz/$target.log" 2>&1; then
    status=1
    echo "   FAULT: see $build/fuzz/$target.log and $regressions/"
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$build/fuzz/$target.log" | sed 's/^/   /' || true
done
exit $status
