# Helpers for the end-to-end cases of zintavo.exe under Wine on a virtual X
# display. Source it after sim_port.sh; needs WINEPREFIX and ZINTAVO_SIM.
# No window manager runs unless a case starts one: keys go to the window
# under the pointer.

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CHECK="$HERE/../e2e/screen_check.py"
PICTURES=/tmp/zintavo-wine
source "$HERE/../support/display_kit.sh"
WORK=$SIM_WORK
SETTINGS_KEY='HKCU\Software\Vorrelind\Zintavo'

fail() {
    echo "FAIL ($CASE): $*" >&2
    rm -rf "/tmp/zintavo-wine-$CASE.work"; cp -r "$WORK" "/tmp/zintavo-wine-$CASE.work" 2>/dev/null
    [ -n "${PROGRAM_OUT:-}" ] && [ -s "$PROGRAM_OUT" ] && tail -n 20 "$PROGRAM_OUT" >&2
    exit 1
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
    window_moved
}

# Where the window's client area is on the screen now.
window_moved() {
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
