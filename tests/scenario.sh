#!/usr/bin/env bash
# A scenario and its checks under CTest (tests/CMakeLists.txt, vellacor_scenario):
#   scenario.sh run RESULTS IDS COMMAND...   the fixture: runs COMMAND (a scenario that sources
#                                            tests/lib.sh) with VELLACOR_RESULTS=RESULTS, a new
#                                            folder; IDS, comma-separated, are the checks CTest
#                                            knows, and the scenario fails when it records another
#   scenario.sh result RESULTS ID            one check: shows what the scenario recorded as ID and
#                                            passes, fails or is skipped (exit 77) as it was
# The fixture passes when the scenario ran to its end, whatever its checks found: each check
# counts once, as its own test. It is skipped when the scenario cannot run here (exit 77).
set -uo pipefail
mode=$1
results=$2

case $mode in
run)
    ids=",$3,"
    shift 3
    rm -rf "$results"
    mkdir -p "$results"
    VELLACOR_RESULTS=$results "$@" | tee "$results/.log"
    status=${PIPESTATUS[0]}
    if ((status == 77)); then
        # The reason, for each check: the scenario's own, or the line that said it skipped.
        [[ -f "$results/.skipped" ]] ||
            sed -n 's/^skipped: //p' "$results/.log" | tail -n 1 | grep . >"$results/.skipped" ||
            echo "the scenario cannot run here: its own test's output says why" >"$results/.skipped"
        exit 77
    fi
    unknown=0
    for file in "$results"/*; do # (the dot files are the scenario's own)
        [[ -f "$file" ]] || continue
        if [[ $ids != *",$(basename "$file"),"* ]]; then
            echo "FAIL: the scenario recorded a check no test reports: $(basename "$file")"
            unknown=1
        fi
    done
    if ((status != 0)); then
        echo "FAIL: the scenario did not run to its end (exit status $status)"
        exit 1
    fi
    exit "$unknown"
    ;;
result)
    id=$3
    if [[ -f "$results/$id" ]]; then
        cat "$results/$id"
        case $(head -c 4 "$results/$id") in
        PASS) exit 0 ;;
        SKIP) exit 77 ;;
        *) exit 1 ;;
        esac
    elif [[ -f "$results/.skipped" ]]; then
        echo "skipped: $(cat "$results/.skipped")"
        exit 77
    fi
    echo "FAIL: the scenario did not come to this check: its own test's output says why"
    exit 1
    ;;
*)
    echo "usage: scenario.sh run RESULTS IDS COMMAND... | result RESULTS ID" >&2
    exit 2
    ;;
esac
