#!/usr/bin/env bash
# Runs the Windows build under Wine on a private X server: the cross-built tests, then the
# installer (silent install and uninstall), then a smoke run of Vellacor.exe as a user would
# drive it. Ends with "N passed, M failed". Called by `scripts/windows.sh test`.
#   windows-test.sh BUILD_DIR VELLACOR_EXE INSTALLER_EXE
set -uo pipefail
build=$(cd "$1" && pwd)
exe=$2
installer=$3
wine=/usr/lib/wine/wine64
. "$(dirname "$0")/counts.sh"
check() { # check TITLE COMMAND...: one counted check
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

# A private X server on the first free display, and a private Wine prefix kept in the build
# tree (its first start takes a few seconds).
for display in $(seq 90 120); do
    [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]] || break
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display" WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
cleanup() {
    /usr/lib/wine/wineserver -k 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
if [[ ! -d "$WINEPREFIX" ]]; then
    echo "== A new Wine prefix"
    timeout 120 "$wine" wineboot -i >/dev/null 2>&1
fi
/usr/lib/wine/wineserver -p # one server for every start below
# Wine's helper processes start with the first program and live on; started here, they do not
# hold on to the output of a test, which would keep ctest waiting for its end.
timeout 120 "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1

echo "== Tests under Wine"
# The seeded random run takes a third of its steps here: each costs far more under Wine.
export VELLACOR_SOAK_STEPS=${VELLACOR_SOAK_STEPS:-1000}
(cd "$build" && ctest --timeout 600 --output-on-failure) | tee "$work/ctest.log"
for log in "$build"/tests/*.log; do
    [[ -f "$log" ]] || continue
    grep -a '^Totals' "$log" | sed "s|^|$(basename "$log" .log): |"
    grep -a -A4 '^FAIL' "$log"
done
count_ctest "$work/ctest.log" "the Windows build"

echo "== The installer"
folder="$WINEPREFIX/drive_c/Program Files/Vellacor"
timeout 120 "$wine" "$installer" /S >/dev/null 2>&1
check "silent install puts Vellacor.exe in Program Files" test -f "$folder/Vellacor.exe"
check "the licence is installed" test -f "$folder/LICENSE.txt"
check "a Start-menu shortcut" test -n "$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' -name 'Vellacor.lnk' 2>/dev/null)"
echo "== Vellacor.exe, as installed, as a user runs it"
[[ -f "$folder/Vellacor.exe" ]] && exe=$folder/Vellacor.exe
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_for() { # wait_for TITLE_REGEX: the window's id once it is shown, within 60 s
    local id
    for _ in $(seq 600); do
        id=$(visible "$1") && [[ -n "$id" ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
other_window() { # a shown window that is none of the given ones
    local id known
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            known=0
            for k in "$@"; do [[ "$id" == "$k" ]] && known=1; done
            ((known)) || { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}
# Not a job of this shell: Wine's server ends it below.
( (cd "$work" && exec "$wine" "$exe") >/dev/null 2>&1 & )
main=$(wait_for '^Vellacor 1.1$')
check 'the main window "Vellacor 1.1" appears' test -n "$main"
detail=
if [[ -n "$main" ]]; then
    # Positions in the window, from its layout: the host count field and Calculate.
    xdotool mousemove --window "$main" 140 150 click 1
    xdotool type --delay 30 50
    xdotool mousemove --window "$main" 192 252 click 1
    detail=$(wait_for '^Detail Report$')
fi
check 'Calculate opens "Detail Report"' test -n "$detail"
report=$work/report
if [[ -n "$detail" ]]; then
    xdotool mousemove --window "$detail" 240 472 click 1 # Save To Notepad
    dialog=$(other_window "$main" "$detail")
    if [[ -n "$dialog" ]]; then
        sleep 1
        xdotool windowfocus "$dialog" 2>/dev/null
        xdotool type --delay 20 "Z:${report//\//\\}"
        xdotool key Return
        box=$(other_window "$main" "$detail" "$dialog")
        [[ -n "$box" ]] && { xdotool windowfocus "$box" 2>/dev/null; xdotool key Return; }
    fi
fi
for _ in $(seq 50); do [[ -s "$report.txt" ]] && break; sleep 0.1; done
check "the report is saved as report.txt" test -s "$report.txt"
lines=$(grep -c '' "$report.txt" 2>/dev/null || echo 0)
check "it has 23 + 4 lines ($lines)" test "$lines" -eq 27
check "every line ends in CR LF" bash -c "! grep -qv \$'\\r\$' '$report.txt' && [[ \$(tail -c 2 '$report.txt' | od -An -tx1 | tr -d ' ') == 0d0a ]]"
check "the copyright line is Windows-1252, with 0xA9" \
    bash -c "[[ \$(tail -n 1 '$report.txt' | od -An -tx1 | tr -d ' \\n') == $(printf 'Copyright \xa9 Tamsel\r\n' | od -An -tx1 | tr -d ' \n') ]]"
echo "   the copyright line's bytes: $(tail -n 1 "$report.txt" 2>/dev/null | od -An -tx1 | tr -s ' \n' ' ')"
generated=$(grep -a '^Generated' "$report.txt" 2>/dev/null | tr -d '\r')
echo "   $generated"
# Wine's locale here is English (United States): month/day/year and a 12-hour clock.
check "the Generated date is in the locale's short date and long time" \
    bash -c "[[ '$generated' =~ ^Generated\ {9}:\ $(date +%-m/%-d/%Y)\ [0-9]{1,2}:[0-9]{2}:[0-9]{2}\ (AM|PM)$ ]]"

/usr/lib/wine/wineserver -k 2>/dev/null # closes the program

echo "== Uninstalling"
if [[ -f "$folder/Uninstall.exe" ]]; then
    # The uninstaller copies itself away and returns at once; wait for it to finish.
    timeout 120 "$wine" "$folder/Uninstall.exe" /S >/dev/null 2>&1
    for _ in $(seq 100); do [[ -f "$folder/Vellacor.exe" ]] || break; sleep 0.2; done
fi
check "silent uninstall removes it" test ! -f "$folder/Vellacor.exe"

echo "$passed passed, $failed failed"
((failed == 0))
