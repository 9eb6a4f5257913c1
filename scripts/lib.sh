# Sourced by the scripts and tests that share these: the running totals behind their closing
# line "N passed, M failed", Wine's programs, whether a Qt for Windows is at hand, and a private
# X server.

passed=0
failed=0

# check TITLE COMMAND...: one counted check, named in a PASS or FAIL line.
check() {
    local title=$1
    shift
    if "$@"; then
        echo "PASS: $title"
        passed=$((passed + 1))
    else
        echo "FAIL: $title"
        failed=$((failed + 1))
    fi
}

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

# Debian's wine64 keeps its programs here; not every release puts them on PATH.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# The Qt for Windows that scripts/windows-qt.sh builds once and keeps; windows_qt_at_hand is
# true when scripts/windows.sh has one without building it: that one, or VELLACOR_WINDOWS_QT.
windows_qt_cache=${XDG_CACHE_HOME:-$HOME/.cache}/vellacor/qt-6.4.2-x86_64-w64-mingw32-static
windows_qt_at_hand() { [[ -n "${VELLACOR_WINDOWS_QT:-}" || -f "$windows_qt_cache/.complete" ]]; }

# start_x: a private X server (Xvfb) on the display it finds free itself (-displayfd). Sets
# DISPLAY and x_pid; fails, saying so, when the server is not up within 10 s.
start_x() {
    local fifo number=''
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    x_pid=$!
    read -r -t 10 number <"$fifo" || true
    rm -f "$fifo"
    if [[ ! "$number" =~ ^[0-9]+$ ]] || ! kill -0 "$x_pid" 2>/dev/null; then
        echo "FAILED: the X server (Xvfb) did not start"
        return 1
    fi
    export DISPLAY=":$number"
}

# cpack_package LOG: the package file that the cpack run logged in LOG made; fails when none.
cpack_package() {
    sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$1" | tail -n 1 | grep .
}
