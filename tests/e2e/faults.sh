#!/usr/bin/env bash
# End-to-end fault cases: the meter leaving and coming back, a line of noise, the
# history filling many times a minute, a damaged settings file.
# Usage: faults.sh <case> <zintavo binary> <zintavo-sim binary>
# ZINTAVO_NOISE_SECONDS sets how long the noise case runs (default 20).
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fault_lib.sh"

NOISE_SECONDS=${ZINTAVO_NOISE_SECONDS:-20}
# Bounds for the noise case: the window's own 50 ms repaint costs a few percent.
MAX_NOISE_CPU_PERCENT=20
MAX_NOISE_RSS_GROWTH_KB=$((10 * 1024))

# Waits for the program to open the simulator's port.
expect_port_held() {
    wait_until 60 port_held ||
        { cat "$HOME/program.log"; fail "the program did not open $SIM_DEVICE within 60 s"; }
}

# Lets readings flow for a moment, closes with Escape and waits for the exit.
log_a_while_and_close() {
    sleep 3
    press_escape
    wait_program
}

case_unplug_return() {
    local home=$WORK/user
    prepare_home "$home" $PORT
    use_home "$home"
    write_numbered_script "$home/before.txt" 0 1000 1999
    write_numbered_script "$home/after.txt" 0 2000 2999

    start_sim "$home" --script "$home/before.txt" --rate 10
    start_program "$home"
    wait_until 60 journaled_between "$PROGRAM_PID" 1000 1999 ||
        fail "no reading was logged within 60 s"
    sleep 2
    stop_sim  # the meter's cable is pulled: its port goes away
    wait_until 30 port_released || fail "the program kept the vanished port open"
    start_sim "$home" --script "$home/after.txt" --rate 10
    wait_until 60 journaled_between "$PROGRAM_PID" 2000 2999 ||
        fail "no reading from the returned port was logged within 60 s"
    log_a_while_and_close
    stop_sim

    local counts
    counts=$(logged_counts "$(newest_log "$home/bin")") || fail "the log holds foreign lines"
    local before after
    before=$(awk '$1 < 2000' <<<"$counts")
    after=$(awk '$1 >= 2000' <<<"$counts")
    [ -n "$before" ] || fail "no reading from before the unplugging was logged"
    [ -n "$after" ] || fail "no reading from after the return was logged"
    # Each stay is one unbroken run; only the moments around the gap may be lost.
    expect_each_once "$(head -n1 <<<"$before")" "$(tail -n1 <<<"$before")" <<<"$before"
    expect_each_once "$(head -n1 <<<"$after")" "$(tail -n1 <<<"$after")" <<<"$after"
    echo "logged $(wc -l <<<"$before") readings before and $(wc -l <<<"$after") after"
}

# Random bytes, first without any frame-ending byte (high nibble 0xE), then with them.
write_noise() {  # $1 = file, $2 = bytes
    local half=$(($2 / 2))
    head -c $half /dev/urandom | tr '\340-\357' '\100-\117' >"$1"
    head -c $(($2 - half)) /dev/urandom >>"$1"
}

case_noise() {
    local home=$WORK/user
    prepare_home "$home" $PORT
    use_home "$home"
    # The line carries about 240 bytes a second.
    write_noise "$home/noise.bin" $((NOISE_SECONDS * 240))
    # A sanitizer build holds freed memory back for a while; keep that small so
    # the resident size shows what the program itself keeps.
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=4"

    start_sim "$home" --raw "$home/noise.bin"
    start_program "$home"
    expect_port_held
    local start=$SECONDS cpu0 rss0
    cpu0=$(cpu_ticks "$PROGRAM_PID")
    rss0=$(rss_kb "$PROGRAM_PID")
    while sim_running; do
        program_running || fail "the program died on the noise"
        [ $((SECONDS - start)) -le $((NOISE_SECONDS + 60)) ] || fail "the simulator did not end"
        sleep 0.5
    done
    local seconds=$((SECONDS - start)) cpu1 rss1
    cpu1=$(cpu_ticks "$PROGRAM_PID") || fail "the program died on the noise"
    rss1=$(rss_kb "$PROGRAM_PID")
    [ $seconds -gt 0 ] || seconds=1
    local cpu=$(cpu_percent $((cpu1 - cpu0)) $seconds)
    echo "noise for ${seconds}s: CPU ${cpu}% of a core, RSS ${rss0} kB -> ${rss1} kB"
    [ "$cpu" -lt $MAX_NOISE_CPU_PERCENT ] || fail "CPU ${cpu}% while receiving noise"
    [ $((rss1 - rss0)) -lt $MAX_NOISE_RSS_GROWTH_KB ] || fail "memory grew by $((rss1 - rss0)) kB"

    press_escape
    wait_program
    # Nothing was logged, so closing wrote no log anywhere.
    local logs
    logs=$(find "$home/bin" "$home/data" -name '*.log')
    [ -z "$logs" ] || fail "noise was logged: $logs"
}

