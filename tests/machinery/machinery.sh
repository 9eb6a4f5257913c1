#!/usr/bin/env bash
# The tests' own machinery. The test command's count (scripts/count-tests.py) on the reports
# CTest itself writes: a probe project's tests pass, fail, skip with the skip code, miss their
# program, need a fixture that failed, need one that passed, and one is disabled. Each counts
# once: 2 passed (a fixture's set-up and clean-up pass without counting), 5 failed, 1 skipped.
# A report that is no report, or holds no test, is one failure. And the package test's check
# of the compile lines (tests/lib.sh): a log without one fails.
#   machinery.sh SOURCE_DIR
set -uo pipefail
source=$1
. "$(dirname "$0")/../lib.sh" # every_compile_has
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
counter=(python3 "$source/scripts/count-tests.py")
status=0
expect() { # expect WHAT WANTED OUTPUT
    local last
    last=$(tail -n 1 <<<"$3")
    if [[ "$last" == "$2" ]]; then
        echo "PASS: $1: $last"
    else
        echo "FAIL: $1: '$last', not '$2'"
        sed 's/^/   /' <<<"$3"
        status=1
    fi
}

cmake -S "$(dirname "$0")/probe" -B "$work/build" >/dev/null || exit 1
ctest --test-dir "$work/build" --output-junit "$work/report.xml" >/dev/null 2>&1
output=$("${counter[@]}" "$work/report.xml" "$work/build")
expect "the probe's report" "2 passed, 5 failed, 1 skipped" "$output"
for reason in "fails failed: it fails" "skips: nothing to test here" \
    "missing_program did not run: Unable to find executable" \
    "needs_what_failed did not run: Fixture dependency failed" "disabled is disabled"; do
    grep -qF "$reason" <<<"$output" || { echo "FAIL: no line says '$reason'"; status=1; }
done

echo 'not a report' >"$work/broken.xml"
expect "a broken report" "0 passed, 1 failed, 0 skipped" "$("${counter[@]}" "$work/broken.xml")"
echo '<testsuite tests="0" failures="0" skipped="0"></testsuite>' >"$work/empty.xml"
expect "an empty report" "0 passed, 1 failed, 0 skipped" "$("${counter[@]}" "$work/empty.xml")"
printf '%s\n' 'g++ -O2 -fstack-clash-protection -c a.cpp' 'g++ -O2 -c b.cpp' >"$work/some.log"
printf '%s\n' 'g++ -O2 -fstack-clash-protection -c a.cpp' >"$work/all.log"
printf '%s\n' 'cmake --build .' >"$work/none.log"
for row in "all.log 0" "some.log 1" "none.log 1"; do
    read -r log want <<<"$row"
    got=0
    every_compile_has "$work/$log" -fstack-clash-protection >/dev/null || got=1
    if ((got == want)); then
        echo "PASS: every_compile_has on $log: $got"
    else
        echo "FAIL: every_compile_has on $log: $got, not $want"
        status=1
    fi
done
exit "$status"
