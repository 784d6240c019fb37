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

run_case
