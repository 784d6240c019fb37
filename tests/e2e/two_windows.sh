#!/usr/bin/env bash
# Several windows at once, on one, two or three meters, sharing one home: each
# must end on a meter of its own (or, with one meter, take it over once the
# window holding it closes), then the windows end in the case's way and order
# (Escape, SIGTERM, kill -9), and one more start recovers what was left.
# Afterwards every reading each window logged is in some log, each log holds
# readings of its own port's meter only and none twice, and no reading of a
# meter is missing between its first and last logged one (a probe that took
# bytes from another window's port would leave such a gap).
# "A window opened its meter" means its main link logged one of that meter's
# readings: a probe holding the port for a moment does not count.
# Usage: two_windows.sh <case> <zintavo binary> <zintavo-sim binary>
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/fault_lib.sh"

# Meter A on COM201 counts from 10001, B on COM202 from 50001, C on COM203 from 30001.
declare -A FIRST=([201]=10001 [202]=50001 [203]=30001)
READINGS=9000
declare -A SIM_PIDS DEVICES PID_OF WINDOW_OF METER_OF
METERS=()

start_meter() {  # $1 = port
    local home=$HOME port=$1
    write_numbered_script "$home/meter$port.txt" 20 "${FIRST[$port]}" $((FIRST[$port] + READINGS))
    "$SIM" --port "$port" --script "$home/meter$port.txt" --rate 10 \
        >"$home/sim$port.out" 2>"$home/sim$port.err" &
    SIM_PIDS[$port]=$!
    track_pid $!
    METERS+=("$port")
    meter_ready() { DEVICES[$port]=$(sed -n "s/^COM$port //p" "$home/sim$port.out" 2>/dev/null); [ -n "${DEVICES[$port]}" ]; }
    wait_until 30 meter_ready ||
        { cat "$home/sim$port.err"; fail "the simulator on COM$port did not come up within 30 s"; }
}

set_port_setting() { sed -i "s/^Port=.*/Port=$1/" "$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf"; }

# Starts window $1's program without waiting for it, so that several start
# within the same second.
launch() {  # $1 = label
    "$HOME/bin/zintavo" >"$HOME/program$1.log" 2>&1 &
    PID_OF[$1]=$!
    track_pid $!
}

window_shown() {  # $1 = label
    WINDOW_OF[$1]=$(xdotool search --all --onlyvisible --pid "${PID_OF[$1]}" --name "Vorrelind - Zintavo" 2>/dev/null |
        head -n1)
    [ -n "${WINDOW_OF[$1]}" ]
}

# Whether window $1 logs readings of some meter; sets METER_OF.
logs_a_meter() {  # $1 = label
    local port
    for port in "${METERS[@]}"; do
        if journaled_between "${PID_OF[$1]}" "${FIRST[$port]}" $((FIRST[$port] + READINGS)); then
            METER_OF[$1]=$port
            return 0
        fi
    done
    return 1
}

enough_logged() {  # $1 = label
    local journal
    journal=$(journal_of "${PID_OF[$1]}") || return 1
    [ "$(journal_counts "$journal" | wc -l)" -ge 10 ]
}

# Waits until window $1 shows and logs a meter: $2 when given, any otherwise.
expect_meter() {  # $1 = label, $2 = port
    wait_until 60 window_shown "$1" || { cat "$HOME/program$1.log"; fail "window $1 never showed"; }
    wait_until 60 logs_a_meter "$1" ||
        { cat "$HOME/program$1.log"; fail "window $1 logged no meter's reading within 60 s"; }
    [ -z "${2:-}" ] || [ "${METER_OF[$1]}" = "$2" ] ||
        fail "window $1 took the meter on COM${METER_OF[$1]}, not the one on COM$2"
    echo "window $1 logs the meter on COM${METER_OF[$1]}"
}

# Each window on a meter of its own.
expect_own_meters() {  # labels
    local label taken=""
    for label; do
        [[ " $taken " != *" ${METER_OF[$label]} "* ]] ||
            fail "two windows log the meter on COM${METER_OF[$label]}"
        taken+=" ${METER_OF[$label]}"
    done
}

end_window() {  # $1 = label, $2 = escape | term | kill
    local label=$1 pid=${PID_OF[$1]} journal status
    case $2 in
        escape)
            xdotool windowfocus --sync "${WINDOW_OF[$label]}" 2>/dev/null ||
                xdotool windowfocus "${WINDOW_OF[$label]}"
            xdotool key --clearmodifiers Escape
            ;;
        term) kill -TERM "$pid" ;;
        kill)
            journal=$(journal_of "$pid") || fail "window $label holds no journal"
            kill -KILL "$pid"
            wait "$pid" 2>/dev/null
            sed -n 's/^R //p' "$journal" | tr -d '\r' >>"$WORK/kept"
            echo "window $label killed with $(wc -l <"$WORK/kept") readings kept in journals"
            return 0
            ;;
    esac
    ended() { ! kill -0 "$pid" 2>/dev/null; }
    wait_until 60 ended || fail "window $label did not end within 60 s"
    wait "$pid"
    status=$?
    [ $status -eq 0 ] || { cat "$HOME/program$label.log"; fail "window $label ended with $status"; }
}

