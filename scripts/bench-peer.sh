# Shared by the scripts that time brickmelody-cli against another program
# (source it): finding the CLI, the alternating rounds, the summary table.

# bench_require_cli NAME CLI: stops with a message when CLI is not built.
bench_require_cli() {
    if [[ ! -x $2 ]]; then
        echo "$1: no brickmelody-cli at $2 (run ./run.sh or pass its path)" >&2
        exit 1
    fi
}

# bench_rounds WORK ROUNDS WARMUP RUNS OURS THEIRS: runs both commands in
# one hyperfine session per round, swapping their order each round so that
# neither always runs on a warmer machine; each round's results go to
# WORK/roundN.csv.
bench_rounds() {
    local work=$1 rounds=$2 warmup=$3 runs=$4 ours=$5 theirs=$6 round first second
    for round in $(seq 1 "$rounds"); do
        if (( round % 2 )); then first=$ours second=$theirs; else first=$theirs second=$ours; fi
        hyperfine -N --style basic --warmup "$warmup" --runs "$runs" --export-csv "$work/round$round.csv" \
            "$first" "$second" >&2
    done
}

# bench_summary WORK ROUNDS PEER FRAMES GOAL TARGET: the mean and median wall
# time and the CPU time of both programs over all rounds (the peer's
# commands start with PEER), frames per second when FRAMES is above 0, and
# the comparison: GOAL "ratio" prints ours / peer (lower is better), GOAL
# "speedup" prints peer / ours; TARGET is printed beside it.
bench_summary() {
    python3 - "$@" <<'PY'
import csv, statistics, sys
work, rounds, peer, frames, goal, target = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4]), sys.argv[5], sys.argv[6]
rows = {}
for r in range(1, rounds + 1):
    for row in csv.DictReader(open(f"{work}/round{r}.csv")):
        key = peer if row["command"].startswith(peer) else "brickmelody-cli"
        rows.setdefault(key, []).append(row)
def summary(key):
    rs = rows[key]
    return (statistics.mean(float(x["mean"]) for x in rs), statistics.median(float(x["median"]) for x in rs),
            statistics.mean(float(x["user"]) + float(x["system"]) for x in rs))
o, t = summary("brickmelody-cli"), summary(peer)
rate = frames > 0
print(f"{'':18}{'mean wall':>12}{'median wall':>14}{'CPU (user+sys)':>17}" + (f"{'frames/s (wall)':>18}" if rate else ""))
for name, (mean, med, cpu) in (("brickmelody-cli", o), (peer, t)):
    line = f"{name:18}{mean*1000:10.1f}ms{med*1000:12.1f}ms{cpu*1000:15.1f}ms"
    print(line + (f"{frames/med/1e6:15.1f} M" if rate else ""))
if goal == "speedup":
    print(f"speed-up: {t[1]/o[1]:.2f}x by median wall time, {t[2]/o[2]:.2f}x by CPU time (target: {target})")
else:
    print(f"ours / {peer}: {o[1]/t[1]:.2f}x by median wall time, {o[2]/t[2]:.2f}x by CPU time (target: {target})")
PY
}
