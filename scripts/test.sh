#!/usr/bin/env bash
# Installs what is missing, then builds and tests build trees of CMakePresets.json, each with
# its workflow (configure, build, ctest):
#   scripts/test.sh [TREE...]   the trees named, in that order; all four when none is:
#     sanitize   the unit, window and packaging-file tests, with AddressSanitizer and UBSan
#     fuzz       the fuzz targets from their seed corpora
#     arm64      the arm64 build's tests under qemu-user
#     release    every test, those that start Vellacor in a GNOME session, build and run the
#                Windows build under Wine, build the release twice and check its Debian
#                packages among them (CONTRIBUTING.md, "Tests")
# Every tree runs even when an earlier one fails. Each tree's CTest report lands in
# test-reports/ (JUnit XML) and is counted by scripts/count-tests.py: every test once, by its
# own result, a test that could not run counting as failed and a skip only as what the test
# itself said it was. A tree that does not build is one failed test; the arm64 tree is one
# skipped test where its tools cannot be installed (not root, and no sudo). The last line
# counts all trees together, "N passed, M failed, K skipped"; the exit status is non-zero when
# anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."

all=(sanitize fuzz arm64 release)
trees=("$@")
((${#trees[@]})) || trees=("${all[@]}")
for name in "${trees[@]}"; do
    if [[ " ${all[*]} " != *" $name "* ]]; then
        echo "usage: scripts/test.sh [TREE...], each of: ${all[*]}" >&2
        exit 2
    fi
done

start=$SECONDS
if ! scripts/deps.sh test; then
    echo "FAILED: could not install the packages the tests need"
    echo "0 passed, 1 failed, 0 skipped"
    exit 1
fi

echo "deps: the packages for the tests, in $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s"
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc 2>/dev/null || echo 2)}
# The tests run in their build trees: a Qt for Windows named relative to here is named whole.
if [[ -n "${VELLACOR_WINDOWS_QT:-}" ]]; then
    VELLACOR_WINDOWS_QT=$(realpath "$VELLACOR_WINDOWS_QT")
    export VELLACOR_WINDOWS_QT
fi
reports=$PWD/test-reports
mkdir -p "$reports"

passed=0 failed=0 skipped=0
# add SUMMARY: adds a line "N passed, M failed, K skipped" to the totals.
add() {
    [[ "$1" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed,\ ([0-9]+)\ skipped$ ]] || return 1
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
    skipped=$((skipped + BASH_REMATCH[3]))
}
# tree PRESET FOLDER TITLE: one tree's workflow, and its counts.
tree() {
    echo "== $3"
    local status=0 report=$reports/$1.xml counts summary start=$SECONDS
    rm -f "$report"
    cmake --workflow --preset "$1" || status=$?
    if [[ ! -f "$report" ]]; then
        echo "FAILED: $3 did not build (exit status $status)"
        failed=$((failed + 1))
        return
    fi
    counts=$(python3 scripts/count-tests.py "$report" "$2")
    # What did not pass, and why; the tree's count, named (only the total stands alone).
    head -n -1 <<<"$counts"
    summary=$(tail -n 1 <<<"$counts")
    add "$summary" || { echo "FAILED: $report could not be counted"; failed=$((failed + 1)); }
    echo "$1: $summary, in $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s"
    # CTest fails a run for what the count must see too; if it does not, say so.
    if ((status != 0)) && [[ "$summary" =~ ^[0-9]+\ passed,\ 0\ failed ]]; then
        echo "FAILED: $3's workflow failed (exit status $status), with no test failed"
        failed=$((failed + 1))
    fi
}

for name in "${trees[@]}"; do
    case $name in
    sanitize) tree sanitize build-sanitize "Sanitizer build" ;;
    fuzz) tree fuzz build-fuzz "Fuzz targets, from their seed corpus" ;;
    arm64)
        status=0
        scripts/deps.sh arm64 || status=$?
        if ((status == 0)); then
            tree arm64 build-arm64 "arm64 build, under qemu-user"
        elif ((status == 3)); then
            echo "skipped: the arm64 tree: its tools cannot be installed here (not root, and no sudo)"
            skipped=$((skipped + 1))
        else
            echo "FAILED: the arm64 tree: its tools (architecture, cross compiler, Qt, qemu-user)" \
                "did not install (scripts/deps.sh arm64, exit status $status)"
            failed=$((failed + 1))
        fi
        ;;
    release) tree release build "Release build: every test, the session, Windows, package and release ones too" ;;
    esac
done

echo "JUnit reports: $reports"
echo "$passed passed, $failed failed, $skipped skipped"
((failed == 0))
