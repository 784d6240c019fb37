#!/usr/bin/env bash
# The long run: the simulator sends numbered readings back to back (the line's
# limit, about 17 a second) with occasional line noise for SOAK_MINUTES (default
# 30). Every intact frame must end up logged exactly once across the saved logs,
# and resident memory at the end must stay within SOAK_RSS_SLACK_KB (default
# 5 MB) of its size after the first history fill (SOAK_LIST_COUNT readings,
# default 2000).
# With SOAK_CASE=flood the line runs SOAK_SPEED (default 14) times faster than
# any meter sends, the default history of 32768 readings fills again and again,
# and the resident size at each fill must stay within SOAK_RSS_SLACK_KB (then
# default 10 MB) of its size at the first, over SOAK_CYCLES (default 11) fills.
# Usage: soak.sh <zintavo binary> <zintavo-sim binary>
set -- "${SOAK_CASE:-soak}" "$@"
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fault_lib.sh"

MINUTES=${SOAK_MINUTES:-30}
LIST_COUNT=${SOAK_LIST_COUNT:-2000}
RSS_SLACK_KB=${SOAK_RSS_SLACK_KB:-5120}
FRAMES_PER_SECOND=17
# Held readings (never logged) cover the time the program needs to open the port.
HELD=120
LAST=$((MINUTES * 60 * FRAMES_PER_SECOND))
# Counts have five digits.
[ $LAST -le 99999 ] || fail "SOAK_MINUTES=$MINUTES is more than five-digit counts can number"

stats_field() { sed -n "s/.*\\b$1=\\([0-9]*\\).*/\\1/p" "$HOME/stats.txt"; }

some_log_saved() { compgen -G "$HOME/bin/*.log" >/dev/null; }

case_soak() {
    local home=$WORK/user
    prepare_home "$home" $PORT
    printf 'ListCount=%s\n' "$LIST_COUNT" >>"$home/cfg/Vorrelind/Zintavo.conf"
    use_home "$home"
    write_numbered_script "$home/soak.txt" $HELD 1 $LAST

    start_program "$home"
    start_sim "$home" --script "$home/soak.txt" --rate 100 --garbage 0.01 --seed 1 \
        --stats "$home/stats.txt"
    wait_until 30 port_held || fail "the program never opened $SIM_DEVICE"
    local start=$SECONDS cpu0
    cpu0=$(cpu_ticks "$PROGRAM_PID")
    echo "sending $LAST numbered readings for about $MINUTES minutes"

    wait_until $((LIST_COUNT / FRAMES_PER_SECOND + 120)) some_log_saved ||
        fail "the history never filled"
    local rss_fill rss_max rss
    rss_fill=$(rss_kb "$PROGRAM_PID")
    rss_max=$rss_fill
    echo "first fill after $((SECONDS - start))s: RSS $rss_fill kB"

    local next_report=$((SECONDS + 60))
    while sim_running; do
        program_running || fail "the program ended during the run"
        rss=$(rss_kb "$PROGRAM_PID")
        [ "$rss" -gt "$rss_max" ] && rss_max=$rss
        if [ $SECONDS -ge $next_report ]; then
            echo "$(((SECONDS - start) / 60)) min: RSS $rss kB, $(ls "$home"/bin/*.log | wc -l) logs"
            next_report=$((SECONDS + 60))
        fi
        [ $((SECONDS - start)) -le $((MINUTES * 120 + 300)) ] || fail "the simulator did not end"
        sleep 2
    done
    local seconds=$((SECONDS - start)) cpu1 rss_end
    cpu1=$(cpu_ticks "$PROGRAM_PID") || fail "the program ended during the run"
    rss_end=$(rss_kb "$PROGRAM_PID")
    press_escape
    wait_program

    local logs=() counts
    mapfile -t logs < <(ls -tr "$home"/bin/*.log)
    counts=$(logged_counts "${logs[@]}") || fail "a log holds foreign lines"
    local intact lost logged first
    intact=$(($(stats_field frames_intact) - HELD))
    lost=$(stats_field bytes_lost)
    logged=$(wc -l <<<"$counts")
    first=$(sort -n <<<"$counts" | head -n1)
    echo "frames intact $intact (bytes lost on the line $lost), logged $logged in ${#logs[@]} logs"
    echo "RSS after the first fill $rss_fill kB, at the end $rss_end kB, highest $rss_max kB"
    echo "CPU $(cpu_percent $((cpu1 - cpu0)) $seconds)% of a core over ${seconds}s"

    [ "$first" -eq 1 ] || fail "the port opened late: readings before $first were sent unseen"
    local repeated
    repeated=$(sort -n <<<"$counts" | uniq -d | head -n3 | tr '\n' ' ')
    [ -z "$repeated" ] || fail "readings logged twice: $repeated"
    [ "$logged" -eq "$intact" ] || fail "$intact intact frames, $logged logged"
    # With nothing lost on the line, every reading sent is among them.
    [ "$lost" -ne 0 ] || expect_each_once 1 $LAST <<<"$counts"
    [ $((rss_end - rss_fill)) -le "$RSS_SLACK_KB" ] ||
        fail "memory grew by $((rss_end - rss_fill)) kB after the first fill"
}

# The flood: counts 1 to 60000 over and over, back to back at SOAK_SPEED times
# the line's rate; every reading after the first one logged follows the one
# before it, across every save and clear of the history.
case_flood() {
    local home=$WORK/user speed=${SOAK_SPEED:-14} cycles=${SOAK_CYCLES:-11}
    local slack=${SOAK_RSS_SLACK_KB:-10240}
    prepare_home "$home" $PORT
    use_home "$home"
    seq -f '1 0 0 %.0f' 1 60000 >"$home/flood.txt"
    start_program "$home"
    start_sim "$home" --script "$home/flood.txt" --repeat 0 --rate 100000 --speed "$speed"
    wait_until 30 port_held || fail "the program never opened $SIM_DEVICE"
    echo "flooding at $speed times the line's rate until $cycles histories have filled"
    local fills=0 logs rss first=0 highest=0 start=$SECONDS
    while [ $fills -lt "$cycles" ]; do
        program_running || fail "the program ended during the flood"
        [ $((SECONDS - start)) -le $((cycles * 600)) ] || fail "the histories fill too slowly"
        logs=$(ls "$home"/bin/*.log 2>/dev/null | wc -l)
        if [ "$logs" -gt $fills ]; then
            fills=$logs
            rss=$(rss_kb "$PROGRAM_PID")
            [ $first -eq 0 ] && first=$rss
            [ "$rss" -gt $highest ] && highest=$rss
            echo "fill $fills after $((SECONDS - start))s: RSS $rss kB"
        fi
        sleep 0.5
    done
    stop_sim
    press_escape
    wait_program
    echo "RSS after the first fill $first kB, highest after a later fill $highest kB"
    [ $((highest - first)) -le "$slack" ] || fail "memory grew by $((highest - first)) kB"
    local previous=-1 count lines=0
    while read -r count; do
        if [ $previous -ge 0 ] && [ "$count" -ne $((previous % 60000 + 1)) ]; then
            fail "reading $((previous % 60000 + 1)) was lost (next logged: $count)"
        fi
        previous=$count
        lines=$((lines + 1))
    done < <(logged_counts $(ls -tr "$home"/bin/*.log))
    echo "$lines readings logged, none lost"
}

run_case
