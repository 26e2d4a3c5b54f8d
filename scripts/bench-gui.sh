#!/usr/bin/env bash
# Times the program window as a person meets it, on a private Xvfb with
# openbox: process start to the first painted frame on the demo song (goal
# under 300 ms), the memory held with the largest demo song loaded, and the
# time to paint one frame of the arrangement while following playback and
# while dragging a loop across it (goal: every frame under 16 ms, median
# under 4 ms; the arrangement benchmark paints exactly what such a frame
# paints). Builds what it needs first (Release, build/).
#
# Usage: scripts/bench-gui.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-10}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/brickmelody-ccache}
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target bm_dist gui_bench ArrangementBench >/dev/null
export BM_DIST_DIR=$PWD/build/dist BM_SOURCE_DIR=$PWD

echo "== start-up to the first frame, memory with the largest demo song"
build/tests/gui_bench --benchmark_repetitions="$rounds" --benchmark_report_aggregates_only=true \
  --benchmark_filter=StartToFirstFrame
build/tests/gui_bench --benchmark_filter=MemoryWithTheLargestDemoSong
echo "== one frame of the arrangement: following playback, dragging a loop"
build/bench/ArrangementBench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
