#!/usr/bin/env bash
# Whole-program speed of a song export: `brickmelody-cli render` of a song
# that keeps all 12 channels busy for about 60 seconds (130 measures of the
# demo samples) against `sox -m` mixing twelve 60-second 16-bit stereo wave
# files into one. render reads the song, loads its samples, renders every
# measure twice (the peak scan and the normalised write) and writes the
# file; sox only adds twelve files. The two commands run alternately in
# rounds (order swapped each round) in one go. Then, once, a 10 000-measure
# song (about 77 minutes, 814 MB of output): wall time and peak memory.
#
# Usage: scripts/bench-render.sh [path/to/brickmelody-cli] [rounds] [--no-long]
# The demo content is taken from build/dist/ (or $BM_CONTENT_DIR).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/dist/brickmelody-cli}
rounds=${2:-4}
long=${3:-}
dist=${BM_CONTENT_DIR:-$root/build/dist}

source "$root/scripts/bench-peer.sh"
bench_require_cli bench-render "$cli"
if [[ ! -f $dist/library.dat || ! -d $dist/DEMOSONGS ]]; then
    echo "bench-render: $dist has no demo content (library.dat, SMPLDATA/, DEMOSONGS/)" >&2
    exit 1
fi
"$(dirname "$0")/install-deps.sh" sox hyperfine python3 >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A program folder of its own (its own sample cache) over the demo samples.
program=$work/program
mkdir -p "$program"
ln -s "$(cd "$dist" && pwd)/SMPLDATA" "$program/SMPLDATA"
cp "$dist/library.dat" "$program/"

# Songs of the demo samples: twelve distinct slots taken from the demo songs,
# one per channel, each placed at the start of every bar (8 measures of
# 20 352 frames), so every channel sounds all the time.
python3 - "$dist/DEMOSONGS" "$work" <<'PY'
import glob, os, sys
demos, work = sys.argv[1], sys.argv[2]
slots = []
for path in sorted(glob.glob(os.path.join(demos, "*.ncp"))):
    for line in open(path, encoding="latin-1"):
        line = line.strip()
        if line.startswith('"') and line not in slots:
            slots.append(line)
if len(slots) < 12:
    sys.exit("bench-render: the demo songs hold fewer than 12 distinct slots")
slots = slots[:12]

def song(measures, name):
    lines = ["%VER 1.0", f"%SIZE {measures}", "%SPC 20352", "%CPT 8", ""]
    lines += [f"%VOL {c} 40 1" for c in range(12)] + [""]
    for m in range(measures):
        lines.append("%COL")
        if m % 8 == 0:
            lines += slots
        lines.append("")
    with open(os.path.join(work, name), "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")

song(130, "minute.ncp")
song(10000, "long.ncp")
PY

# Twelve 60-second files for sox: two tones each, at a level that leaves room.
for i in $(seq 1 12); do
    sox -n -r 44100 -c 2 -b 16 "$work/ch$i.wav" synth 60 sine $((100 + 37 * i)) sine $((300 + 53 * i)) vol 0.3
done

ours="$cli --program-folder $program render $work/minute.ncp $work/ours.wav"
theirs="sox -m $(for i in $(seq 1 12); do printf '%s ' "$work/ch$i.wav"; done)$work/theirs.wav"

# Once before timing: fills the program folder's sample cache, as the first
# export after opening a song would find it filled by playback.
$ours --json

bench_rounds "$work" "$rounds" 1 8 "$ours" "$theirs"

bench_summary "$work" "$rounds" sox 0 ratio "at most 0.5x"

if [[ $long != --no-long ]]; then
    echo "10 000 measures:"
    /usr/bin/time -v $cli --program-folder "$program" render "$work/long.ncp" "$work/long.wav" --json \
        2> "$work/time.txt"
    grep -E "Elapsed \(wall clock\)|Maximum resident set size|User time|System time" "$work/time.txt"
    ls -l "$work/long.wav" | awk '{print "output bytes:", $5}'
fi
