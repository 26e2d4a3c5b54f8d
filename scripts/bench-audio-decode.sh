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

if [[ ! -x $cli ]]; then
    echo "bench-audio-decode: no brickmelody-cli at $cli (run ./run.sh or pass its path)" >&2
    exit 1
fi
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

for round in $(seq 1 "$rounds"); do
    if (( round % 2 )); then first=$ours second=$theirs; else first=$theirs second=$ours; fi
    hyperfine -N --style basic --warmup 2 --runs 10 --export-csv "$work/round$round.csv" "$first" "$second" >&2
done

if cmp -s "$work/ours.wav" "$work/theirs.wav"; then same="identical"; else same="DIFFERENT"; fi

python3 - "$work" "$rounds" "$same" <<'PY'
import csv, statistics, sys
work, rounds, same = sys.argv[1], int(sys.argv[2]), sys.argv[3]
rows = {}
for r in range(1, rounds + 1):
    for row in csv.DictReader(open(f"{work}/round{r}.csv")):
        key = "mpg123" if row["command"].startswith("mpg123") else "brickmelody-cli"
        rows.setdefault(key, []).append(row)
def summary(key):
    rs = rows[key]
    mean = statistics.mean(float(x["mean"]) for x in rs)
    med = statistics.median(float(x["median"]) for x in rs)
    cpu = statistics.mean(float(x["user"]) + float(x["system"]) for x in rs)
    return mean, med, cpu
o, t = summary("brickmelody-cli"), summary("mpg123")
frames = 44100 * 60
print(f"{'':18}{'mean wall':>12}{'median wall':>14}{'CPU (user+sys)':>17}{'frames/s (wall)':>18}")
for name, (mean, med, cpu) in (("brickmelody-cli", o), ("mpg123", t)):
    print(f"{name:18}{mean*1000:10.1f}ms{med*1000:12.1f}ms{cpu*1000:15.1f}ms{frames/med/1e6:15.1f} M")
print(f"ours / mpg123: {o[1]/t[1]:.2f}x by median wall time, {o[2]/t[2]:.2f}x by CPU time (target: at most 1.2x)")
print(f"outputs: {same}")
PY
