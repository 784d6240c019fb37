#!/usr/bin/env bash
# End-to-end checks of the real program under a virtual X server, fed by the
# meter simulator. Usage: e2e.sh <case> <zintavo binary> <zintavo-sim binary>
# Exit 77 tells CTest the case was skipped (no Xvfb, no xdotool, no setpriv).
source "$(dirname "$0")/lib.sh"

case_round_trip() {
    local home=$WORK/user
    prepare_home "$home" $PORT
    use_home "$home"
    run_once "$home" escape
    local first
    first=$(newest_log "$home/bin")
    check_log_lines "$first" 10
    [ "$(logged_setting)" = "$first" ] || fail "LogFile does not name $first"
    sleep 1
    run_once "$home" escape
    local second
    second=$(newest_log "$home/bin")
    [ "$second" != "$first" ] || fail "the second close wrote no new file"
    [ -f "$first" ] || fail "the first log was replaced"
    check_log_lines "$second" 20 $(($(wc -l <"$first") + 1))
    # The reloaded lines come first, unchanged.
    cmp -s "$first" <(head -c "$(stat -c %s "$first")" "$second") ||
        fail "the second log does not start with the first one's lines"
    [ "$(wc -l <"$second")" -gt "$(wc -l <"$first")" ] || fail "no new lines after reload"
}

case_sigterm() {
    local home=$WORK/user
    prepare_home "$home" $PORT
    use_home "$home"
    run_once "$home" term
    check_log_lines "$(newest_log "$home/bin")" 10
}

# Under a window manager: a window closed maximised opens maximised, and
# un-maximising it returns to the size it had before.
case_maximized() {
    command -v openbox >/dev/null || skip "openbox is not installed"
    command -v xprop >/dev/null || skip "xprop is not installed"
    start_window_manager
    local home=$WORK/user
    prepare_home "$home" $PORT
    use_home "$home"
    start_sim "$home"
    start_program "$home"
    # Once framed, the window is fitted so that its outer size is the stored one.
    fitted() { local size; size=$(client_size); [ -n "$size" ] && [ "$size" != 658x480 ]; }
    wait_until 30 fitted || fail "the window was not fitted to its frame"
    local before
    before=$(client_size)
    toggle_maximized
    wait_until 30 maximized || fail "the window did not maximise"
    press_escape
    wait_program
    grep -q '^Maximized=1$' "$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf" ||
        { cat "$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf"; fail "Maximized was not stored"; }

    start_program "$home"
    wait_until 30 maximized || fail "the window did not open maximised"
    toggle_maximized
    wait_until 30 normal || fail "the window did not un-maximise"
    wait_until 30 has_size "$before" ||
        { cat "$home/program.log"; fail "un-maximised to $(client_size), not to $before as before"; }
    press_escape
    wait_program
    grep -q '^Maximized=0$' "$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf" ||
        fail "Maximized was not cleared"
    stop_sim
}

case_detection() {
    local home=$WORK/user
    prepare_home "$home" 0
    use_home "$home"
    run_once "$home" escape
    grep -q "^Port=$PORT$" "$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf" ||
        fail "detection did not choose COM$PORT"
    check_log_lines "$(newest_log "$home/bin")" 5
}

case_unwritable_folder() {
    [ "$(id -u)" -eq 0 ] || skip "needs root to run the program as an unprivileged user"
    command -v setpriv >/dev/null || skip "setpriv is not installed"
    id nobody >/dev/null 2>&1 || skip "no user 'nobody'"
    local home=$WORK/nobody
    prepare_home "$home" $PORT
    chown -R nobody "$home"
    chown root "$home/bin"
    chmod 555 "$home/bin"
    AS_USER=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    "${AS_USER[@]}" test -w "$home/bin" && skip "the folder stays writable for nobody"
    use_home "$home"
    run_once "$home" escape
    [ -z "$(newest_log "$home/bin")" ] || fail "a log landed in the unwritable folder"
    local log
    log=$(newest_log "$home/data/Vorrelind/Zintavo")
    check_log_lines "$log" 10
    [ "$(logged_setting)" = "$log" ] || fail "LogFile does not name $log"
}

# Journal records in the private temporary folder: at least $1 readings.
last_resort_readings() {
    [ "$(cat "$TMPDIR"/zintavo-"$(id -u)"/journal*.txt 2>/dev/null | grep -c '^R ')" -ge "$1" ]
}

# The executable's folder and the data folder read-only from the start (a
# read-only bind mount as root, else folder permissions): the readings go to
# the user's private temporary folder, the report names the file, LogFile
# points at it and the exit status says they are not where logs belong.
case_read_only_folders() {
    local home=$WORK/user dir
    prepare_home "$home" $PORT
    use_home "$home"
    export TMPDIR=$WORK/tmp
    mkdir -p "$TMPDIR"
    for dir in "$home/bin" "$home/data"; do
        if [ "$(id -u)" -eq 0 ]; then
            mount --bind "$dir" "$dir" 2>/dev/null || skip "cannot bind-mount $dir"
            track_mount "$dir"
            mount -o remount,bind,ro "$dir" 2>/dev/null || skip "cannot make $dir read-only"
        else
            track_command "chmod 755 '$dir'"
            chmod 555 "$dir"
        fi
        touch "$dir/probe" 2>/dev/null && skip "$dir stays writable"
    done
    start_sim "$home"
    start_program "$home"
    wait_until 60 last_resort_readings 5 || fail "no readings reached a journal in $TMPDIR"
    press_escape
    wait_until 60 program_ended || fail "the program did not end within 60 s"
    wait "$PROGRAM_PID" && fail "readings saved out of place, yet exit status 0"
    stop_sim
    [ -z "$(find "$home/bin" "$home/data" -type f -newer "$home/script.txt" -not -name zintavo)" ] ||
        fail "a file landed in a read-only folder"
    local kept
    kept=$(ls "$TMPDIR"/zintavo-"$(id -u)"/*.log 2>/dev/null) || fail "no log in the temporary folder"
    grep -qF "went to $kept" "$home/program.log" || fail "the report does not name $kept"
    [ "$(logged_setting)" = "$kept" ] || fail "LogFile does not name $kept"
    check_log_lines "$kept" 5
}

run_case
