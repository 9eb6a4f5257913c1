#!/usr/bin/env bash
# Installs what is missing, builds Vellacor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build

# A tree of its own (CMake preset "run"), the program alone: the tests' trees stay as they are.
cmake --preset run
cmake --build --preset run -j"$(nproc 2>/dev/null || echo 2)"

# Without a display Qt can only abort; say what is wrong and what to do instead.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    cat >&2 <<'MESSAGE'
Vellacor is built (build-run/app/vellacor) but cannot start: it is a desktop program and this
shell has no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set). Run
scripts/run.sh from a terminal on your desktop, or log in with `ssh -X` to show it remotely.
MESSAGE
    exit 1
fi
exec build-run/app/vellacor
