#!/usr/bin/env bash
# Whole-program speed of the overlap-add stretch against soundstretch on the
# same 60-second 44.1 kHz stereo wave file: the same duration change (10 %
# faster, a factor of 1 / 1.1), both writing a wave file of the result.
# The two commands run alternately in rounds (order swapped each round) in
# one hyperfine session, and the summary gives both wall-clock and CPU times.
#
# Usage: scripts/bench-stretch.sh [path/to/brickmelody-cli] [rounds]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/dist/brickmelody-cli}
rounds=${2:-3}
grain=4096

source "$root/scripts/bench-peer.sh"
bench_require_cli bench-stretch "$cli"
"$root/scripts/install-deps.sh" soundstretch hyperfine python3 >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A minute of a chord with a decaying bass note every quarter second and a
# little noise, 16-bit stereo at 44 100 Hz; the same file every time.
python3 - "$work/in.wav" <<'PY'
import array, math, random, sys, wave
random.seed(1)
n = 44100 * 60
a = array.array('h', bytes(4 * n))
for i in range(n):
    t = i / 44100
    v = 6000 * math.sin(2 * math.pi * 220 * t) + 4000 * math.sin(2 * math.pi * 330.5 * t)
    v += 8000 * math.exp(-(i % 11025) / 2000) * math.sin(2 * math.pi * 60 * t) + random.randint(-1500, 1500)
    a[2 * i] = int(v)
    a[2 * i + 1] = int(-0.7 * v)
with wave.open(sys.argv[1], 'wb') as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100); w.writeframes(a.tobytes())
PY

ours="$cli audio stretch $work/in.wav $work/ours.wav --factor 0.9090909090909091 --grain $grain"
theirs="soundstretch $work/in.wav $work/theirs.wav -tempo=+10"

bench_rounds "$work" "$rounds" 2 10 "$ours" "$theirs"

bench_summary "$work" "$rounds" soundstretch $((44100 * 60)) speedup "2x"
