#!/usr/bin/env bash
# Builds the Google Benchmark programs (Release) and runs each of them. The
# whole-program comparisons against peer tools are in scripts/bench-*.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"
for bench in build/bench/*Bench; do
  [[ -x "$bench" ]] || continue
  echo "== $(basename "$bench")"
  "$bench" "$@"
done
