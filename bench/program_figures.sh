#!/usr/bin/env bash
# Whole-program figures of the release build, measured under a virtual X server:
#   startup_ms   launch to the main window mapped on the display (median of 5)
#   rss_mib      resident memory two seconds after start
#   cpu_<load>       CPU seconds per minute of the program, and
#   xvfb_cpu_<load>  of the display server, each the median of 3 runs of
#                    CPU_SECONDS (default 60) after WARMUP_SECONDS (default 10),
#                    from /proc/<pid>/stat, for <load> idle (port open, no
#                    readings), 2fps and 17fps (the line's limit) and drag
#                    (17 frames/s while a drag selection sweeps over the
#                    chart); LOADS names the loads to measure
#   wine_*       the same for the Windows window under Wine (wine_figures below)
# Prints key=value lines; used by scripts/bench-table.
set -u
BIN=${1:-build/release/bin}
CPU_SECONDS=${CPU_SECONDS:-60}
WARMUP_SECONDS=${WARMUP_SECONDS:-10}
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

track_pid() { PIDS+=("$@"); }
source "$(dirname "$0")/../tests/support/display_kit.sh"
start_display || { echo "no virtual display" >&2; exit 1; }
XVFB=$DISPLAY_PID

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# --- The Windows window under Wine -------------------------------------------
# zintavo.exe (build/windows/bin, WINDOWS_BIN) on the same virtual display, in
# the Wine prefix of the Windows tests, the simulator behind its COM7:
#   wine_startup_ms              launch to the window mapped (median of 3)
#   wine_rss_mib                 resident memory of the program 5 s after start
#   wine_exe_kib                 size of zintavo.exe
#   wine_cpu_<load>              CPU seconds per minute of the program, and
#   wine_xvfb_cpu_<load>         of the display server and
#   wine_wineserver_cpu_<load>   of wineserver, each the median of 3 runs of
#                                WINE_SECONDS (default 60) after a 10 s warm-up,
# for <load> idle (port open, no frames), 2fps and 17fps (the line's limit);
# WINE_LOADS names the loads to measure (empty: start-up and memory only).
# Skipped when there is no Windows build or no Wine.
wine_figures() {
    local bin=${WINDOWS_BIN:-build/windows/bin} seconds=${WINE_SECONDS:-60}
    local sim=$BIN/zintavo-sim
    [ -f "$bin/zintavo.exe" ] && command -v wine >/dev/null || return 0
    [ -x "$sim" ] || sim=build/windows-host/bin/zintavo-sim
    [ -x "$sim" ] || return 0
    export WINEPREFIX=${WINEPREFIX:-$PWD/build/windows/wineprefix}
    local run=tests/win32/wine-run key='HKCU\Software\Vorrelind\Zintavo' app=$WORK/win
    mkdir -p "$app"
    cp "$bin/zintavo.exe" "$app/zintavo.exe"
    echo "wine_exe_kib=$(($(stat -c %s "$bin/zintavo.exe") / 1024))"
    local hz
    hz=$(getconf CLK_TCK)
    cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
    settings() {  # port
        "$run" reg delete "$key" /f >/dev/null 2>&1
        "$run" reg add "$key" /v Port /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    }
    start_exe() {
        "$run" "$app/zintavo.exe" >/dev/null 2>&1 &
        wine_app=$!
        until xdotool search --onlyvisible --name "^Vorrelind - Zintavo$" >/dev/null 2>&1; do
            sleep 0.005
        done
    }
    stop_exe() {
        kill -KILL "$wine_app" 2>/dev/null
        wait "$wine_app" 2>/dev/null
        sleep 1
        rm -f "$app"/*.log
    }
    # The prefix's own server: the one started with this prefix.
    wineserver_pid() {
        local pid
        for pid in $(pgrep -f '^\S*wineserver'); do
            tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
                { echo "$pid"; return; }
        done
    }

    "$run" cmd /c exit >/dev/null 2>&1
    # A server that stays between the runs, as Windows itself does.
    wineserver -p 30
    # Start-up, with no port to open.
    settings 250
    local times=() t0
    for _ in 1 2 3; do
        t0=$(now_ms)
        start_exe
        times+=($(($(now_ms) - t0)))
        if [ ${#times[@]} -eq 3 ]; then
            sleep 5
            echo "wine_rss_mib=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' /proc/$wine_app/status)"
        fi
        stop_exe
    done
    echo "wine_startup_ms=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 2p)"

    # CPU under three loads: the simulator's pseudo-terminal linked as COM7.
    local load rate script=$WORK/wine.script n
    for ((n = 1; n <= 500; n++)); do echo "1 0 3 $((1000 + n))"; done >"$script"
    for load in ${WINE_LOADS-idle 2fps 17fps}; do
        local program=() display=() server=()
        for _ in 1 2 3; do
            case $load in
                idle) rate=0.0001 ;;
                2fps) rate=2 ;;
                17fps) rate=17 ;;
            esac
            XDG_CONFIG_HOME=$WORK/wine-sim "$sim" --port 7 --script "$script" --repeat 0 \
                --rate "$rate" >"$WORK/wine-sim.out" 2>/dev/null &
            local sim_pid=$!
            for _ in $(seq 100); do [ -s "$WORK/wine-sim.out" ] && break; sleep 0.05; done
            ln -sfn "$WORK/wine-sim/Vorrelind/Zintavo.ports/COM7" "$WINEPREFIX/dosdevices/com7"
            settings 7
            start_exe
            sleep 10
            local server_pid p0 x0 s0 p1 x1 s1
            server_pid=$(wineserver_pid)
            p0=$(cpu_ticks "$wine_app") x0=$(cpu_ticks "$XVFB") s0=$(cpu_ticks "$server_pid")
            sleep "$seconds"
            p1=$(cpu_ticks "$wine_app") x1=$(cpu_ticks "$XVFB") s1=$(cpu_ticks "$server_pid")
            program+=("$(awk -v d=$((p1 - p0)) -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.2f", d / hz * 60 / s}')")
            display+=("$(awk -v d=$((x1 - x0)) -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.2f", d / hz * 60 / s}')")
            server+=("$(awk -v d=$((s1 - s0)) -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.2f", d / hz * 60 / s}')")
            stop_exe
            kill "$sim_pid" 2>/dev/null
            wait "$sim_pid" 2>/dev/null
            rm -f "$WINEPREFIX/dosdevices/com7"
        done
        echo "wine_cpu_$load=$(printf '%s\n' "${program[@]}" | sort -n | sed -n 2p)"
        echo "wine_xvfb_cpu_$load=$(printf '%s\n' "${display[@]}" | sort -n | sed -n 2p)"
        echo "wine_wineserver_cpu_$load=$(printf '%s\n' "${server[@]}" | sort -n | sed -n 2p)"
    done
}

# FIGURES=wine measures the Windows window alone.
if [ "${FIGURES:-}" = wine ]; then
    wine_figures
    exit 0
fi

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

# CPU under load: the simulator on its own COM number, the program set to it,
# a fresh program for each run (see the header for the loads).
cpu_seconds_per_minute() {  # $1 = ticks, $2 = seconds
    awk -v d="$1" -v hz="$(getconf CLK_TCK)" -v s="$2" 'BEGIN {printf "%.2f", d / hz * 60 / s}'
}
ticks_of() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
median_of_3() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
# Holds the left button down over the chart and keeps moving it, as a user
# sweeping a selection does, until the file $1 goes away.
drag_while() {  # $1 = file, $2 = window
    xdotool mousemove --window "$2" 500 330 mousedown 1
    local x=490
    while [ -e "$1" ]; do
        xdotool mousemove --window "$2" "$x" 330
        x=$((x <= 420 ? 490 : x - 10))
        sleep 0.1
    done
    xdotool mouseup 1
}
printf '[General]\nPort=%d\n' $PORT >"$XDG_CONFIG_HOME/Vorrelind/Zintavo.conf"
for load in ${LOADS-idle 2fps 17fps drag}; do
    case $load in
        idle) rate=0.0001 ;;
        2fps) rate=2 ;;
        *) rate=17 ;;
    esac
    "$BIN/zintavo-sim" --port $PORT --rate $rate >"$WORK/sim.out" 2>/dev/null &
    sim=$!
    PIDS+=($sim)
    for _ in $(seq 100); do [ -s "$WORK/sim.out" ] && break; sleep 0.05; done
    program=() display=()
    for _ in 1 2 3; do
        "$WORK/zintavo" >/dev/null 2>&1 &
        app=$!
        until window=$(xdotool search --onlyvisible --name "Vorrelind - Zintavo" 2>/dev/null); do
            sleep 0.05
        done
        if [ "$load" = drag ]; then
            touch "$WORK/dragging"
            drag_while "$WORK/dragging" "$(head -n1 <<<"$window")" &
            dragger=$!
        fi
        sleep "$WARMUP_SECONDS"
        p0=$(ticks_of $app) x0=$(ticks_of $XVFB)
        sleep "$CPU_SECONDS"
        p1=$(ticks_of $app) x1=$(ticks_of $XVFB)
        program+=("$(cpu_seconds_per_minute $((p1 - p0)) "$CPU_SECONDS")")
        display+=("$(cpu_seconds_per_minute $((x1 - x0)) "$CPU_SECONDS")")
        if [ "$load" = drag ]; then
            rm -f "$WORK/dragging"
            wait $dragger
        fi
        kill -TERM $app
        wait $app 2>/dev/null
        rm -f "$WORK"/zintavo.COM*.log
    done
    kill $sim 2>/dev/null
    wait $sim 2>/dev/null
    echo "cpu_$load=$(median_of_3 "${program[@]}")"
    echo "xvfb_cpu_$load=$(median_of_3 "${display[@]}")"
done

wine_figures