prepare_shared_home() {  # meters
    local home=$WORK/user port
    prepare_home "$home" 0
    use_home "$home"
    : >"$WORK/kept"
    for port; do start_meter "$port"; done
}

# One more start takes over whatever the ended windows left, then the logs are checked.
recover_and_check() {
    local port
    for port in "${METERS[@]}"; do kill -TERM "${SIM_PIDS[$port]}"; done
    start_program "$HOME"
    sleep 2
    press_escape
    wait_program
    check_logs
}

# The first window takes COM201 and keeps it; the second looks for a meter
# with Port=0 again, and its probes must leave the first window's line alone.
# $1 and $3 name the windows on COM201 (a) and COM202 (b) in the order they end.
run_two() {  # $1 = first window to end, $2 = its end, $3 = second window, $4 = its end
    prepare_shared_home 201 202
    launch a
    expect_meter a 201
    set_port_setting 0
    launch b
    expect_meter b 202
    wait_until 30 enough_logged a || fail "window a logged too little"
    wait_until 30 enough_logged b || fail "window b logged too little"
    end_window "$1" "$2"
    sleep 1
    end_window "$3" "$4"
    recover_and_check
}

# All windows start within the same second, each with automatic detection.
run_together() {  # $1 = meters, $2 = the order and ways the windows end ("b:kill a:term")
    local labels=(a b c) label end
    read -r -a meters <<<"$1"
    prepare_shared_home "${meters[@]}"
    labels=("${labels[@]:0:${#meters[@]}}")
    for label in "${labels[@]}"; do launch "$label"; done
    for label in "${labels[@]}"; do expect_meter "$label"; done
    expect_own_meters "${labels[@]}"
    for label in "${labels[@]}"; do
        wait_until 30 enough_logged "$label" || fail "window $label logged too little"
    done
    for end in $2; do end_window "${end%%:*}" "${end#*:}"; done
    recover_and_check
}

check_logs() {
    local log port counts first
    declare -A all
    for log in "$HOME"/bin/*.log; do
        [[ $log =~ \.COM(20[123])\. ]] || fail "a log of another port: $log"
        port=${BASH_REMATCH[1]}
        counts=$(logged_counts "$log") || fail "$log holds foreign lines"
        [ -z "$(sort -n <<<"$counts" | uniq -d)" ] || fail "$log holds a reading twice"
        first=${FIRST[$port]}
        awk -v lo="$first" '$1 < lo || $1 > lo + 9000 { bad = 1 } END { exit bad }' \
            <<<"$counts" || fail "$log holds a reading of another meter"
        # A meter taken over by a second window leaves one gap, while neither
        # held it; each window's own stay on it is one unbroken run.
        if [ "${GAP_ALLOWED:-}" = "$port" ]; then
            expect_each_once "$(head -n1 <<<"$counts")" "$(tail -n1 <<<"$counts")" <<<"$counts"
        fi
        all[$port]+="$counts"$'\n'
        echo "$log: $(wc -l <<<"$counts") readings"
    done
    for port in "${METERS[@]}"; do
        local got
        got=$(sed '/^$/d' <<<"${all[$port]:-}" | sort -nu)
        [ -n "$got" ] || fail "no reading of COM$port in any log"
        [ "${GAP_ALLOWED:-}" = "$port" ] ||
            expect_each_once "$(head -n1 <<<"$got")" "$(tail -n1 <<<"$got")" <<<"$got"
        echo "COM$port: readings $(head -n1 <<<"$got") to $(tail -n1 <<<"$got")"
    done
    # Whatever a killed window held in its journal is in a log now.
    local line count
    while IFS= read -r line; do
        count=$(cut -c23- <<<"$line" | awk '{ print $1 + 0 }')
        cat "$HOME"/bin/*.log | cut -c23- | awk -v c="$count" '$1 + 0 == c { found = 1 } END { exit !found }' ||
            fail "the kept reading '$line' is in no log"
    done <"$WORK/kept"
}

case_escape_term() { run_two a escape b term; }
case_kill_escape() { run_two a kill b escape; }
case_kill_term_reversed() { run_two b kill a term; }
case_kill_kill() { run_two b kill a kill; }

# Started together, ended in the order they started, and the other way round.
case_together() { run_together "201 202" "a:escape b:term"; }
case_together_reversed() { run_together "201 202" "b:kill a:escape"; }
case_three_together() { run_together "201 202 203" "c:term a:kill b:escape"; }

# A later window finds the first one's port saved and held: it takes the other meter.
case_saved_port_held() {
    prepare_shared_home 201 202
    launch a
    expect_meter a 201
    grep -q '^Port=201$' "$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf" || fail "COM201 was not saved"
    launch b
    expect_meter b 202
    end_window b escape
    end_window a term
    recover_and_check
}

# One meter, two windows: the second takes the meter over when the first closes.
case_takeover() {
    prepare_shared_home 201
    launch a
    expect_meter a 201
    set_port_setting 0
    launch b
    wait_until 60 window_shown b || fail "window b never showed"
    wait_until 30 enough_logged a || fail "window a logged too little"
    logs_a_meter b && fail "window b logs the meter that window a holds"
    end_window a escape
    expect_meter b 201
    wait_until 30 enough_logged b || fail "window b logged too little after the takeover"
    end_window b term
    GAP_ALLOWED=201
    recover_and_check
}

run_case
