#!/usr/bin/env bash
# Two windows at once, on two meters, sharing one home: both start with
# automatic detection and no last log, then end in the case's way and order
# (Escape, SIGTERM, kill -9), and one more start recovers what was left.
# Afterwards every reading each window logged is in some log, each log holds
# readings of its own port's meter only and none twice, and no reading of a
# meter is missing between its first and last logged one (a probe that took
# bytes from the other window's port would leave such a gap).
# Usage: two_windows.sh <case> <zintavo binary> <zintavo-sim binary>
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/fault_lib.sh"

# Meter A on COM201 counts from 10001, meter B on COM202 from 50001.
declare -A FIRST=([201]=10001 [202]=50001)
declare -A SIM_PIDS DEVICES WINDOWS PROGRAMS

start_meter() {  # $1 = port
    local home=$HOME port=$1
    write_numbered_script "$home/meter$port.txt" 20 "${FIRST[$port]}" $((FIRST[$port] + 9000))
    "$SIM" --port "$port" --script "$home/meter$port.txt" --rate 10 \
        >"$home/sim$port.out" 2>"$home/sim$port.err" &
    SIM_PIDS[$port]=$!
    PIDS+=($!)
    for _ in $(seq 100); do
        DEVICES[$port]=$(sed -n "s/^COM$port //p" "$home/sim$port.out" 2>/dev/null)
        [ -n "${DEVICES[$port]}" ] && return 0
        sleep 0.1
    done
    fail "the simulator on COM$port did not come up"
}

holds() {  # $1 = pid, $2 = device
    local fd
    for fd in /proc/"$1"/fd/*; do
        [ "$(readlink "$fd" 2>/dev/null)" = "$2" ] && return 0
    done
    return 1
}

# Starts a window that must find the meter on port $1 by itself.
start_window() {  # $1 = the port it must end up on
    local port=$1 before window
    before=$(xdotool search --name "Vorrelind - Zintavo" 2>/dev/null | sort)
    "$HOME/bin/zintavo" >"$HOME/program$port.log" 2>&1 &
    PROGRAMS[$port]=$!
    PIDS+=($!)
    for _ in $(seq 200); do
        window=$(comm -13 <(echo "$before") \
            <(xdotool search --name "Vorrelind - Zintavo" 2>/dev/null | sort) | head -n1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { cat "$HOME/program$port.log"; fail "no window for COM$port"; }
    WINDOWS[$port]=$window
    wait_until 20 holds "${PROGRAMS[$port]}" "${DEVICES[$port]}" ||
        fail "the window for COM$port never opened its meter"
}

journal_of() {  # $1 = pid: the journal file it holds
    local fd target
    for fd in /proc/"$1"/fd/*; do
        target=$(readlink "$fd" 2>/dev/null)
        [[ $target == */journal*.txt ]] && { echo "$target"; return 0; }
    done
    return 1
}

journal_readings_of() { sed -n 's/^R //p' "$1" | tr -d '\r'; }

enough_in_journal() {  # $1 = pid
    local journal
    journal=$(journal_of "$1") || return 1
    [ "$(journal_readings_of "$journal" | wc -l)" -ge 10 ]
}

end_window() {  # $1 = port, $2 = escape | term | kill
    local port=$1 pid=${PROGRAMS[$1]} journal status
    case $2 in
        escape)
            xdotool windowfocus --sync "${WINDOWS[$port]}" 2>/dev/null ||
                xdotool windowfocus "${WINDOWS[$port]}"
            xdotool key --clearmodifiers Escape
            ;;
        term) kill -TERM "$pid" ;;
        kill)
            journal=$(journal_of "$pid") || fail "the window for COM$port holds no journal"
            kill -KILL "$pid"
            wait "$pid" 2>/dev/null
            journal_readings_of "$journal" >>"$WORK/kept$port"
            echo "COM$port killed with $(wc -l <"$WORK/kept$port") readings in its journal"
            return 0
            ;;
    esac
    wait_until 30 bash -c "! kill -0 $pid 2>/dev/null" || fail "the window for COM$port did not end"
    wait "$pid"
    status=$?
    [ $status -eq 0 ] || { cat "$HOME/program$port.log"; fail "COM$port ended with $status"; }
}

# The case names the ends of the window on COM201, then of the one on COM202,
# in the order they happen.
run_two() {  # $1 = first port to end, $2 = its end, $3 = second port, $4 = its end
    local home=$WORK/user
    prepare_home "$home" 0
    use_home "$home"
    : >"$WORK/kept201"
    : >"$WORK/kept202"
    start_meter 201
    start_meter 202
    start_window 201
    # The first window keeps the port it found; the second looks for a meter
    # again, and its probes must leave the first window's line alone.
    sed -i 's/^Port=.*/Port=0/' "$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf"
    start_window 202
    wait_until 30 enough_in_journal "${PROGRAMS[201]}" || fail "COM201 logged too little"
    wait_until 30 enough_in_journal "${PROGRAMS[202]}" || fail "COM202 logged too little"
    end_window "$1" "$2"
    sleep 1
    end_window "$3" "$4"
    kill -TERM "${SIM_PIDS[201]}" "${SIM_PIDS[202]}"

    # One more start takes over whatever the ended windows left.
    start_program "$home"
    sleep 2
    press_escape
    wait_program
    check_logs
}

check_logs() {
    local log port counts first last
    : >"$WORK/all201"
    : >"$WORK/all202"
    for log in "$HOME"/bin/*.log; do
        [[ $log =~ \.COM(20[12])\. ]] || fail "a log of another port: $log"
        port=${BASH_REMATCH[1]}
        counts=$(logged_counts "$log") || fail "$log holds foreign lines"
        [ -z "$(sort -n <<<"$counts" | uniq -d)" ] || fail "$log holds a reading twice"
        first=${FIRST[$port]}
        awk -v lo="$first" '$1 < lo || $1 >= lo + 40000 { bad = 1 } END { exit bad }' \
            <<<"$counts" || fail "$log holds a reading of the other meter"
        echo "$counts" >>"$WORK/all$port"
        echo "$log: $(wc -l <<<"$counts") readings"
    done
    for port in 201 202; do
        local got
        got=$(sort -nu "$WORK/all$port")
        [ -n "$got" ] || fail "no reading of COM$port in any log"
        expect_each_once "$(head -n1 <<<"$got")" "$(tail -n1 <<<"$got")" <<<"$got"
        # Whatever a killed window held in its journal is in a log now.
        while IFS= read -r line; do
            grep -qxF "$(cut -c23- <<<"$line" | awk '{ print $1 + 0 }')" <<<"$got" ||
                fail "the kept reading '$line' of COM$port is in no log"
        done <"$WORK/kept$port"
        echo "COM$port: readings $(head -n1 <<<"$got") to $(tail -n1 <<<"$got"), each in a log"
    done
}

case_escape_term() { run_two 201 escape 202 term; }
case_kill_escape() { run_two 201 kill 202 escape; }
case_kill_term_reversed() { run_two 202 kill 201 term; }
case_kill_kill() { run_two 202 kill 201 kill; }

run_case
