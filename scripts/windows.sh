#!/usr/bin/env bash
# Builds Vellacor for Windows on Debian, with mingw-w64 and a static Qt 6.4.2:
#   scripts/windows.sh        installs what is missing, builds build-windows/app/Vellacor.exe and
#                             its installer build-windows/Vellacor-<version>-setup.exe, and
#                             prints their paths last
#   scripts/windows.sh test   the same with the tests, which then run under Wine on a private X
#                             server, followed by the installer and a smoke run of Vellacor.exe;
#                             the last line is "N passed, M failed"
#   scripts/windows.sh build DIR   builds in DIR instead of build-windows (the release does)
# Qt for Windows: see scripts/windows-qt.sh (VELLACOR_WINDOWS_QT, or built once into the cache).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

mode=${1:-build}
[[ "$mode" == build || "$mode" == test ]] || { echo "usage: scripts/windows.sh [test]" >&2; exit 2; }
build=${2:-build-windows}
jobs=$(nproc 2>/dev/null || echo 2)

scripts/deps.sh windows
qt=$(scripts/windows-qt.sh)

tests=OFF
[[ "$mode" == test ]] && tests=ON
# -static also links the MinGW runtime, so Vellacor.exe is one file that imports only
# system DLLs; -s strips it.
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$qt/mingw-w64-x86_64.cmake" -DQT_HOST_PATH=/usr \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXE_LINKER_FLAGS="-static -s" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" \
    -DVELLACOR_TESTS="$tests" -DVELLACOR_BENCH=OFF
cmake --build "$build" -j"$jobs"
(cd "$build" && cpack -G NSIS >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }

exe=$PWD/$build/app/Vellacor.exe
# The installer this run made, by the name CPack gave it: after a version bump the folder also
# holds the older one.
installer=$(cpack_package "$build/cpack.log")
if [[ "$mode" == test ]]; then
    exec scripts/windows-test.sh "$build" "$exe" "$installer"
fi
echo "Vellacor.exe: $exe"
echo "installer:    $installer"
