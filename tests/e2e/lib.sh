# Shared helpers of the end-to-end scripts: source it from a script called as
# <script> <case> <zintavo binary> <zintavo-sim binary>, define case_<name>
# functions, then call run_case.
# Exit 77 tells CTest the case was skipped (no Xvfb, no xdotool, no setpriv).
set -u
CASE=$1
PROGRAM=$2
SIM=$3
SKIP=77
PORT=201
# Three readings of DC volts, told apart by their counts: 12.34, 23.45, 34.56 VDC.
SCRIPT_VALUES=("12.34" "23.45" "34.56")

# The program must show its window on the virtual display, whatever the test
# environment asks of other tests.
export QT_QPA_PLATFORM=xcb

skip() { echo "SKIPPED: $*"; exit $SKIP; }
fail() { echo "FAILED: $*"; exit 1; }

command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v xdotool >/dev/null || skip "xdotool is not installed"

# Polls the command until it succeeds; false once $1 seconds have passed.
# The work folder, and everything the case starts or mounts, go when it ends.
source "$(dirname "${BASH_SOURCE[0]}")/../support/cleanup_kit.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../support/display_kit.sh"
make_work
chmod 755 "$WORK"
# Whatever a case runs as another user comes from here, not from a checkout
# that other users may not read (a clone in a 0700 home).
cp "$(dirname "$0")/lsan.supp" "$SIM" "$WORK/"
SIM=$WORK/$(basename "$SIM")
# Sanitizer builds: leaks inside system libraries are theirs, not ours.
export LSAN_OPTIONS="suppressions=$WORK/lsan.supp:print_suppressions=0"
# The user the program runs as (changed by the unwritable-folder case).
AS_USER=()

# A home for one user: settings with the simulator's port, data folder, executable.
prepare_home() {  # $1 = folder, $2 = Port setting
    local home=$1
    mkdir -p "$home/cfg/Vorrelind" "$home/data" "$home/bin"
    printf '[General]\nPort=%s\n' "$2" >"$home/cfg/Vorrelind/Zintavo.conf"
    cp "$PROGRAM" "$home/bin/zintavo"
    printf '1 0 3 1234\n1 0 3 2345\n1 0 3 3456\n' >"$home/script.txt"
}

use_home() {
    export XDG_CONFIG_HOME="$1/cfg" XDG_DATA_HOME="$1/data" HOME="$1"
    export XDG_RUNTIME_DIR="$1/run"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

# Starts the simulator on $PORT; sets SIM_PID and SIM_DEVICE (its pseudo-terminal).
start_sim() {  # $1 = home, then simulator options (default: the home's script, forever, 10/s)
    local home=$1
    shift
    [ $# -gt 0 ] || set -- --script "$home/script.txt" --repeat 0 --rate 10
    rm -f "$home/sim.out"
    "${AS_USER[@]}" "$SIM" --port $PORT "$@" >"$home/sim.out" 2>"$home/sim.err" &
    SIM_PID=$!
    track_pid $SIM_PID
    sim_ready() { SIM_DEVICE=$(sed -n "s/^COM$PORT //p" "$home/sim.out" 2>/dev/null); [ -n "$SIM_DEVICE" ]; }
    wait_until 30 sim_ready && return 0
    cat "$home/sim.err"
    fail "the simulator did not say within 30 s which pseudo-terminal it opened"
}

stop_sim() {
    kill -TERM "$SIM_PID" 2>/dev/null
    wait "$SIM_PID" 2>/dev/null
}

# The window of the program started last: a window not there before it.
new_window() {  # $1 = the windows there before
    WINDOW=$(comm -13 <(echo "$1") \
        <(xdotool search --name "Vorrelind - Zintavo" 2>/dev/null | sort) | head -n1)
    [ -n "$WINDOW" ]
}

start_program() {  # $1 = home, $2 = its output (default program.log)
    local before
    before=$(xdotool search --name "Vorrelind - Zintavo" 2>/dev/null | sort)
    "${AS_USER[@]}" "$1/bin/zintavo" >"$1/${2:-program.log}" 2>&1 &
    PROGRAM_PID=$!
    track_pid $PROGRAM_PID
    wait_until 60 new_window "$before" ||
        { cat "$1/${2:-program.log}"; fail "no window appeared within 60 s"; }
}

program_ended() { ! kill -0 "$PROGRAM_PID" 2>/dev/null; }

# Waits for the program to end; its exit status must be 0.
wait_program() {
    wait_until 60 program_ended || fail "the program did not end within 60 s"
    wait "$PROGRAM_PID"
    local status=$?
    [ $status -eq 0 ] || { cat "$HOME/program.log"; fail "exit status $status"; }
}

press_escape() {
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
    xdotool key --clearmodifiers Escape
}

# Every line is one scripted reading, in the script's order, CR LF ended. A
# new run starts the script afresh: its first line ($3, counted from 1) may
# follow any other.
check_log_lines() {  # $1 = file, $2 = minimum line count, $3 = first line of a later run
    local file=$1 count=0 previous=-1 restart=${3:-0}
    [ -f "$file" ] || fail "no log file"
    grep -q $'\r$' "$file" || fail "log lines do not end in CR LF"
    while IFS= read -r line; do
        line=${line%$'\r'}
        [[ $line =~ ^[\ 0-9]{2}/[0-9]{2}/[0-9]{4}\ [\ 0-9]{2}:[0-9]{2}:[0-9]{2}[AP]M\ +([0-9.]+)\ VDC$ ]] ||
            fail "unexpected log line: '$line'"
        local value=${BASH_REMATCH[1]} index=-1
        [ $((count + 1)) -eq "$restart" ] && previous=-1
        for i in "${!SCRIPT_VALUES[@]}"; do
            [ "${SCRIPT_VALUES[$i]}" = "$value" ] && index=$i
        done
        [ $index -ge 0 ] || fail "value $value was never sent"
        if [ $previous -ge 0 ] && [ $index -ne $(((previous + 1) % 3)) ]; then
            fail "reading missing or repeated before line $((count + 1)): $value"
        fi
        previous=$index
        count=$((count + 1))
    done <"$file"
    [ $count -ge "$2" ] || fail "only $count lines logged"
    echo "$file: $count lines"
}

logged_setting() { sed -n 's/^LogFile=//p' "$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf"; }

run_once() {  # $1 = home, $2 = how to end (escape|term)
    start_sim "$1"
    start_program "$1"
    sleep 4
    if [ "$2" = term ]; then kill -TERM "$PROGRAM_PID"; else press_escape; fi
    wait_program
    stop_sim
}

# Starts the virtual display and runs the case named on the command line.
run_case() {
    start_display || skip "Xvfb did not start"
    "case_$CASE" || exit 1
    echo "PASSED: $CASE"
}
