#!/usr/bin/env bash
# Vellacor in a GNOME Wayland session, as its users run it: GNOME's compositor (mutter) in its
# headless mode with one virtual monitor, once with XWayland and once without.
#   gnome.sh PROGRAM [xwayland|wayland]...   (both when none is named)
#   SESSION_FAST_CLOSES=N (100) sets how many fast closes; SESSION_KEEP=1 keeps the logs.
# For each: Vellacor starts on the platform it should, the main window appears (with XWayland,
# on X11 and centred with its frame), a host count and Alt+C open "Detail Report", and a
# report saved through the save dialog has 23 + n lines. The keys are a keyboard's, through
# mutter's remote desktop interface (keys.py), so they reach a native Wayland window as they
# reach an X11 one. As a native Wayland client it also opens and closes a box (with Return,
# Space and Escape in turn) and the save dialog (Escape) a hundred times each, each closed as
# soon as it has the keyboard, then
# closes Detail Report with Alt+F4: it must still run, and with a Qt whose Wayland plugin
# races the compositor's answer to a window's last frame (before 6.4.3;
# SESSION_FRAME_RACE=1 says so) none of its windows may be destroyed while a frame callback
# asked for on it is unanswered (counted from its WAYLAND_DEBUG log by frames.py). Then closes that reach a window under its dialog (closes.py) and random actions
# (soak.py), each starting Vellacor itself; SESSION_CLOSE_TRIES=N (10) and
# SESSION_SOAK_ACTIONS=N (1000) set how many. Every step waits for what it needs, up to a
# limit. Each check is recorded for its own test (tests/lib.sh); the last line counts them,
# "N passed, M failed".
set -uo pipefail

