#!/usr/bin/env bash
# Builds Vellacor for 64-bit ARM (arm64 Debian, Raspberry Pi OS 64-bit) on this machine, with
# Debian's cross compiler and Debian's own arm64 Qt installed beside this machine's:
#   scripts/cross.sh arm64             installs what is missing, builds build-arm64/app/vellacor
#                                      and its package build-arm64/vellacor_<version>-<rev>_arm64.deb
#   scripts/cross.sh arm64 test        the same with the tests, which run under qemu-user; the
#                                      last lines are CTest's summary
#   scripts/cross.sh arm64 build DIR   builds in DIR instead of build-arm64 (the release does)
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
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
echo "program: $PWD/$build/app/vellacor"
echo "package: $(ls "$PWD/$build"/vellacor_*_arm64.deb)"
