#!/usr/bin/env bash
# Vellacor in a GNOME Wayland session, as its users run it: GNOME's compositor (mutter),
# nested in a private X server, once with XWayland and once without.
#   smoke.sh PROGRAM [xwayland|wayland]...   (both when none is named)
# For each: the main window appears (with XWayland, on X11 and centred with its frame),
# a host count and Alt+C open "Detail Report", and a report saved through the save dialog
# has 23 + n lines. Keys are typed into the private X server, which hands them to the
# compositor. The last line counts the checks, "N passed, M failed".
set -uo pipefail

program=$(realpath "$1")
shift
modes=("$@")
((${#modes[@]})) || modes=(xwayland wayland)
width=1280 height=800

passed=0 failed=0
check() { # check WHAT CONDITION...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAIL: $what"
        failed=$((failed + 1))
    fi
}
# wait_for SECONDS COMMAND...: true as soon as COMMAND is.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

work=$(mktemp -d)
pids=()
stop_all() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    pids=()
}
xvfb=''
trap 'stop_all; [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

# The private X server that the compositor draws into; keys are typed here.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset \
    >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
if ! wait_for 30 test -s "$work/display"; then
    cat "$work/xvfb.log"
    echo "FAIL: Xvfb did not start"
    echo "0 passed, 1 failed"
    exit 1
fi
host=:$(head -n 1 "$work/display")
keys() { DISPLAY=$host xdotool "$@"; }

session() { # session MODE: one session, its checks, and everything it started stopped
    local mode=$1 run=$work/$1
    mkdir -m 700 "$run" "$run/runtime"
    local env=(XDG_RUNTIME_DIR="$run/runtime" XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
               HOME="$run" LIBGL_ALWAYS_SOFTWARE=1)
    env "${env[@]}" dbus-daemon --session --nofork --nopidfile \
        --address="unix:path=$run/runtime/bus" >"$run/dbus.log" 2>&1 &
    pids+=($!)
    wait_for 30 test -S "$run/runtime/bus"
    env+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$run/runtime/bus")

    local args=(mutter --wayland --nested --wayland-display=wayland-vellacor)
    [[ $mode == wayland ]] && args+=(--no-x11)
    env "${env[@]}" DISPLAY="$host" MUTTER_DEBUG_DUMMY_MODE_SPECS="${width}x${height}" \
        "${args[@]}" >"$run/mutter.log" 2>&1 &
    pids+=($!)
    local app_env=("${env[@]}" WAYLAND_DISPLAY=wayland-vellacor QT_LOGGING_RULES='qt.qpa.*=true')
    local xdisplay='' xauth=''
    if ! wait_for 30 test -S "$run/runtime/wayland-vellacor"; then
        check "$mode: GNOME's compositor starts" false
        tail -n 20 "$run/mutter.log"
        stop_all
        return
    fi
    if [[ $mode == xwayland ]]; then
        wait_for 30 grep -q 'Using public X11 display' "$run/mutter.log"
        xdisplay=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$run/mutter.log" | head -n 1)
        wait_for 30 compgen -G "$run/runtime/.mutter-Xwaylandauth.*" >/dev/null
        xauth=$(compgen -G "$run/runtime/.mutter-Xwaylandauth.*" | head -n 1)
        app_env+=(DISPLAY="$xdisplay" XAUTHORITY="$xauth")
    fi

    # An unset QT_QPA_PLATFORM, as in a desktop session: Vellacor chooses.
    (cd "$run" && exec env -u QT_QPA_PLATFORM -u DISPLAY "${app_env[@]}" "$program") \
        >"$run/vellacor.log" 2>&1 &
    local app=$!
    pids+=("$app")
    local platform=wayland
    [[ $mode == xwayland ]] && platform=xcb
    check "$mode: Vellacor starts on the $platform platform" \
        wait_for 30 grep -q "qt\.qpa\.$platform" "$run/vellacor.log"

    local x=(env DISPLAY="$xdisplay" XAUTHORITY="$xauth")
    # Vellacor's own window of that title: mutter 48 titles its frame windows too.
    window() {
        local id
        for id in $("${x[@]}" xdotool search --onlyvisible --name "$1" 2>/dev/null); do
            if "${x[@]}" xprop -id "$id" WM_CLASS 2>/dev/null | grep -q '"vellacor"'; then
                echo "$id"
                return 0
            fi
        done
        return 1
    }
    shown() { window "$1" >/dev/null; }
    if [[ $mode == xwayland ]]; then
        check "$mode: the main window is shown" \
            wait_for 30 shown "^Vellacor 1\\.1$"
        sleep 1 # the compositor frames and places it
        local id geometry extents
        id=$(window '^Vellacor 1\.1$')
        geometry=$("${x[@]}" xwininfo -id "$id" 2>/dev/null)
        extents=$("${x[@]}" xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -oE '[0-9]+' | tr '\n' ' ')
        local ax ay w h l r t b
        ax=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
        ay=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
        w=$(awk '/Width:/ {print $2}' <<<"$geometry")
        h=$(awk '/Height:/ {print $2}' <<<"$geometry")
        read -r l r t b <<<"${extents:-0 0 0 0}"
        local cx=$(((2 * (ax - l) + w + l + r) / 2)) cy=$(((2 * (ay - t) + h + t + b) / 2))
        echo "  main window ${w}x${h} at $ax,$ay, frame extents ${l:-0} ${r:-0} ${t:-0} ${b:-0}:" \
            "frame centre $cx,$cy on a ${width}x${height} screen"
        check "$mode: the main window is centred with its frame" \
            test $((cx - width / 2)) -ge -1 -a $((cx - width / 2)) -le 1 \
            -a $((cy - height / 2)) -ge -1 -a $((cy - height / 2)) -le 1
    else
        # A native Wayland window cannot be asked for from outside; the keys below reach it
        # only if it is shown and has the focus.
        sleep 3
        check "$mode: Vellacor is running" kill -0 "$app"
    fi

    keys type --delay 50 50
    keys key alt+c
    if [[ $mode == xwayland ]]; then
        check "$mode: Alt+C opens Detail Report" \
            wait_for 20 shown '^Detail Report$'
    fi
    sleep 2
    # Detail Report opens with the focus on Save To Notepad: the save dialog, a name, Return,
    # and Return again for the "File Saved" box.
    keys key alt+s
    sleep 2
    # The dialog opens in Vellacor's working folder, $run. A name that begins like nothing in
    # it: the completer's popup would take a key of a name that does (native Wayland).
    keys type --delay 40 plan
    keys key Return
    wait_for 10 test -s "$run/plan.txt"
    sleep 1
    keys key Return
    local lines=0
    [[ -f "$run/plan.txt" ]] && lines=$(grep -c $'\r$' "$run/plan.txt")
    echo "  $run/plan.txt: $lines lines"
    check "$mode: the report saved through the dialog has 27 lines (23 + 4 subnets)" \
        test "$lines" -eq 27
    if ! kill -0 "$app" 2>/dev/null || ((failed)); then
        echo "  --- Vellacor's log"
        grep -v 'qt.qpa' "$run/vellacor.log" | tail -n 20
    fi
    stop_all
}

for mode in "${modes[@]}"; do
    echo "== GNOME (mutter), $([[ $mode == xwayland ]] && echo with || echo without) XWayland"
    session "$mode"
done
echo "$passed passed, $failed failed"
((failed == 0))
