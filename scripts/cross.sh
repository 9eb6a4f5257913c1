#!/usr/bin/env bash
# Builds Vellacor for 64-bit ARM (arm64 Debian, Raspberry Pi OS 64-bit) on this machine, with
# Debian's cross compiler and Debian's own arm64 Qt installed beside this machine's:
#   scripts/cross.sh arm64             installs what is missing and builds build-arm64/app/vellacor
#   scripts/cross.sh arm64 test        the same with the tests, which run under qemu-user; the
#                                      last lines are CTest's summary
#   scripts/cross.sh arm64 build DIR   builds in DIR instead of build-arm64
# The arm64 Debian package is Debian's tools' to build: scripts/deb.sh OUT arm64.
# Exits with 3, after one line saying so, when the arm64 tools cannot be installed here.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-}
mode=${2:-build}
if [[ "$arch" != arm64 || ("$mode" != build && "$mode" != test) ]]; then
    echo "usage: scripts/cross.sh arm64 [build [DIR]|test]" >&2
    exit 2
fi
build=${3:-build-arm64}
jobs=$(nproc 2>/dev/null || echo 2)

if ! scripts/deps.sh arm64; then
    echo "cross: the arm64 tools (architecture, cross compiler, Qt, qemu-user) could not be installed"
    exit 3
fi

tests=OFF
[[ "$mode" == test ]] && tests=ON
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVELLACOR_TESTS="$tests" -DVELLACOR_BENCH=OFF
cmake --build "$build" -j"$jobs"
if [[ "$mode" == test ]]; then
    cd "$build"
    exec ctest --output-on-failure
fi
echo "program: $PWD/$build/app/vellacor"
