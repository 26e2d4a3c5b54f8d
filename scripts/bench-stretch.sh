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

if [[ ! -x $cli ]]; then
    echo "bench-stretch: no brickmelody-cli at $cli (run ./run.sh or pass its path)" >&2
    exit 1
fi
for tool in soundstretch hyperfine python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "bench-stretch: installing $tool" >&2
        apt-get install -y --no-install-recommends "$tool" >/dev/null
    fi
done

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

for round in $(seq 1 "$rounds"); do
    if (( round % 2 )); then first=$ours second=$theirs; else first=$theirs second=$ours; fi
    hyperfine -N --style basic --warmup 2 --runs 10 --export-csv "$work/round$round.csv" "$first" "$second" >&2
done

python3 - "$work" "$rounds" <<'PY'
import csv, statistics, sys
work, rounds = sys.argv[1], int(sys.argv[2])
rows = {}
for r in range(1, rounds + 1):
    for row in csv.DictReader(open(f"{work}/round{r}.csv")):
        key = "soundstretch" if row["command"].startswith("soundstretch") else "brickmelody-cli"
        rows.setdefault(key, []).append(row)
def summary(key):
    rs = rows[key]
    mean = statistics.mean(float(x["mean"]) for x in rs)
    med = statistics.median(float(x["median"]) for x in rs)
    cpu = statistics.mean(float(x["user"]) + float(x["system"]) for x in rs)
    return mean, med, cpu
o, t = summary("brickmelody-cli"), summary("soundstretch")
frames = 44100 * 60
print(f"{'':18}{'mean wall':>12}{'median wall':>14}{'CPU (user+sys)':>17}{'frames/s (wall)':>18}")
for name, (mean, med, cpu) in (("brickmelody-cli", o), ("soundstretch", t)):
    print(f"{name:18}{mean*1000:10.1f}ms{med*1000:12.1f}ms{cpu*1000:15.1f}ms{frames/med/1e6:15.1f} M")
print(f"speed-up: {t[1]/o[1]:.2f}x by median wall time, {t[2]/o[2]:.2f}x by CPU time (target: 2x)")
PY
