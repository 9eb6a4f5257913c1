#!/usr/bin/env bash
# Start-up and Calculate benchmark. Builds what it needs in build/ and prints two tables:
#   1. start-up under Xvfb: time from starting each program to its window being mapped and
#      to its first paint, and its peak resident memory, for vellacor and two reference
#      windows (medians, ratios to the one-label window);
#   2. Calculate on the offscreen platform: click to filled detail window (medians).
# See docs/benchmarks.md for how it measures.
#
#   bench/startup.sh [--runs N] [--pause-ms MS] [--settle-ms MS] [--repeats N] [--first-runs N]
#
#   --runs        start-ups per program (default 30), after one warm-up round
#   --pause-ms    pause between start-ups (default 150)
#   --settle-ms   time a program runs on after its first paint, before SIGTERM (default 200)
#   --repeats     measured Calculates in one process (default 300)
#   --first-runs  processes started to time the first Calculate (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: $0 [--runs N] [--pause-ms MS] [--settle-ms MS] [--repeats N] [--first-runs N]" >&2
    exit 2
}
runs=30 pause=150 settle=200 repeats=300 first_runs=15
while (($#)); do
    (($# >= 2)) || usage
    case "$1" in
    --runs) runs=$2 ;;
    --pause-ms) pause=$2 ;;
    --settle-ms) settle=$2 ;;
    --repeats) repeats=$2 ;;
    --first-runs) first_runs=$2 ;;
    *) usage ;;
    esac
    shift 2
done

scripts/deps.sh bench

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELLACOR_BENCH=ON >/dev/null
cmake --build build -j"$jobs" --target bench_programs >/dev/null
if [[ ! -x build/bench/startup_probe ]]; then
    echo "build/bench/startup_probe was not built: are libxcb1-dev and libxcb-damage0-dev" \
         "installed?" >&2
    exit 1
fi

# Qt wants a private runtime directory; a fresh one per run also keeps the runs alike.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime

out=build/bench
log=$out/startup-children.log
: >"$log"

echo "== Start-up under Xvfb: $runs runs each, round-robin, ${pause} ms apart," \
     "SIGTERM ${settle} ms after the first paint"
echo "   goals: vellacor / baseline_label time to map <= 1.10, peak RSS <= 1.20"
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    "$out/startup_probe" --runs "$runs" --warmup 1 --pause-ms "$pause" --settle-ms "$settle" \
    --reference baseline_label --log "$log" --csv "$out/startup-runs.csv" \
    vellacor=build/app/vellacor \
    baseline_label="$out/baseline_label" \
    baseline_empty="$out/baseline_empty"
echo "   (every run: $out/startup-runs.csv; the programs' own output: $log)"

echo
echo "== Calculate (goal: median <= 5 ms)"
echo "   first: the first Calculate of a process, which creates the detail window;" \
     "reopen: after closing it; repeat: with it open"
QT_QPA_PLATFORM=offscreen "$out/calc_bench" --repeats "$repeats" --first-runs "$first_runs"
