#!/usr/bin/env bash
# Builds Vellacor for 64-bit ARM (arm64 Debian, Raspberry Pi OS 64-bit) on this machine, with
# Debian's cross compiler and Debian's own arm64 Qt installed beside this machine's (CMake
# preset "arm64"):
#   scripts/cross.sh arm64             installs what is missing and builds build-arm64, the
#                                      program and its tests; `ctest --preset arm64` runs the
#                                      tests under qemu-user
# The arm64 Debian package is Debian's tools' to build: scripts/deb.sh OUT arm64.
# Exits with 3, after one line saying so, when this user can install nothing (not root, and no
# sudo); with scripts/deps.sh's status when the install failed otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "${1:-}" != arm64 ]]; then
    echo "usage: scripts/cross.sh arm64" >&2
    exit 2
fi
status=0
scripts/deps.sh arm64 || status=$?
if ((status != 0)); then
    echo "cross: the arm64 tools (architecture, cross compiler, Qt, qemu-user) were not installed"
    exit "$status"
fi
cmake --preset arm64
cmake --build build-arm64 -j"$(nproc 2>/dev/null || echo 2)"
echo "program: $PWD/build-arm64/app/vellacor"
