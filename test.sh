#!/usr/bin/env bash
# Builds Brickmelody and runs every test: the normal build with all tests,
# the program's window end to end on private X displays (Xvfb, openbox,
# xdotool), the non-window tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the engine tests under ThreadSanitizer, and each
# fuzz target for a short, bounded time. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

jobs=$(nproc)
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/brickmelody-ccache}
# Cache hits across clones in different folders.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
scripts/check-build-folders.sh test.sh build build-asan build-tsan build-fuzz "$CCACHE_DIR"
scripts/install-deps.sh
export CTEST_OUTPUT_ON_FAILURE=1
failed=0

step() { printf '\n==== %s ====\n' "$*"; }

step "Release build and tests (build/)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" -LE e2e || failed=1

step "The program as a person uses it, under Xvfb (build/, label e2e)"
# Each case starts its own Xvfb and openbox on a free display number and
# stops them; the cases run one at a time, as they play sound in real time.
# Pictures of failed comparisons go to build/e2e-output/.
BM_E2E_REQUIRED=1 BM_E2E_OUTPUT="$PWD/build/e2e-output" \
  ctest --test-dir build --output-on-failure -L e2e || failed=1

step "AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBM_SANITIZE=ON \
  -DBM_WITH_GUI=OFF -DBM_BENCH=OFF -DBM_CONTENT=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE slow || failed=1

step "ThreadSanitizer, engine and stream tests (build-tsan/)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBM_TSAN=ON \
  -DBM_WITH_GUI=OFF -DBM_BENCH=OFF -DBM_CONTENT=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target bm_tsan_suites
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" --no-tests=ignore || failed=1

if command -v clang++ >/dev/null; then
  step "Fuzz targets, ${BM_FUZZ_SECONDS:=15} s each (build-fuzz/)"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBM_FUZZ=ON \
    -DBM_WITH_GUI=OFF -DBM_BENCH=OFF -DBM_TESTS=OFF -DBM_CONTENT=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs"
  for fuzzer in build-fuzz/tests/fuzz/*Fuzzer; do
    [[ -x "$fuzzer" ]] || continue
    name=$(basename "$fuzzer")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=tests/fuzz/corpus/$name
    [[ -d "$seeds" ]] || seeds=
    if "$fuzzer" -max_total_time="$BM_FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=10 "$corpus" $seeds >"build-fuzz/$name.log" 2>&1; then
      echo "$name: $(grep -E '^Done [0-9]+ runs' "build-fuzz/$name.log" | tail -n1)"
    else
      echo "$name FAILED:"; tail -n 40 "build-fuzz/$name.log"; failed=1
    fi
  done
fi

if [[ $failed -ne 0 ]]; then
  echo "test.sh: FAILED"
  exit 1
fi
echo "test.sh: all passed"
