# Sourced by the test scenarios: recording their checks for CTest, a build log's compile
# lines, waiting, a private X server and Wine's programs.
#
# A scenario (a desktop session, an installer's round trip, a package build, a release built
# twice) runs once, as the CTest fixture of its checks, and records each check in
# $VELLACOR_RESULTS; each check is then its own CTest test that reports what was recorded
# (tests/scenario.sh).

passed=0
failed=0

# check ID TITLE COMMAND...: one check: runs COMMAND, shows its output and a PASS or FAIL line,
# and records them as ID.
check() {
    local id=$1 title=$2 output status=PASS
    shift 2
    output=$("$@" 2>&1) || status=FAIL
    [[ -z "$output" ]] || echo "$output"
    echo "$status: $title"
    if [[ $status == PASS ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
    record "$id" "$status: $title" "$output"
}

# skip_check ID TITLE REASON: a check that cannot be made here, recorded as skipped.
skip_check() {
    echo "SKIP: $2 ($3)"
    record "$1" "SKIP: $2" "skipped: $3"
}

# skip_all REASON: nothing of the scenario can run here; every check it has is skipped. Exits
# with CTest's skip code.
skip_all() {
    echo "skipped: $1"
    [[ -z "${VELLACOR_RESULTS:-}" ]] || echo "$1" >"$VELLACOR_RESULTS/.skipped"
    exit 77
}

record() { # record ID FIRST_LINE OUTPUT
    [[ -n "${VELLACOR_RESULTS:-}" ]] || return 0
    { echo "$2"; [[ -z "$3" ]] || echo "$3"; } >"$VELLACOR_RESULTS/$1"
}

# every_compile_has LOG FLAG: each compiler line of the build log LOG that compiles a source
# file has FLAG; a log without one says nothing, and fails.
every_compile_has() {
    local lines
    lines=$(grep -E ' -c \S+\.cpp$' "$1")
    [[ -n "$lines" ]] || { echo "   no compile line in $1"; return 1; }
    ! grep -vqF -- "$2" <<<"$lines"
}

# wait_for SECONDS COMMAND...: true as soon as COMMAND is, tried every $poll seconds.
poll=0.2
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep "$poll"
    done
}

# start_x: a private X server (Xvfb) on the display it finds free itself (-displayfd). Sets
# DISPLAY and x_pid; fails, saying so, when the server is not up within 10 s. Its output goes
# nowhere, so a test that leaves it running for others does not hold CTest's pipe.
start_x() {
    local fifo number=''
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
    x_pid=$!
    read -r -t 10 number <"$fifo" || true
    rm -f "$fifo"
    if [[ ! "$number" =~ ^[0-9]+$ ]] || ! kill -0 "$x_pid" 2>/dev/null; then
        echo "the X server (Xvfb) did not start"
        return 1
    fi
    export DISPLAY=":$number"
}

# Debian's wine64 keeps its programs here; not every release puts them on PATH.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# wine_start: Wine's server for $WINEPREFIX, kept running, and the helper processes that start
# with the first program and live on. Started here, with their output going nowhere, they do
# not hold on to a test's output, which would keep CTest waiting for its end.
wine_start() {
    "$wineserver" -p </dev/null >/dev/null 2>&1
    timeout 120 "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1
}