program=$(realpath "$1")
shift
modes=("$@")
((${#modes[@]})) || modes=(xwayland wayland)
width=1280 height=800
fast_closes=${SESSION_FAST_CLOSES:-100}
frame_race=${SESSION_FRAME_RACE:-1}
close_tries=${SESSION_CLOSE_TRIES:-10}
soak_actions=${SESSION_SOAK_ACTIONS:-1000}

. "$(dirname "$0")/../lib.sh" # check, wait_for
# The helpers import one another; no cache of theirs is left in the source tree.
export PYTHONDONTWRITEBYTECODE=1

work=$(mktemp -d)
pids=()
stop_all() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    pids=()
    # The accessibility bus and registry that the session bus started on demand outlive it:
    # found by the session's runtime folder, which only they and this session have.
    for pid in /proc/[0-9]*; do
        { [[ "$(tr -d '\0' <"$pid/cmdline")" == *at-spi* ]] &&
            tr '\0' '\n' <"$pid/environ" | grep -q "^XDG_RUNTIME_DIR=$work/" &&
            kill "${pid#/proc/}"; } 2>/dev/null
    done
}
trap 'stop_all; [[ -n ${SESSION_KEEP:-} ]] || rm -rf "$work"' EXIT
helpers=$(dirname "$(realpath "$0")")
# XWayland puts its socket into /tmp/.X11-unix, which mutter 48 will not make itself. A desktop
# system has it from boot (systemd-tmpfiles); a bare machine or container may not.
[[ -d /tmp/.X11-unix ]] || mkdir -m 1777 /tmp/.X11-unix 2>/dev/null ||
    echo "note: /tmp/.X11-unix is missing and cannot be made here; XWayland may not start"

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

    local args=(mutter --wayland --headless --virtual-monitor "${width}x${height}"
                --wayland-display=wayland-vellacor)
    [[ $mode == wayland ]] && args+=(--no-x11)
    env -u DISPLAY -u WAYLAND_DISPLAY "${env[@]}" "${args[@]}" >"$run/mutter.log" 2>&1 &
    pids+=($!)
    local app_env=("${env[@]}" WAYLAND_DISPLAY=wayland-vellacor QT_LOGGING_RULES='qt.qpa.*=true')
    local xdisplay='' xauth=''
    check "session_${mode}_compositor" "$mode: GNOME's compositor starts" \
        wait_for 30 test -S "$run/runtime/wayland-vellacor"
    if [[ ! -S "$run/runtime/wayland-vellacor" ]]; then
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
    else
        # What the client says to the compositor: the titles of the windows it maps.
        app_env+=(WAYLAND_DEBUG=client)
    fi

    # The keyboard: the seat has one only while the remote desktop session runs, so it is
    # there before Vellacor starts. Each command is answered once its keys are sent.
    coproc KEYS { env "${env[@]}" /usr/bin/python3 "$helpers/keys.py" 2>"$run/keys.log"; }
    pids+=("$KEYS_PID")
    local ready=''
    read -r -t 30 ready <&"${KEYS[0]}"
    check "session_${mode}_keyboard" "$mode: a keyboard through mutter's remote desktop interface" \
        test "$ready" = ready
    if [[ $ready != ready ]]; then
        cat "$run/keys.log"
        stop_all
        return
    fi
    keys() {
        local reply=''
        echo "$*" >&"${KEYS[1]}"
        read -r -t 10 reply <&"${KEYS[0]}"
        [[ $reply == ok ]] || { echo "  keys: '$*' not sent"; cat "$run/keys.log"; }
    }

    # An unset QT_QPA_PLATFORM, as in a desktop session: Vellacor chooses.
    (cd "$run" && exec env -u QT_QPA_PLATFORM -u DISPLAY "${app_env[@]}" "$program") \
        >"$run/vellacor.log" 2>&1 &
    local app=$!
    pids+=("$app")
    local platform=wayland
    [[ $mode == xwayland ]] && platform=xcb
    check "session_${mode}_platform" "$mode: Vellacor starts on the $platform platform" \
        wait_for 30 grep -qs "qt\.qpa\.$platform" "$run/vellacor.log"

    local x=(env DISPLAY="$xdisplay" XAUTHORITY="$xauth")
    # Vellacor's own X11 window of that title: mutter 48 titles its frame windows too.
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
    # shown TITLE: Vellacor has a window of that title (a pattern for X11, exact on Wayland).
    shown() {
        if [[ $mode == xwayland ]]; then
            window "^${1//./\\.}\$" >/dev/null
        else
            grep -qF "set_title(\"$1\")" "$run/vellacor.log"
        fi
    }
    check "session_${mode}_main_window" "$mode: the main window is shown" wait_for 30 shown 'Vellacor 1.1'
    if [[ $mode == xwayland ]]; then
        # Placed and framed once mutter has given it frame extents, and centred after that.
        wait_for 10 test -n "$("${x[@]}" xprop -id "$(window '^Vellacor 1\.1$')" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '=')"
        local id geometry extents cx cy
        centre() {
            id=$(window '^Vellacor 1\.1$')
            geometry=$("${x[@]}" xwininfo -id "$id" 2>/dev/null)
            extents=$("${x[@]}" xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -oE '[0-9]+' | tr '\n' ' ')
            ax=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
            ay=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
            w=$(awk '/Width:/ {print $2}' <<<"$geometry")
            h=$(awk '/Height:/ {print $2}' <<<"$geometry")
            read -r l r t b <<<"${extents:-0 0 0 0}"
            cx=$(((2 * (ax - l) + w + l + r) / 2)) cy=$(((2 * (ay - t) + h + t + b) / 2))
            ((cx - width / 2 >= -1 && cx - width / 2 <= 1 && cy - height / 2 >= -1 && cy - height / 2 <= 1))
        }
        local ax ay w h l r t b
        wait_for 5 centre
        centred() {
            centre
            local status=$?
            echo "  main window ${w}x${h} at $ax,$ay, frame extents ${l:-0} ${r:-0} ${t:-0}" \
                "${b:-0}: frame centre $cx,$cy on a ${width}x${height} screen"
            return "$status"
        }
        check "session_${mode}_centred" "$mode: the main window is centred with its frame" centred
    fi

    # Keys go to the focused window, which mutter focuses some time after it is shown: each
    # step waits until the window it opens has the keyboard. On Wayland that is the count of
    # the keyboard's enter events past MARK, its count before the step (libwayland 1.23 and
    # later log an object as wl_keyboard#N, earlier ones as wl_keyboard@N).
    enters() { grep -cE 'wl_keyboard[@#][0-9]+\.enter\(' "$run/vellacor.log"; }
    entered() { (($(enters) > $1)); } # entered MARK
    focused() { # focused TITLE MARK
        if [[ $mode == xwayland ]]; then
            [[ "$("${x[@]}" xdotool getactivewindow getwindowname 2>/dev/null)" == "$1" ]]
        else
            shown "$1" && (($(enters) > $2))
        fi
    }
    # close_fast WHAT OPEN CLOSE...: opens a window with the keys OPEN and closes it as soon as
    # it has the keyboard, with each CLOSE in turn, $fast_closes times; each open waits for the
    # one before to be gone. The keyboard enters the window opened, then the window it returns
    # to.
    # Sets $made to the closes it made, and adds them to $closed.
    close_fast() {
        local what=$1 open=$2 i start close poll=0.01
        shift 2
        local closes=("$@")
        for ((i = 0; i < fast_closes; i++)); do
            start=$(enters)
            keys key "$open"
            if ! wait_for 10 entered "$start"; then
                echo "  $what: open $((i + 1)) has no keyboard focus"
                break
            fi
            close=${closes[i % ${#closes[@]}]}
            keys key "$close"
            if ! wait_for 10 entered $((start + 1)); then
                echo "  $what: close $((i + 1)) ($close) did not return the keyboard"
                break
            fi
        done
        made=$i
        closed=$((closed + i))
        echo "  $what: opened and closed $i times (${closes[*]} in turn)"
    }
    local mark=0 closed=0 made=0
    wait_for 10 focused 'Vellacor 1.1' 0 || echo "  the main window has no keyboard focus"
    # Closes as fast as the compositor allows: each box is answered as soon as it has the
    # keyboard, mostly before the compositor has answered its first frame.
    if [[ $mode == wayland ]]; then
        close_fast 'the "Vellacor" box of an empty Client Number' alt+c Return space Escape
        check "session_${mode}_fast_box_closes" "$mode: $fast_closes boxes closed as fast as they open" \
            test "$made" -eq "$fast_closes"
    fi
    keys type 50
    mark=$(enters)
    keys key alt+c
    check "session_${mode}_detail_report" "$mode: Alt+C opens Detail Report" wait_for 20 shown 'Detail Report'
    wait_for 10 focused 'Detail Report' "$mark" || echo "  Detail Report has no keyboard focus"
    # Detail Report opens with the focus on Save To Notepad: the save dialog, a name, Return,
    # and Return again for the "File Saved" box.
    mark=$(enters)
    keys key alt+s
    wait_for 20 focused 'Save As' "$mark" || echo "  no save dialog with the keyboard focus"
    # The dialog opens in Vellacor's working folder, $run. A name that begins like nothing in
    # it: the completer's popup would take a key of a name that does (native Wayland).
    keys type plan
    mark=$(enters)
    keys key Return
    wait_for 10 test -s "$run/plan.txt"
    wait_for 10 focused 'Save File' "$mark" || echo "  no box with the keyboard focus after saving"
    keys key Return
    local lines=0
    [[ -f "$run/plan.txt" ]] && lines=$(grep -c $'\r$' "$run/plan.txt")
    echo "  $run/plan.txt: $lines lines"
    check "session_${mode}_saved_report" \
        "$mode: the report saved through the dialog has 27 lines (23 + 4 subnets)" test "$lines" -eq 27
    if [[ $mode == wayland ]]; then
        wait_for 10 focused 'Detail Report' "$mark"
        close_fast 'the save dialog' alt+s Escape
        check "session_${mode}_fast_save_closes" "$mode: $fast_closes save dialogs closed as fast as they open" \
            test "$made" -eq "$fast_closes"
        mark=$(enters)
        keys key alt+f4
        wait_for 10 focused 'Vellacor 1.1' "$mark" && closed=$((closed + 1)) ||
            echo "  Detail Report did not close"
        # Each close destroys a window's surface at least; a log this cannot read, or that
        # shows fewer, says nothing of the closes.
        unanswered() {
            local frames destroyed
            frames=$(python3 "$helpers/frames.py" "$run/vellacor.log") || return 1
            echo "$frames" | sed 's/^/  /'
            destroyed=$(sed -n '1s/^\([0-9]*\) surfaces destroyed.*/\1/p' <<<"$frames")
            ((${destroyed:-0} >= closed)) || { echo "  fewer than the $closed closes made"; return 1; }
            grep -q ', 0 with a frame callback unanswered$' <<<"$frames"
        }
        # Later Qt destroys a callback the compositor has yet to answer safely, and Vellacor
        # leaves it to.
        if ((frame_race)); then
            check "session_${mode}_frame_callbacks" \
                "$mode: none of the $closed windows closed while a frame callback was unanswered" \
                unanswered
        fi
        check "session_${mode}_still_running" "$mode: Vellacor is still running after $closed closes" \
            kill -0 "$app"
        # The scripts below start Vellacor themselves, as often as they need.
        kill "$app" 2>/dev/null
        wait "$app" 2>/dev/null
        mkdir "$run/closes" "$run/soak"
        local python=(env "${app_env[@]}" /usr/bin/python3)
        check "session_${mode}_closes" \
            "$mode: a close under a dialog ends neither a window nor Vellacor ($close_tries tries of each case)" \
            "${python[@]}" "$helpers/closes.py" "$program" "$run/closes" "$close_tries"
        check "session_${mode}_soak" \
            "$mode: $soak_actions random actions: no crash, no hang, no report broken" \
            "${python[@]}" "$helpers/soak.py" "$program" "$run/soak" "$soak_actions"
    fi
    if ! kill -0 "$app" 2>/dev/null || ((failed)); then
        echo "  --- Vellacor's log"
        grep -vE 'qt\.qpa|^\[' "$run/vellacor.log" | tail -n 20
    fi
    stop_all
}

for mode in "${modes[@]}"; do
    echo "== GNOME (mutter), $([[ $mode == xwayland ]] && echo with || echo without) XWayland"
    session "$mode"
done
echo "$passed passed, $failed failed"
