# Helpers for the end-to-end cases of zintavo.exe under Wine on a virtual X
# display. Source it after sim_port.sh; needs WINEPREFIX and ZINTAVO_SIM.
# No window manager runs: keys go to the window under the pointer.

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CHECK="$HERE/../e2e/screen_check.py"
WORK=$SIM_WORK
SETTINGS_KEY='HKCU\Software\Vorrelind\Zintavo'

fail() {
    echo "FAIL ($CASE): $*" >&2
    rm -rf "/tmp/zintavo-wine-$CASE.work"; cp -r "$WORK" "/tmp/zintavo-wine-$CASE.work" 2>/dev/null
    [ -n "${PROGRAM_OUT:-}" ] && [ -s "$PROGRAM_OUT" ] && tail -n 20 "$PROGRAM_OUT" >&2
    exit 1
}

start_display() {
    exec 3>"$WORK/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -ac >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    track_pid $XVFB_PID
    exec 3>&-
    local i
    for ((i = 0; i < 100; i++)); do [ -s "$WORK/display" ] && break; sleep 0.1; done
    [ -s "$WORK/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$WORK/display")"
}

wine_reg() { "$HERE/../win32/wine-run" reg "$@" >/dev/null 2>&1; }

# Fresh settings: the given port, no log, no maximised window; an empty journal.
reset_settings() {  # $1 = Port
    wine_reg delete "$SETTINGS_KEY" /f || true
    wine_reg add "$SETTINGS_KEY" /v Port /t REG_DWORD /d "$1" /f
    rm -f "$(journal_file)"
}

set_log_setting() { wine_reg add "$SETTINGS_KEY" /v LogFile /t REG_SZ /d "$1" /f; }

local_app_data() { echo "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"; }
journal_file() { echo "$(local_app_data)/Vorrelind/Zintavo/journal.txt"; }

# A Windows path (Z:\...) for a file of this machine.
windows_path() { echo "Z:${1//\//\\}"; }

# Copies the program into its own folder, where a portable copy keeps its logs.
install_portable() {  # $1 = exe
    APP="$WORK/app"
    mkdir -p "$APP"
    cp "$1" "$APP/zintavo.exe"
}

start_program() {  # [exe] (default: the portable copy)
    local exe=${1:-$APP/zintavo.exe}
    PROGRAM_OUT="$WORK/program.out"
    "$HERE/../win32/wine-run" "$exe" >"$PROGRAM_OUT" 2>&1 &
    PROGRAM_PID=$!
    track_pid $PROGRAM_PID
    WINDOW=""
    local i
    for ((i = 0; i < 300; i++)); do
        WINDOW=$(xdotool search --onlyvisible --name "^Vorrelind - Zintavo$" 2>/dev/null | head -n1)
        [ -n "$WINDOW" ] && break
        kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended at start"
        sleep 0.1
    done
    [ -n "$WINDOW" ] || fail "no window appeared"
    # The window's client area on the screen.
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    WIN_X=$X WIN_Y=$Y
}

# Moves the pointer to a client position of the window (keys follow it).
point_at() { xdotool mousemove "$((WIN_X + $1))" "$((WIN_Y + $2))"; sleep 0.2; }

press() {  # keys...
    point_at 200 100
    xdotool key --clearmodifiers "$@"
}

wait_program() {
    local i
    for ((i = 0; i < 300; i++)); do
        kill -0 "$PROGRAM_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$PROGRAM_PID" 2>/dev/null && fail "the program did not end"
    wait "$PROGRAM_PID" || fail "exit status $?"
}

kill_program() {
    kill -KILL "$PROGRAM_PID"
    wait "$PROGRAM_PID" 2>/dev/null
    # Wine's server forgets the process once its loader is gone.
    sleep 1
}

screenshot() {  # $1 = file (binary PPM)
    # A picture that cannot be had in a few seconds counts as a failed try.
    timeout 10 import -silent -window "$WINDOW" -depth 8 "ppm:$1" 2>/dev/null
}

# Takes screenshots until the checker passes one (60 s at most).
wait_for_picture() {  # $1 = what, then the checker's arguments after the file
    local what=$1 deadline=$((SECONDS + 60))
    shift
    while [ $SECONDS -lt $deadline ]; do
        if screenshot "$WORK/shot.ppm" &&
            python3 "$CHECK" "$1" "$WORK/shot.ppm" "${@:2}" >"$WORK/check.out"; then
            return 0
        fi
        sleep 0.3
    done
    cp "$WORK/shot.ppm" "/tmp/zintavo-wine-$CASE.ppm" 2>/dev/null
    cat "$WORK/check.out" >&2
    fail "$what (last picture: /tmp/zintavo-wine-$CASE.ppm)"
}

newest_log() { ls -t "$1"/*.log 2>/dev/null | head -n1; }

# The override-redirect windows mapped on the display (tooltips, drop-downs).
popup_windows() {
    local id
    for id in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id"
    done
}
