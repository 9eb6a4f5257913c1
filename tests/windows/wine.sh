#!/usr/bin/env bash
# The Windows build and its tests under Wine, for the windows tests (tests/windows/CMakeLists.txt):
#   wine.sh TREE STATE build         fixture: the Windows tree TREE with its test programs
#                                    (scripts/windows.sh); skipped when no Qt for Windows is at
#                                    hand, and then so is every other windows test
#   wine.sh TREE STATE display       fixture: a private X server, left running (display-stop)
#   wine.sh TREE STATE prefix        fixture: a Wine prefix in TREE, its server and helper
#                                    processes left running (prefix-stop)
#   wine.sh TREE STATE test NAME gtest|qtest
#                                    the test program NAME of TREE under Wine; a QtTest one
#                                    writes its log to STATE/NAME.log, shown here
#   wine.sh TREE STATE notices       THIRD-PARTY-NOTICES.txt against the Qt it was built with
#   wine.sh TREE STATE resource      the version resource and icon, read from Vellacor.exe
#   wine.sh TREE STATE installer     the installer's round trip and a user's run (installer.sh)
# STATE is this folder's build folder: what the fixtures leave for the tests.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tree=$1
state=$2
mode=$3
shift 3
. "$here/../lib.sh"
mkdir -p "$state"

# Wine takes the Windows locale, and the character set of the names it passes on, from the Unix
# locale: the same for every user (English (United States), UTF-8), whatever the desktop's.
export LC_ALL=C.UTF-8 WINEPREFIX=$tree/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# ready: the Windows build is there; exits skipped, or failed, when it is not.
ready() {
    if [[ -f "$state/skipped" ]]; then
        echo "skipped: $(cat "$state/skipped")"
        exit 77
    fi
    [[ -f "$state/built" ]] || { echo "FAIL: no Windows build: windows_build's output says why"; exit 1; }
}
# on_display: DISPLAY is the private X server's.
on_display() {
    local display pid
    read -r display pid <"$state/display" 2>/dev/null && kill -0 "$pid" 2>/dev/null ||
        { echo "FAIL: no X server: windows_display's output says why"; exit 1; }
    export DISPLAY=$display
}

case $mode in
build)
    rm -f "$state/skipped" "$state/built"
    if ! reason=$("$root/scripts/windows-qt.sh" --at-hand); then
        echo "$reason" >"$state/skipped"
        echo "skipped: $reason"
        exit 77
    fi
    "$root/scripts/windows.sh" "$tree" || exit 1
    touch "$state/built"
    ;;
display)
    ready
    start_x || exit 1
    echo "$DISPLAY $x_pid" >"$state/display"
    echo "X server $DISPLAY"
    ;;
display-stop)
    [[ -f "$state/skipped" ]] && ready
    read -r _ pid <"$state/display" 2>/dev/null && kill "$pid" 2>/dev/null
    rm -f "$state/display"
    exit 0
    ;;
prefix)
    ready
    on_display
    if [[ ! -d "$WINEPREFIX" ]]; then
        echo "a new Wine prefix in $WINEPREFIX"
        timeout 120 "$wine" wineboot -i >/dev/null 2>&1
    fi
    # The private X server has no window manager, and Wine waits up to 2 s for one to withdraw
    # each window it manages as the window hides: a test program would spend seconds on each
    # window it closes. Unmanaged, Wine places and activates the test programs' windows itself;
    # Vellacor.exe, which the installer test runs as a user does, stays managed.
    wine_key='HKCU\Software\Wine'
    for setting in "$wine_key\X11 Driver=N" "$wine_key\AppDefaults\Vellacor.exe\X11 Driver=Y"; do
        timeout 120 "$wine" reg add "${setting%=*}" /v Managed /d "${setting##*=}" /f \
            >/dev/null 2>&1 || { echo "FAIL: could not set Managed in ${setting%=*}"; exit 1; }
    done
    wine_start
    ;;
prefix-stop)
    [[ -f "$state/skipped" ]] && ready
    "$wineserver" -k 2>/dev/null
    exit 0
    ;;
test)
    ready
    on_display
    name=$1
    cd "$state" || exit 1
    if [[ $2 == qtest ]]; then
        # Without a console a QtTest program logs to the debugger: its log goes to a file.
        rm -f "$name.log"
        QT_QPA_PLATFORM=windows timeout 600 "$wine" "$tree/tests/$name.exe" -o "$name.log,txt" \
            </dev/null >/dev/null 2>&1
        status=$?
        cat "$name.log" 2>/dev/null || echo "FAIL: $name wrote no log"
        exit "$status"
    fi
    exec timeout 600 "$wine" "$tree/tests/$name.exe" </dev/null
    ;;
notices)
    ready
    qt=$(sed -n 's/^Qt6_DIR:PATH=//p' "$tree/CMakeCache.txt")
    exec bash "$root/tests/dist/windows-notices.sh" "$root/dist/windows/THIRD-PARTY-NOTICES.txt" \
        "$qt/../.."
    ;;
resource)
    ready
    version=$(sed -nE 's/^project\(Vellacor VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
    exec bash "$root/tests/dist/windows-resource.sh" "$tree/app/Vellacor.exe" "$state" "$version"
    ;;
installer)
    ready
    on_display
    installer=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$tree/cpack.log" | tail -n 1)
    exec bash "$here/installer.sh" "$tree/app/Vellacor.exe" "$installer"
    ;;
*)
    echo "usage: wine.sh TREE STATE build|display|display-stop|prefix|prefix-stop|test NAME KIND|notices|resource|installer" >&2
    exit 2
    ;;
esac
