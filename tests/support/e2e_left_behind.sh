#!/usr/bin/env bash
# Run by CTest after every end-to-end case of one build: fails when one of
# them left something behind — a work folder, a mount inside one, or a
# process (a program, a simulator, a display server) still using one.
# Cases killed outright are cleaned up by their guards; they are given a
# moment to finish first.
set -u
source "$(dirname "$0")/cleanup_kit.sh"
prefix=/tmp/zintavo-e2e.$E2E_TAG.

guards() { pgrep -f "e2e_cleanup.sh --after [0-9]+ $prefix" >/dev/null; }
for _ in $(seq 300); do
    guards || break
    sleep 0.1
done

problems=0
report() { echo "LEFT BEHIND: $*"; problems=$((problems + 1)); }

guards && report "cleanup guards still running after 30 s"
for folder in "$prefix"*; do
    [ -e "$folder" ] && report "work folder $folder"
done
while read -r _ mount _; do
    [[ $mount == "$prefix"* ]] && report "mount $mount"
done </proc/mounts
for proc in /proc/[0-9]*; do
    pid=${proc#/proc/}
    [ "$pid" = $$ ] && continue
    for link in "$proc/cwd" "$proc"/fd/*; do
        target=$(readlink "$link" 2>/dev/null) || continue
        if [[ $target == "$prefix"* ]]; then
            report "process $pid ($(tr '\0' ' ' <"$proc/cmdline" 2>/dev/null | cut -c1-80)) uses $target"
            break
        fi
    done
done
[ $problems -eq 0 ] || exit 1
echo "nothing left behind by the end-to-end cases (tag $E2E_TAG)"
