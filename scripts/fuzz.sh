#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS each (default 600), keeping the
# corpus in build-fuzz/corpus/. Crashes are written to build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBM_FUZZ=ON \
  -DBM_WITH_GUI=OFF -DBM_BENCH=OFF -DBM_TESTS=OFF -DBM_CONTENT=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"
for fuzzer in build-fuzz/tests/fuzz/*Fuzzer; do
  name=$(basename "$fuzzer")
  mkdir -p "build-fuzz/corpus/$name"
  seeds=tests/fuzz/corpus/$name
  [[ -d "$seeds" ]] || seeds=
  echo "== $name for ${seconds}s"
  (cd build-fuzz && "../$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 "corpus/$name" ${seeds:+"../$seeds"})
done
