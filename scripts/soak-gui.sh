#!/usr/bin/env bash
# Plays the demo song in a loop in the program window for MINUTES minutes on
# a private Xvfb (SDL's disk driver writes the sound) while scrolling,
# zooming and opening menus, then checks that the sound has no silent gap
# where the song's render has sound, that memory grew by less than 5 % after
# the first minute, and that the status line shows no message. Exit status
# 0 when all hold. Builds what it needs first (Release, build/).
#
# Usage: scripts/soak-gui.sh [MINUTES]     (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-5}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/brickmelody-ccache}
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target bm_dist gui_soak >/dev/null
BM_DIST_DIR=$PWD/build/dist BM_SOURCE_DIR=$PWD exec build/tests/gui_soak "$minutes"
