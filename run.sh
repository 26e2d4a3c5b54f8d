#!/usr/bin/env bash
# Installs what is missing, builds Brickmelody (Release), lays out the program
# folder build/dist/ and starts the program's main job on its demo song: the
# program window where there is a display, otherwise a headless render of the
# demo song to a WAV file. Arguments are passed on to the program (a song path).
# It builds only what the program folder holds (target bm_dist), not the tests
# and benchmarks; ./test.sh builds those.
set -euo pipefail
cd "$(dirname "$0")"

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/brickmelody-ccache}
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
scripts/check-build-folders.sh run.sh build "$CCACHE_DIR"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target bm_dist

dist=build/dist
cli=$dist/brickmelody-cli
song=${1:-$dist/DEMOSONGS/Intro.ncp}
has_command() { "$cli" --help 2>/dev/null | grep -qE "^  $1 "; }

echo "run.sh: the program folder is $dist/"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]] && "$dist/brickmelody" --has-window >/dev/null 2>&1; then
  exec "$dist/brickmelody" "$@"
fi
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: the display $DISPLAY$WAYLAND_DISPLAY cannot show the program window; rendering headless instead."
else
  echo "run.sh: there is no display here (DISPLAY is not set), so the window cannot open."
fi
# The window as it would look, drawn without a display.
if [[ -f "$song" ]] && "$dist/brickmelody" --screenshot "$dist/window.png" "$song" >/dev/null 2>&1; then
  echo "run.sh: this is what the window looks like: $dist/window.png"
  echo "run.sh: to use it, run ./run.sh in a desktop session (or over ssh -X)."
fi

if [[ ! -f "$song" ]]; then
  echo "run.sh: the demo song $song is not there (the factory content is not built yet)."
  echo "run.sh: brickmelody-cli is ready: $cli --help"
  exit 0
fi
if has_command render; then
  out=$dist/$(basename "${song%.*}").wav
  "$cli" render "$song" "$out"
  echo "run.sh: rendered $song to $out"
elif has_command song; then
  echo "run.sh: rendering is not built yet; here is what the song holds:"
  "$cli" song info "$song"
else
  echo "run.sh: neither the window nor rendering is built yet; brickmelody-cli is ready: $cli --help"
fi
