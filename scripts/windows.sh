#!/usr/bin/env bash
# Builds Vellacor for Windows on Debian, with mingw-w64 and a static Qt 6.4.2 (CMake preset
# "windows"):
#   scripts/windows.sh [DIR]            installs what is missing and builds DIR (default
#                                       build-windows): app/Vellacor.exe, its installer
#                                       Vellacor-<version>-setup.exe, and the test programs that
#                                       the windows tests run under Wine (`ctest --test-dir build
#                                       -L windows`, which builds this first); prints the
#                                       program's and the installer's paths last
#   scripts/windows.sh --release DIR    the program and its installer only (the release)
# Qt for Windows: see scripts/windows-qt.sh (VELLACOR_WINDOWS_QT, or built once into the cache).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

options=()
if [[ "${1:-}" == --release ]]; then
    options=(-DVELLACOR_TESTS=OFF)
    shift
fi
build=${1:-build-windows}

scripts/deps.sh windows
VELLACOR_WINDOWS_QT_PREFIX=$(scripts/windows-qt.sh)
export VELLACOR_WINDOWS_QT_PREFIX
cmake --preset windows -B "$build" "${options[@]}"
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"
(cd "$build" && cpack -G NSIS >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }

# The installer this run made, by the name CPack gave it: after a version bump the folder also
# holds the older one.
echo "Vellacor.exe: $PWD/$build/app/Vellacor.exe"
echo "installer:    $(cpack_package "$build/cpack.log")"
