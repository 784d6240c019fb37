#!/usr/bin/env bash
# Whole-program figures of the release build, measured under a virtual X server:
#   startup_ms   launch to the main window mapped on the display (median of 5)
#   rss_mib      resident memory two seconds after start
#   cpu_percent  CPU use of the process while the simulator streams 10 frames/s
#                (over CPU_SECONDS, default 30), from /proc/<pid>/stat
# Prints key=value lines; used by scripts/bench-table.
set -u
BIN=${1:-build/release/bin}
CPU_SECONDS=${CPU_SECONDS:-30}
PORT=230

for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

WORK=$(mktemp -d /tmp/zintavo-figures.XXXXXX)
PIDS=()
cleanup() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$WORK/cfg XDG_DATA_HOME=$WORK/data XDG_RUNTIME_DIR=$WORK/run
export QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME/Vorrelind" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cp "$BIN/zintavo" "$WORK/zintavo"

exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
PIDS+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/display")"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Start-up: launch to a mapped window, with no port (nothing to open).
printf '[General]\nPort=0\n' >"$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf"
times=()
for _ in 1 2 3 4 5; do
    t0=$(now_ms)
    "$WORK/zintavo" >/dev/null 2>&1 &
    app=$!
    until xdotool search --onlyvisible --name "Vorrelind - Zintavo" >/dev/null 2>&1; do sleep 0.005; done
    times+=($(($(now_ms) - t0)))
    if [ ${#times[@]} -eq 5 ]; then
        sleep 2
        echo "rss_mib=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' /proc/$app/status)"
    fi
    kill -TERM $app; wait $app 2>/dev/null
    rm -f "$WORK"/zintavo.COM*.log
done
echo "startup_ms=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)"

# CPU while streaming: the simulator on its own COM number, the program set to it.
"$BIN/zintavo-sim" --port $PORT --rate 10 >"$WORK/sim.out" 2>/dev/null &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/sim.out" ] && break; sleep 0.05; done
printf '[General]\nPort=%d\n' $PORT >"$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf"
"$WORK/zintavo" >/dev/null 2>&1 &
app=$!
PIDS+=($app)
sleep 3
ticks() { awk '{print $14 + $15}' /proc/$app/stat; }
t0=$(ticks)
sleep "$CPU_SECONDS"
t1=$(ticks)
echo "cpu_percent=$(awk -v d=$((t1 - t0)) -v hz="$(getconf CLK_TCK)" -v s="$CPU_SECONDS" \
    'BEGIN {printf "%.1f", d * 100 / hz / s}')"
