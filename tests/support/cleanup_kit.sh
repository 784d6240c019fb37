# Sourced by the end-to-end kits: the case's work folder and the one cleanup
# path that ends what the case started and removes what it made, however the
# case ends (passed, failed, or killed by CTest's timeout).
# ZINTAVO_E2E_TAG (set by the build) names one build's cases, so that the
# suite's leftover check sees only its own.

CLEANUP_KIT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_TAG=${ZINTAVO_E2E_TAG:-local}

# Start time of a live process (clock ticks after boot), to tell it from a
# later process that was given the same number; fails for a process that has
# ended, also one that has ended but not yet been waited for.
started_at() {  # $1 = pid
    local stat fields
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    read -r -a fields <<<"${stat##*) }"
    [ "${fields[0]}" != Z ] || return 1
    echo "${fields[19]}"
}

# Makes the work folder ($WORK) and arms its cleanup: on exit, and by a guard
# outside the case's process group once the case's shell is gone.
make_work() {
    WORK=$(mktemp -d "/tmp/zintavo-e2e.$E2E_TAG.XXXXXX")
    mkdir "$WORK/.cleanup"
    trap 'bash "$CLEANUP_KIT_DIR/e2e_cleanup.sh" "$WORK"' EXIT
    trap 'exit 129' HUP
    trap 'exit 130' INT
    trap 'exit 143' TERM
    setsid -f bash "$CLEANUP_KIT_DIR/e2e_cleanup.sh" --after $$ "$WORK" \
        </dev/null >/dev/null 2>&1
}

# What cleanup must end, unmount or run; a case adds to these lists.
track_pid() {  # pids
    local pid start
    for pid; do
        start=$(started_at "$pid") && echo "$pid $start" >>"$WORK/.cleanup/pids"
    done
    return 0
}
track_mount() { echo "$1" >>"$WORK/.cleanup/mounts"; }  # $1 = mount point
track_command() { echo "$1" >>"$WORK/.cleanup/commands"; }  # $1 = a bash command
