#!/usr/bin/env bash
# Ends what an end-to-end case started and removes what it made, in an order
# that lets each step succeed: the processes (programs, simulators, display
# servers), then the case's own commands (a Wine server, say), then the mounts
# (only once nothing can hold a file there), then the work folder.
#
# A case lists what it starts in its work folder's .cleanup/ (see track_pid,
# track_mount and track_command in cleanup_kit.sh) and calls this on exit.
# A guard started with --after runs it too once the case's shell is gone, so
# a case killed outright (CTest's timeout) leaves nothing behind either.
#
# Usage: e2e_cleanup.sh WORK
#        e2e_cleanup.sh --after PID WORK
set -u

if [ "${1:-}" = --after ]; then
    owner=$2
    shift 2
    while kill -0 "$owner" 2>/dev/null; do sleep 0.5; done
fi
WORK=$1
LIST=$WORK/.cleanup
[ -d "$LIST" ] || { rm -rf "$WORK" 2>/dev/null; exit 0; }

source "$(dirname "${BASH_SOURCE[0]}")/cleanup_kit.sh"

# Each line of pids: "<pid> <start time>".
running() { [ "$(started_at "$1")" = "$2" ]; }
declare -A alive=()
if [ -f "$LIST/pids" ]; then
    while read -r pid start; do
        [ -n "$pid" ] && running "$pid" "$start" && alive[$pid]=$start
    done <"$LIST/pids"
fi
# Asked to end first (a program saves its list), then made to.
still_running() {
    local pid
    for pid in "${!alive[@]}"; do running "$pid" "${alive[$pid]}" && echo "$pid"; done
}
for signal in TERM KILL; do
    mapfile -t left < <(still_running)
    [ ${#left[@]} -eq 0 ] && break
    kill -$signal "${left[@]}" 2>/dev/null
    for _ in $(seq 50); do
        [ -z "$(still_running)" ] && break
        sleep 0.1
    done
done

if [ -f "$LIST/commands" ]; then
    while IFS= read -r command; do
        [ -n "$command" ] && bash -c "$command" >/dev/null 2>&1
    done <"$LIST/commands"
fi

# The last mounted first; a mount that stays busy goes lazily.
if [ -f "$LIST/mounts" ]; then
    mapfile -t mounts < <(tac "$LIST/mounts")
    for mount in "${mounts[@]}"; do
        grep -qF " $mount " /proc/mounts || continue
        for _ in $(seq 20); do
            umount "$mount" 2>/dev/null && break
            sleep 0.1
        done
        grep -qF " $mount " /proc/mounts && umount -l "$mount" 2>/dev/null
    done
fi

rm -rf "$WORK"
exit 0
