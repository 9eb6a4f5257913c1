# Sourced by the test scripts: the running totals behind their closing line
# "N passed, M failed".
passed=0
failed=0

# count_ctest LOG WHAT: adds the counts of CTest's summary in LOG; a log without one counts as
# one failure, "WHAT ran no test".
count_ctest() {
    local summary
    summary=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$1" | tail -n 1)
    if [[ "$summary" =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        failed=$((failed + BASH_REMATCH[1]))
        passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    else
        echo "FAILED: $2 ran no test"
        failed=$((failed + 1))
    fi
}

# count_summary LOG WHAT: adds the counts of a closing line "N passed, M failed" in LOG; a log
# without one counts as one failure, "WHAT did not run to its end".
count_summary() {
    local summary
    summary=$(tail -n 5 "$1" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1)
    if [[ "$summary" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        passed=$((passed + BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[2]))
    else
        echo "FAILED: $2 did not run to its end"
        failed=$((failed + 1))
    fi
}
