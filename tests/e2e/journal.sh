#!/usr/bin/env bash
# The recovery journal of the real program: a run killed with SIGKILL loses no
# reading, and the next start brings each one back exactly once.
# Usage: journal.sh <case> <zintavo binary> <zintavo-sim binary>
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/fault_lib.sh"

journal_file() { echo "$XDG_DATA_HOME/Vorrelind/Zintavo/journal.txt"; }

# Reading records in the journal, as the log lines they stand for.
journal_readings() { sed -n 's/^R //p' "$(journal_file)" 2>/dev/null; }

# Waits until the running program has kept at least $1 readings in its journal.
wait_journal_readings() {
    local count=0
    for _ in $(seq 600); do
        count=$(journal_readings | wc -l)
        [ "$count" -ge "$1" ] && return 0
        kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended early"
        sleep 0.05
    done
    fail "only $count readings reached the journal"
}

# Waits for a log newer than $1 (a file name, or "" for any) in folder $2.
wait_new_log() {
    local log
    for _ in $(seq 300); do
        log=$(newest_log "$2")
        [ -n "$log" ] && [ "$log" != "$1" ] && { echo "$log"; return 0; }
        sleep 0.05
    done
    return 1
}

# Waits until the journal starts from log $1.
wait_journal_from() {
    [ -n "$1" ] || fail "the restart saved no log"
    for _ in $(seq 300); do
        head -n1 "$(journal_file)" 2>/dev/null | tr -d '\r' | grep -q "^B [0-9]* $1\$" && return 0
        sleep 0.05
    done
    fail "the journal does not start from $1"
}

# A run that ends as it should, after the killed ones: its journal goes.
# With $2, it first waits for the dead run's readings to reach a log of their
# own, so that the reading it waits for is one of this run's.
last_clean_run() {  # $1 = home, $2 = the newest log before it
    start_program "$1"
    [ -n "${2:-}" ] && wait_journal_from "$(wait_new_log "$2" "$1/bin")"
    wait_journal_readings 1
    press_escape
    wait_program
    stop_sim
    journal_is_gone "after the last close"
}

kill_program() {
    kill -KILL "$PROGRAM_PID"
    wait "$PROGRAM_PID" 2>/dev/null
}

# After a close that saved the list, the window's journal is gone.
journal_is_gone() {
    [ ! -e "$(journal_file)" ] || { cat -A "$(journal_file)"; fail "the journal is still there: $1"; }
}

# Fails unless file $1 begins with exactly the content of file $2.
starts_with() {
    cmp -s "$2" <(head -c "$(stat -c %s "$2")" "$1") || fail "$1 does not begin with $2"
}

# Killed after N readings, the next start shows the earlier log and all N,
# each once, in a log of their own; the close after it keeps them once more.
case_kill_restart() {
    local home=$WORK/user
    prepare_home "$home" $PORT
    use_home "$home"
    run_once "$home" escape
    journal_is_gone "after a clean close"
    local earlier
    earlier=$(newest_log "$home/bin")
    check_log_lines "$earlier" 5

    start_sim "$home"
    start_program "$home"
    wait_journal_readings 8
    kill_program
    journal_readings | tr -d '\r' >"$WORK/kept"
    local kept
    kept=$(wc -l <"$WORK/kept")
    [ "$(newest_log "$home/bin")" = "$earlier" ] || fail "the killed run wrote a log"

    start_program "$home"
    local recovered
    recovered=$(wait_new_log "$earlier" "$home/bin") || fail "the restart saved no log"
    # The earlier log, then every kept reading once.
    starts_with "$recovered" "$earlier"
    [ "$(wc -l <"$recovered")" -eq $(($(wc -l <"$earlier") + kept)) ] ||
        fail "$recovered holds $(wc -l <"$recovered") lines, not earlier + $kept"
    diff <(tail -n "$kept" "$recovered" | tr -d '\r') "$WORK/kept" >/dev/null ||
        fail "the recovered lines differ from the kept readings"
    tail -n "$kept" "$recovered" >"$WORK/recovered_part"
    check_log_lines "$WORK/recovered_part" "$kept"
    [ "$(logged_setting)" = "$recovered" ] || fail "LogFile does not name $recovered"
    # The journal starts afresh from the recovered log.
    wait_journal_readings 2
    head -n1 "$(journal_file)" | tr -d '\r' | grep -qxF "B $(wc -l <"$recovered") $recovered" ||
        fail "the journal does not start from $recovered: $(head -n1 "$(journal_file)")"

    press_escape
    wait_program
    stop_sim
    local final
    final=$(newest_log "$home/bin")
    [ "$final" != "$recovered" ] || fail "the close wrote no log"
    starts_with "$final" "$recovered"
    journal_is_gone "after the close that followed the recovery"
}

