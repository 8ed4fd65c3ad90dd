#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (in build-fuzz/) and runs
# each for a while on a copy of its seed corpus. What crashes is left in
# build-fuzz/findings/<target>/; add it to tests/fuzz/corpus/<target>/ once fixed.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (60 seconds each, every target)
source "$(dirname "$0")/common.sh"
GASCAL_PACKAGES+=(clang libclang-rt-14-dev)
gascal_install_packages

SECONDS_EACH="${1:-60}"
shift || true
BUILD="$GASCAL_ROOT/build-fuzz"
# The build runs gascal-scramble, instrumented like everything else.
export ASAN_OPTIONS="detect_leaks=0"
CC=clang CXX=clang++ cmake -S "$GASCAL_ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGASCAL_FUZZ=ON -DGASCAL_TEST_GROUPS="" >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target fuzz_targets

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$GASCAL_ROOT"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
status=0
for t in "${targets[@]}"; do
  work="$BUILD/findings/$t"
  rm -rf "$work/corpus" && mkdir -p "$work/corpus"
  cp "$GASCAL_ROOT/tests/fuzz/corpus/$t/"* "$work/corpus/"
  echo "== $t (${SECONDS_EACH} s)"
  if ! "$BUILD/tests/fuzz/$t" -max_total_time="$SECONDS_EACH" -max_len=4096 -timeout=10 \
       -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" 2>"$work/log"; then
    echo "   FAILED: see $work/log"
    status=1
  fi
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)" "$work/log" | sed 's/^/   /'
done
exit $status