case_history_fill() {
    local home=$WORK/user last=62
    prepare_home "$home" $PORT
    printf 'ListCount=5\n' >>"$home/cfg/Vorrelind/Zintavo.conf"
    use_home "$home"
    # Held readings (never logged) fill the time the program needs to open the port.
    local held=120
    write_numbered_script "$home/fill.txt" $held 1 $last

    # The program waits for the port, so it opens it within its retry period.
    start_program "$home"
    local start=$SECONDS
    start_sim "$home" --script "$home/fill.txt" --rate 100
    expect_port_held
    local opened=$((SECONDS - start))
    wait_until 60 sim_ended || fail "the simulator did not end"
    press_escape
    wait_program

    local logs=()
    mapfile -t logs < <(ls -tr "$home"/bin/*.log 2>/dev/null)
    [ ${#logs[@]} -gt 0 ] || fail "no log written"
    local counts
    counts=$(logged_counts "${logs[@]}") || fail "a log holds foreign lines"
    # Frames go back to back, about 17 a second.
    if [ $((opened * 17 + 17)) -lt $held ]; then
        expect_each_once 1 $last <<<"$counts"
    else
        echo "the port opened late (${opened}s); checking the readings received"
        expect_each_once "$(sort -n <<<"$counts" | head -n1)" $last <<<"$counts"
    fi
    local f lines full=0
    for f in "${logs[@]}"; do
        lines=$(wc -l <"$f")
        [ "$lines" -le 5 ] || fail "$f holds $lines lines, more than the history"
        [ "$lines" -eq 5 ] && full=$((full + 1))
    done
    [ "$(wc -l <"${logs[-1]}")" -eq $((last % 5)) ] || fail "the partial list was not saved at close"
    [ $full -ge 10 ] || fail "only $full full histories saved"
    ls "$home"/bin/*-2.log >/dev/null 2>&1 || fail "no second log of the same minute"
    [ "$(logged_setting)" = "${logs[-1]}" ] || fail "LogFile does not name the last log"
    echo "${#logs[@]} logs, $full of them full"
}

# The disk fills while the program streams: the close saves the list in the
# user's private temporary folder, names that file and ends with a failure
# status; the next start, with room again, shows it and saves it in place.
case_full_disk() {
    [ "$(id -u)" -eq 0 ] || skip "mounting a small filesystem needs root"
    local home=$WORK/user disk=$WORK/user/disk size
    prepare_home "$home" $PORT
    size=$(($(stat -c %s "$PROGRAM") / 1048576 + 12))
    mkdir -p "$disk"
    mount -t tmpfs -o size=${size}m zintavo-e2e "$disk" 2>/dev/null || skip "cannot mount a tmpfs"
    track_mount "$disk"
    # The executable's folder and the data folder both live on the small disk.
    mv "$home/bin" "$disk/bin"
    ln -s "$disk/bin" "$home/bin"
    use_home "$home"
    export XDG_DATA_HOME=$disk/data TMPDIR=$WORK/tmp
    mkdir -p "$TMPDIR"
    write_numbered_script "$home/numbered.txt" 5 1 9000

    start_sim "$home" --script "$home/numbered.txt" --rate 10
    start_program "$home"
    expect_port_held
    sleep 2
    dd if=/dev/zero of="$disk/filler" bs=64k 2>/dev/null
    [ "$(df --output=avail "$disk" | tail -n1)" -lt 64 ] || fail "the disk did not fill"
    sleep 3
    press_escape
    for _ in $(seq 300); do program_running || break; sleep 0.1; done
    program_running && fail "the program did not end"
    wait "$PROGRAM_PID"
    local status=$?
    [ $status -ne 0 ] || fail "a close that saved out of place ended with status 0"
    [ -z "$(find "$disk/bin" -name '*.log')" ] || fail "a log was written to a full disk"
    # The last place left: the user's private temporary folder, named in the report.
    local kept
    kept=$(ls "$TMPDIR"/zintavo-"$(id -u)"/*.log 2>/dev/null) || fail "no log in the temporary folder"
    grep -qF "went to $kept" "$home/program.log" || fail "nothing named $kept"
    [ "$(stat -c %a "$kept")" = 600 ] && [ "$(stat -c %a "$(dirname "$kept")")" = 700 ] ||
        fail "the temporary folder or its log is open to others"
    [ "$(logged_setting)" = "$kept" ] || fail "LogFile does not name $kept"
    local counts
    counts=$(logged_counts "$kept") || fail "foreign lines"
    [ "$(wc -l <<<"$counts")" -ge 30 ] || fail "only $(wc -l <<<"$counts") readings saved"
    expect_each_once "$(head -n1 <<<"$counts")" "$(tail -n1 <<<"$counts")" <<<"$counts"

    # Room again: the next start shows them, and its close saves them where logs belong.
    rm -f "$disk/filler"
    start_program "$home"
    sleep 2
    press_escape
    wait_program
    stop_sim
    local saved
    saved=$(logged_counts $(ls -tr "$disk"/bin/*.log | head -n1)) || fail "foreign lines"
    grep -qxF "$(tail -n1 <<<"$counts")" <<<"$saved" || fail "the last reading is not in the log"
    kept=$counts
    echo "$(wc -l <<<"$kept") readings kept over the full disk, all saved after it"
}

# Damaged settings files, each with the port kept readable so logging can be checked.
damaged_junk_values() {
    printf '%s\n' '[General]' 'Window=wide, tall' 'Port=201' 'Baud=fast' 'Flags=-7' \
        'Mode=' 'Switch=0x' 'ColorChart=black' 'ListCount=99999999999999999999' \
        'ColorMeterText=0xGG' 'LogFile=/no/such/folder/old.log' \
        'this line is no setting' '==' '[' 'Window' '[General' 'Port'
}
damaged_absurd_numbers() {
    printf '%s\n' '[General]' 'Window=-2147483648, -2147483648, 2147483647, 2147483647' \
        'Port=201' 'Baud=0' 'ListCount=4294967295' 'Mode=4294967295' 'Switch=4294967295' \
        'LogFile=/dev/zero'
}
damaged_off_screen() {
    printf '%s\n' '[General]' 'Window=50000, -40000, 0, -3' 'Port=201' 'ListCount=0' 'LogFile=/'
}
damaged_binary_junk() {
    head -c 600 /dev/urandom
    printf '\n[General]\nPort=201\nWindow=1, 2, 3\n'
    head -c 600 /dev/urandom | tr '\n' 'x'
    printf '\nListCount=\0377\0377\0377\0377\n'
}

# The window must lie on the 1280x1024 display with a usable size.
expect_sane_window() {
    local geometry x y w h
    geometry=$(xdotool getwindowgeometry "$WINDOW") || fail "no window geometry"
    [[ $geometry =~ Position:\ (-?[0-9]+),(-?[0-9]+).*Geometry:\ ([0-9]+)x([0-9]+) ]] ||
        fail "unreadable geometry: $geometry"
    x=${BASH_REMATCH[1]} y=${BASH_REMATCH[2]} w=${BASH_REMATCH[3]} h=${BASH_REMATCH[4]}
    echo "window at $x,$y size ${w}x$h"
    [ "$w" -ge 200 ] && [ "$w" -le 1280 ] && [ "$h" -ge 150 ] && [ "$h" -le 1024 ] ||
        fail "window size ${w}x$h"
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + 40)) -le 1280 ] && [ $((y + 23)) -le 1024 ] ||
        fail "window at $x,$y is off the screen"
    xdotool search --onlyvisible --name "Vorrelind - Zintavo" | grep -qx "$WINDOW" ||
        fail "window not visible"
}

case_damaged_settings() {
    local variant
    for variant in junk_values absurd_numbers off_screen binary_junk; do
        echo "-- $variant"
        local home=$WORK/$variant
        prepare_home "$home" $PORT
        "damaged_$variant" >"$home/cfg/Vorrelind/Zintavo.conf"
        use_home "$home"
        start_sim "$home"
        start_program "$home"
        expect_sane_window
        expect_port_held
        log_a_while_and_close
        stop_sim
        # A tiny history saves many logs; together they hold the run in order.
        ls -tr "$home"/bin/*.log | xargs cat >"$home/all.txt"
        check_log_lines "$home/all.txt" 3
        local saved
        # Random junk may form sections of its own: only [General] counts.
        saved=$(sed -n '/^\[General\]$/,/^\[/s/^ListCount=//p' "$home/cfg/Vorrelind/Zintavo.conf")
        [ -n "$saved" ] && [ "$saved" -ge 1 ] && [ "$saved" -le 32768 ] ||
            fail "ListCount saved as '$saved'"
    done
}

run_case
