#!/usr/bin/env bash
# Installs what is missing, builds Vellacor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build

# The tests' tree (CMake preset "release"), here only the program.
cmake --preset release -DVELLACOR_TESTS=OFF -DVELLACOR_BENCH=OFF
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target vellacor

# Without a display Qt can only abort; say what is wrong and what to do instead.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    cat >&2 <<'MESSAGE'
Vellacor is built (build/app/vellacor) but cannot start: it is a desktop program and this
shell has no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set). Run
scripts/run.sh from a terminal on your desktop, or log in with `ssh -X` to show it remotely.
MESSAGE
    exit 1
fi
exec build/app/vellacor
