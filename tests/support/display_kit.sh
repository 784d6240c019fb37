# Sourced by whatever drives a program on a virtual X display (the Qt and the
# Wine end-to-end cases, the program figures): the display, screenshots of
# $WINDOW, waits for a picture, pop-ups, the newest log and a window manager. Needs $WORK and a
# track_pid that takes the server's pid (cleanup_kit.sh has one).

# Starts Xvfb and exports DISPLAY (the server's pid in DISPLAY_PID); tries
# three times and returns 1, with the server's own words, when none gave a
# usable display. Xvfb picks a free display number and writes it to fd 3 once
# it listens. -noreset: by default the server resets whenever its last client
# leaves, and a program connecting during the reset is refused (Qt then
# aborts), so a case that closes the program and starts it again would fail
# at random.
start_display() {
    local attempt pid
    for attempt in 1 2 3; do
        : >"$WORK/display"
        exec 3>"$WORK/display"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -ac >"$WORK/xvfb.log" 2>&1 &
        pid=$!
        track_pid $pid
        exec 3>&-
        for _ in $(seq 100); do
            [ -s "$WORK/display" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -s "$WORK/display" ]; then
            export DISPLAY=":$(head -n1 "$WORK/display")"
            for _ in $(seq 50); do
                if xdotool getdisplaygeometry >/dev/null 2>&1; then
                    DISPLAY_PID=$pid
                    return 0
                fi
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
        kill "$pid" 2>/dev/null
        echo "Xvfb attempt $attempt did not give a usable display:" >&2
        tail -n 5 "$WORK/xvfb.log" >&2
    done
    return 1
}

# A screenshot of $WINDOW (its client area when no window manager runs) as a
# binary PPM. A picture that cannot be had in a few seconds counts as a failed try.
screenshot() {  # $1 = output file
    timeout 10 import -silent -window "$WINDOW" -depth 8 "ppm:$1" 2>/dev/null
}

# Takes screenshots until the checker ($CHECK) passes one; each check may take
# a while on a busy machine, so the limit is in seconds rather than tries. The
# last picture is kept as $PICTURES-$CASE.ppm, and fail (the caller's) says what.
wait_for_picture() {  # $1 = what, then the checker's arguments after the file
    local what=$1 deadline=$((SECONDS + 60))
    shift
    while [ $SECONDS -lt $deadline ]; do
        if screenshot "$WORK/shot.ppm" &&
            python3 "$CHECK" "$1" "$WORK/shot.ppm" "${@:2}" >"$WORK/check.out"; then
            return 0
        fi
        sleep 0.2
    done
    local kept=$PICTURES-$CASE.ppm
    cp "$WORK/shot.ppm" "$kept" 2>/dev/null
    cat "$WORK/check.out" >&2
    fail "$what (last picture: $kept)"
}

# The mapped override-redirect windows on the display (tooltips, pop-ups).
popup_windows() {
    local id
    for id in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id"
    done
}

# The newest log in a folder.
newest_log() { ls -t "$1"/*.log 2>/dev/null | head -n1; }

# Polls the command until it succeeds; false once $1 seconds have passed.
wait_until() {  # $1 = seconds, then the command
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# A window manager for the cases that maximise: starts openbox with Super+F10
# bound to maximise and un-maximise. Then the window's state and size.
start_window_manager() {
    cat >"$WORK/rc.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard><keybind key="W-F10"><action name="ToggleMaximize"/></keybind></keyboard>
</openbox_config>
XML
    openbox --config-file "$WORK/rc.xml" >"$WORK/openbox.log" 2>&1 &
    track_pid $!
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_until 30 wm_running || fail "openbox did not start"
}

maximized() { xprop -id "$WINDOW" _NET_WM_STATE | grep -q _NET_WM_STATE_MAXIMIZED_HORZ; }
normal() { ! maximized; }
client_size() { xdotool getwindowgeometry "$WINDOW" | sed -n 's/^ *Geometry: //p'; }
has_size() { [ "$(client_size)" = "$1" ]; }
toggle_maximized() {
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
    xdotool key --clearmodifiers super+F10
}
