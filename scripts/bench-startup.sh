#!/usr/bin/env bash
# Start-up time of brickmelody-cli: `brickmelody-cli --help` and
# `brickmelody-cli audio info SMALL.wav` (a tenth of a second of 16-bit
# stereo) each against `mpg123 --version`, a small program that starts,
# prints and ends. The commands run alternately in rounds (order swapped
# each round) with hyperfine, and the summary gives the median wall time of
# each against the goal of 10 ms (the exit status is 1 when one is over),
# and against mpg123 as a ratio.
#
# Usage: scripts/bench-startup.sh [path/to/brickmelody-cli] [rounds]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/dist/brickmelody-cli}
rounds=${2:-6}
# The goal was set on a machine where `mpg123 --version` took 5.6 ms; on a
# faster or slower machine the ratio to mpg123 is the fair measure.
goal_ms=10
peer_ms=5.6

source "$root/scripts/bench-peer.sh"
bench_require_cli bench-startup "$cli"
"$root/scripts/install-deps.sh" mpg123 hyperfine python3 >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/small.wav" <<'PY'
import array, math, sys, wave
n = 4410
a = array.array('h', [0] * (2 * n))
for i in range(n):
    a[2 * i] = a[2 * i + 1] = int(8000 * math.sin(2 * math.pi * 440 * i / 44100))
with wave.open(sys.argv[1], 'wb') as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100); w.writeframes(a.tobytes())
PY

peer="mpg123 --version"
failed=0
for name in help info; do
  case $name in
    help) ours="$cli --help" ;;
    info) ours="$cli audio info $work/small.wav" ;;
  esac
  mkdir -p "$work/$name"
  bench_rounds "$work/$name" "$rounds" 3 20 "$ours" "$peer"
  echo "== ${ours/#$cli/brickmelody-cli}"
  bench_summary "$work/$name" "$rounds" mpg123 0 ratio "brickmelody-cli under $goal_ms ms by median"
  python3 - "$work/$name" "$rounds" "$goal_ms" "$peer_ms" <<'PY' || failed=1
import csv, statistics, sys
work, rounds, goal, peer_ms = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
medians = {"ours": [], "peer": []}
for r in range(1, rounds + 1):
    for row in csv.DictReader(open(f"{work}/round{r}.csv")):
        medians["peer" if row["command"].startswith("mpg123") else "ours"].append(float(row["median"]) * 1000)
ours, peer = statistics.median(medians["ours"]), statistics.median(medians["peer"])
ratio, limit = ours / peer, goal / peer_ms
met = ours < goal
print(f"goal: median {ours:.1f} ms, {'met' if met else 'MISSED'} (under {goal:g} ms)")
print(f"for other machines: {ratio:.2f}x mpg123 (the goal is {limit:.2f}x where mpg123 --version takes {peer_ms:g} ms)")
sys.exit(0 if met else 1)
PY
done
exit $failed
