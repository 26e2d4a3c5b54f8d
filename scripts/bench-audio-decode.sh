#!/usr/bin/env bash
# Whole-program speed of MP3 decoding: `brickmelody-cli audio decode` against
# `mpg123 -q -w` on the same 60-second 192 kbit/s stereo MP3 at 44 100 Hz,
# both writing a 16-bit wave file (the two outputs are compared byte for
# byte as well). The two commands run alternately in rounds (order swapped
# each round) in one go, and the summary gives wall-clock and CPU times.
#
# Usage: scripts/bench-audio-decode.sh [path/to/brickmelody-cli] [rounds]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/dist/brickmelody-cli}
rounds=${2:-6}

source "$root/scripts/bench-peer.sh"
bench_require_cli bench-audio-decode "$cli"
"$(dirname "$0")/install-deps.sh" mpg123 lame hyperfine python3 >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A minute of two tones per channel and a little noise, 16-bit stereo at
# 44 100 Hz, encoded at 192 kbit/s; the same file every time.
python3 - "$work/in.wav" <<'PY'
import array, math, random, sys, wave
random.seed(1)
n = 44100 * 60
a = array.array('h', bytes(4 * n))
for i in range(n):
    t = i / 44100
    a[2 * i] = int(8000 * math.sin(2 * math.pi * 220 * t) + 4000 * math.sin(2 * math.pi * 659 * t)
                   + random.randint(-1500, 1500))
    a[2 * i + 1] = int(8000 * math.sin(2 * math.pi * 330 * t) + 3000 * math.sin(2 * math.pi * 1320 * t)
                       + random.randint(-1500, 1500))
with wave.open(sys.argv[1], 'wb') as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100); w.writeframes(a.tobytes())
PY
lame --quiet -b 192 "$work/in.wav" "$work/in.mp3"

ours="$cli audio decode $work/in.mp3 $work/ours.wav"
theirs="mpg123 -q -w $work/theirs.wav $work/in.mp3"

bench_rounds "$work" "$rounds" 2 10 "$ours" "$theirs"

if cmp -s "$work/ours.wav" "$work/theirs.wav"; then same="identical"; else same="DIFFERENT"; fi

bench_summary "$work" "$rounds" mpg123 $((44100 * 60)) ratio "at most 1.2x"
echo "outputs: $same"
