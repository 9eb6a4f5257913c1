#!/usr/bin/env bash
# Installs what is missing, then builds and tests every tree of CMakePresets.json with its
# workflow (configure, build, ctest): the sanitizer build (AddressSanitizer and
# UndefinedBehaviorSanitizer), the fuzz targets, the arm64 build under qemu-user, and the
# release build, whose tests also start Vellacor in a GNOME session, build and run the Windows
# build under Wine, build and check the Debian packages, and build the release twice (README,
# "Tests"). Every tree runs even when an earlier one fails. Each tree's CTest report lands in
# test-reports/ (JUnit XML); the last line counts the tests of all trees together,
# "N passed, M failed, K skipped", where a tree that does not build counts as one failed test,
# and the exit status is non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."

if ! scripts/deps.sh test; then
    echo "FAILED: could not install the packages the tests need"
    echo "0 passed, 1 failed, 0 skipped"
    exit 1
fi

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc 2>/dev/null || echo 2)}
# The tests run in their build trees: a Qt for Windows named relative to here is named whole.
if [[ -n "${VELLACOR_WINDOWS_QT:-}" ]]; then
    VELLACOR_WINDOWS_QT=$(realpath "$VELLACOR_WINDOWS_QT")
    export VELLACOR_WINDOWS_QT
fi
reports=$PWD/test-reports
rm -rf "$reports"
mkdir -p "$reports"

passed=0 failed=0 skipped=0
# count REPORT: adds the counts of a CTest JUnit report: its testsuite's tests, failures and
# skipped attributes. A report without them counts as one failure.
count() {
    local head tests failures skips
    head=$(tr '\n\t' '  ' <"$1" | grep -o '<testsuite [^>]*>' | head -n 1)
    tests=$(sed -nE 's/.* tests="([0-9]+)".*/\1/p' <<<"$head")
    failures=$(sed -nE 's/.* failures="([0-9]+)".*/\1/p' <<<"$head")
    skips=$(sed -nE 's/.* skipped="([0-9]+)".*/\1/p' <<<"$head")
    if [[ -z "$tests" || -z "$failures" || -z "$skips" ]]; then
        echo "FAILED: $1 is not a CTest report"
        failed=$((failed + 1))
        return
    fi
    echo "$(basename "$1" .xml): $((tests - failures - skips)) passed, $failures failed, $skips skipped"
    failed=$((failed + failures))
    skipped=$((skipped + skips))
    passed=$((passed + tests - failures - skips))
}
# tree PRESET TITLE: one tree's workflow, and its counts.
tree() {
    echo "== $2"
    local status=0
    cmake --workflow --preset "$1" || status=$?
    if [[ -f "$reports/$1.xml" ]]; then
        count "$reports/$1.xml"
    else
        echo "FAILED: $2 did not build (exit status $status)"
        failed=$((failed + 1))
    fi
}

tree sanitize "Sanitizer build"
tree fuzz "Fuzz targets, from their seed corpus"
if scripts/deps.sh arm64; then
    tree arm64 "arm64 build, under qemu-user"
else
    echo "skipped: the arm64 tree: its tools (architecture, cross compiler, Qt, qemu-user)" \
        "could not be installed here"
    skipped=$((skipped + 1))
fi
tree release "Release build: every test, the session, Windows, package and release ones too"

echo "JUnit reports: $reports"
echo "$passed passed, $failed failed, $skipped skipped"
((failed == 0))
