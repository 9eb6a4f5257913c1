#!/usr/bin/env bash
# Installs what is missing, builds Vellacor twice (optimised, and with AddressSanitizer and
# UndefinedBehaviorSanitizer), runs every test in both builds and each fuzz target briefly
# from its seeds, then runs the optimised program in a headless GNOME Wayland session, with
# XWayland and without; with a Qt for Windows at hand, also the Windows build under Wine
# (scripts/windows.sh test); the arm64 build's tests under qemu-user; the Debian source and
# binary packages built by dpkg-buildpackage (scripts/deb.sh) and checked, their installed
# package's autopkgtest included (dist/tests/deb-package.sh); and last the release of the
# commit, built twice by two differing builders and compared file by file. Every suite
# runs even when an earlier one fails; the last line counts the tests of all suites together,
# "N passed, M failed", and the exit status is non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."

if ! scripts/deps.sh test; then
    echo "FAILED: could not install the packages the tests need"
    echo "0 passed, 1 failed"
    exit 1
fi

jobs=$(nproc 2>/dev/null || echo 2)
. scripts/lib.sh

# suite TITLE BUILD_DIR CMAKE_ARGS...: configures and builds one tree and runs its tests. A
# tree that does not build counts as one failed test.
suite() {
    local title=$1 dir=$2
    shift 2
    echo "== $title"
    if ! cmake "$@" -B "$dir" || ! cmake --build "$dir" -j"$jobs"; then
        echo "FAILED: $title did not build"
        failed=$((failed + 1))
        return
    fi
    (cd "$dir" && ctest --output-on-failure) | tee "$dir/ctest.log"
    count_ctest "$dir/ctest.log" "$title"
}

suite "Tests, sanitizer build" build-sanitize -S . \
    -DCMAKE_BUILD_TYPE=Debug -DVELLACOR_SANITIZE=ON -DVELLACOR_TESTS=ON
suite "Fuzzing from the seed corpus" build-fuzz -S fuzz -DCMAKE_CXX_COMPILER=clang++
suite "Tests" build -S . -DCMAKE_BUILD_TYPE=Release -DVELLACOR_TESTS=ON -DVELLACOR_BENCH=ON

# A GNOME Wayland session (headless, one virtual monitor), with XWayland and without.
echo "== Wayland session, GNOME"
if [[ -x build/app/vellacor ]]; then
    log=$(mktemp)
    tests/wayland/smoke.sh build/app/vellacor 2>&1 | tee "$log"
    count_summary "$log" "The Wayland smoke test"
    rm -f "$log"
else
    echo "FAILED: the Wayland smoke test has no program to run"
    failed=$((failed + 1))
fi

# Windows: cross-built and run under Wine, when a Qt for Windows is at hand.
if windows_qt_at_hand; then
    echo "== Windows, under Wine"
    log=$(mktemp)
    scripts/windows.sh test 2>&1 | tee "$log"
    count_summary "$log" "The Windows tests"
    rm -f "$log"
else
    echo "Windows tests skipped: no Qt for Windows at hand (VELLACOR_WINDOWS_QT is not set and" \
        "scripts/windows.sh has built none in $windows_qt_cache)"
fi

# arm64: cross-built, its tests run under qemu-user.
echo "== Tests, arm64 under qemu-user"
log=$(mktemp)
scripts/cross.sh arm64 test 2>&1 | tee "$log"
if [[ "${PIPESTATUS[0]}" == 3 ]]; then
    echo "arm64 tests skipped: the arm64 tools could not be installed on this machine"
else
    count_ctest "$log" "The arm64 build"
fi
rm -f "$log"

# The Debian packages as Debian's tools build them, checked; the package is installed here for
# its autopkgtest.
echo "== Debian package"
log=$(mktemp)
status=0
scripts/deb.sh build-deb/out arm64 || status=$?
if ((status == 0 || status == 3)); then
    dist/tests/deb-package.sh build-deb 2>&1 | tee "$log"
    count_summary "$log" "The Debian package checks"
else
    echo "FAILED: the Debian packages did not build"
    failed=$((failed + 1))
fi
rm -f "$log"

# The release of this commit, built twice by builders who differ in path, user, umask, locale,
# time zone, host name and clock, compared file by file.
echo "== Release, built twice"
log=$(mktemp)
dist/tests/release-twice.sh 2>&1 | tee "$log"
count_summary "$log" "The release comparison"
rm -f "$log"

echo "$passed passed, $failed failed"
((failed == 0))
