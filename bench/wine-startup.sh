#!/usr/bin/env bash
# Start-up of the Windows build under Wine: time from starting Vellacor.exe to its main window
# being mapped and first painted, against the one-label reference window built the same way
# (static Qt, -static -s), in round-robin on a private X server, with bench/startup_probe.
# Needs the Windows build of scripts/windows.sh (build-windows/) and the probe's packages,
# which bench/startup.sh installs.
#   bench/wine-startup.sh [--runs N]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=20
[[ "${1:-}" == --runs ]] && runs=$2
build=build-windows
[[ -f "$build/CMakeCache.txt" ]] || { echo "run scripts/windows.sh first" >&2; exit 1; }

cmake -S . -B "$build" -DVELLACOR_BENCH=ON >/dev/null
cmake --build "$build" --target vellacor baseline_label >/dev/null
cmake --build build --target startup_probe >/dev/null

. tests/lib.sh # start_x, Wine's programs
work=$(mktemp -d)
start_x
export WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all
trap '"$wineserver" -k 2>/dev/null; kill "$x_pid"; rm -rf "$work"' EXIT
[[ -d "$WINEPREFIX" ]] || "$wine" wineboot -i >/dev/null 2>&1
# One Wine server for all runs, as on a desktop where Wine is already up.
"$wineserver" -p

# The probe starts one program path; each wrapper becomes Wine by exec, keeping its pid, which
# Wine puts on the window as _NET_WM_PID.
for name in vellacor:app/Vellacor.exe label:bench/baseline_label.exe; do
    printf '#!/bin/sh\nexec %s %s\n' "$wine" "$PWD/$build/${name#*:}" >"$work/${name%%:*}"
    chmod +x "$work/${name%%:*}"
done
build/bench/startup_probe --runs "$runs" --warmup 2 --pause-ms 300 --settle-ms 300 \
    --timeout-ms 20000 --reference label "vellacor=$work/vellacor" "label=$work/label"
