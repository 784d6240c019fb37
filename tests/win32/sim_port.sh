# Helpers for tests that put the meter simulator behind a Wine COM port.
# Source it; needs ZINTAVO_SIM (the Linux zintavo-sim) and WINEPREFIX.
# The simulator's own link folder is kept in a private XDG_CONFIG_HOME.

: "${ZINTAVO_SIM:?ZINTAVO_SIM must name the zintavo-sim program}"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"

# The work folder and what the case starts go when it ends, however it ends.
source "$(dirname "${BASH_SOURCE[0]}")/../support/cleanup_kit.sh"
make_work
SIM_WORK=$WORK
SIM_PID=
SIM_PORT=

# start_sim PORT [simulator options...]: starts the simulator and links its
# pseudo-terminal as COM<PORT> of the prefix once it says it is ready.
start_sim() {
    SIM_PORT=$1
    shift
    mkdir -p "$SIM_WORK/config" "$WINEPREFIX/dosdevices"
    : > "$SIM_WORK/sim.out"
    XDG_CONFIG_HOME="$SIM_WORK/config" "$ZINTAVO_SIM" --port "$SIM_PORT" "$@" \
        > "$SIM_WORK/sim.out" 2> "$SIM_WORK/sim.err" &
    SIM_PID=$!
    track_pid $SIM_PID
    local ready= i
    for ((i = 0; i < 100; i++)); do
        ready=$(head -n 1 "$SIM_WORK/sim.out")
        [[ -n $ready ]] && break
        sleep 0.05
    done
    # The COM port points at the simulator's own link, which it removes when
    # it ends: a pseudo-terminal number handed out again later must not
    # revive the port under a different simulator.
    local link="$SIM_WORK/config/Vorrelind/Zintavo.ports/COM$SIM_PORT"
    if [[ $ready != "COM$SIM_PORT "* || ! -e $link ]]; then
        echo "simulator did not come up: '$ready'" >&2
        cat "$SIM_WORK/sim.err" >&2
        return 1
    fi
    ln -sfn "$link" "$WINEPREFIX/dosdevices/com$SIM_PORT"
    track_command "rm -f $(printf %q "$WINEPREFIX/dosdevices/com$SIM_PORT")"
}

# unlink_sim_port: the COM port disappears from the prefix, as an unplugged adapter.
unlink_sim_port() {
    [[ -n $SIM_PORT ]] && rm -f "$WINEPREFIX/dosdevices/com$SIM_PORT"
    return 0
}

# wait_sim_end SECONDS: waits for the simulator to end its script by itself.
wait_sim_end() {
    local i
    for ((i = 0; i < $1 * 20; i++)); do
        kill -0 "$SIM_PID" 2>/dev/null || { wait "$SIM_PID" || true; SIM_PID=; return 0; }
        sleep 0.05
    done
    echo "simulator still running after $1 s" >&2
    return 1
}

# stop_sim: ends the simulator now (only the one this script started).
stop_sim() {
    if [[ -n $SIM_PID ]]; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
        SIM_PID=
    fi
    unlink_sim_port
}