# Ten runs killed one after the other, each after a few readings: the log of
# the last, clean close holds every reading of every run once, in order.
case_cycles() {
    local home=$WORK/user before
    prepare_home "$home" $PORT
    use_home "$home"
    start_sim "$home"
    : >"$WORK/kept"
    for cycle in $(seq 10); do
        before=$(newest_log "$home/bin")
        start_program "$home"
        # The journal a killed run left is put back on the first ticks: its
        # readings go to a log, and only then does this run's journal begin.
        [ -s "$WORK/kept" ] && wait_journal_from "$(wait_new_log "$before" "$home/bin")"
        wait_journal_readings 2
        kill_program
        journal_readings | tr -d '\r' >>"$WORK/kept"
        echo "cycle $cycle: $(wc -l <"$WORK/kept") readings kept"
    done
    last_clean_run "$home" "$(newest_log "$home/bin")"
    local final kept
    final=$(newest_log "$home/bin")
    kept=$(wc -l <"$WORK/kept")
    [ "$(logged_setting)" = "$final" ] || fail "LogFile does not name $final"
    diff <(head -n "$kept" "$final" | tr -d '\r') "$WORK/kept" >/dev/null ||
        fail "the final log does not begin with every kept reading once"
    [ "$(wc -l <"$final")" -gt "$kept" ] || fail "the last run's readings are missing"
    tail -n +"$((kept + 1))" "$final" >"$WORK/last_run"
    check_log_lines "$WORK/last_run" 1
}

# Killed at random moments around the saves of full lists, ten times, then a
# clean run: every journaled reading is in a log, no log is cut short, longer
# than the rows loaded and one list, or only a repeat; no temporary file stays.
case_kill_save() {
    local home=$WORK/user ring=20 logs f counts
    prepare_home "$home" $PORT
    printf 'ListCount=%s\n' $ring >>"$home/cfg/Vorrelind/Zintavo.conf"
    use_home "$home"
    write_numbered_script "$home/numbered.txt" 0 1 5000
    start_sim "$home" --script "$home/numbered.txt" --rate 100
    for _ in $(seq 10); do
        start_program "$home"
        logs=$(ls "$home"/bin/*.log 2>/dev/null | wc -l)
        # Kills must come within milliseconds of a save: its temporary file, or already its log.
        for _ in $(seq 20000); do
            [ "$(ls "$home"/bin/*.{tmp,log} 2>/dev/null | wc -l)" -gt "$logs" ] && break
        done
        sleep "0.00$((RANDOM % 6))"
        kill_program
        journal_readings >>"$WORK/kept"
    done
    last_clean_run "$home"
    ! compgen -G "$home/bin/*.tmp" >/dev/null || fail "temporary files stay: $(ls "$home"/bin/*.tmp)"
    : >"$WORK/seen"
    for f in $(ls -tr "$home"/bin/*.log); do
        [ "$(tail -c2 "$f" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "$f is cut short"
        counts=$(logged_counts "$f") || fail "$f holds a line cut short or foreign"
        [ "$(wc -l <<<"$counts")" -le $((2 * ring)) ] || fail "$f holds more than two lists"
        [ -n "$(comm -23 <(sort -u <<<"$counts") <(sort -u "$WORK/seen"))" ] ||
            fail "$f only repeats earlier logs"
        sort -u <<<"$counts" >>"$WORK/seen"
    done
    counts=$(logged_counts "$WORK/kept") || fail "the journals held foreign lines"
    [ -z "$(comm -23 <(sort -u <<<"$counts") <(sort -u "$WORK/seen"))" ] ||
        fail "journaled readings in no log"
    echo "$(wc -l <"$WORK/kept") readings journaled at the kills, all in a log"
}

run_case
