#!/usr/bin/env bash
# What a person sees: screenshots of the real program under a virtual X server,
# checked pixel by pixel. Usage: visual.sh <case> <zintavo binary> <zintavo-sim binary>
source "$(dirname "$0")/lib.sh"

CHECK="$(dirname "$0")/screen_check.py"
PICTURES=/tmp/zintavo-visual
command -v import >/dev/null || skip "ImageMagick's import is not installed"
command -v xwininfo >/dev/null || skip "xwininfo is not installed"
command -v python3 >/dev/null || skip "python3 is not installed"

# DC volts, range 3, count 12345 (123.45 V), first positive then negative; the
# script repeats, so both pictures keep coming back.
case_face() {
    local home=$WORK/user
    prepare_home "$home" $PORT
    use_home "$home"
    {
        for _ in $(seq 30); do echo "1 0 3 12345"; done
        for _ in $(seq 30); do echo "1 0 3 12345 neg"; done
    } >"$home/face.txt"
    start_sim "$home" --script "$home/face.txt" --repeat 0 --rate 10
    start_program "$home"
    wait_for_picture "the face never showed +123.45 V" face positive
    wait_for_picture "the face never showed -123.45 V" face negative
}

# A log of readings one second apart, DC volts between $3 - 15 and $3 + 15.
write_log() {  # $1 = file, $2 = number of lines, $3 = middle value (default 20)
    awk -v n="$2" -v mid="${3:-20}" 'BEGIN {
        for (i = 0; i < n; i++) {
            s = 3 * 3600 + i
            printf " 1/03/2026 %2d:%02d:%02dPM %7.2f VDC\r\n", int(s / 3600), int(s / 60) % 60, s % 60,
                mid + 15 * sin(i / 25)
        }
    }' >"$1"
}

# Starts the program on a home whose last log is the given file, with no meter.
start_on_log() {  # $1 = log file
    local home=$WORK/user
    prepare_home "$home" 250
    use_home "$home"
    mv "$1" "$home/history.log"
    printf 'LogFile=%s\n' "$home/history.log" >>"$home/cfg/Vorrelind/Zintavo.conf"
    start_program "$home"
}

# The first frame after a log is loaded has one scale for its labels and its
# trace, and negative values move the zero line at once: no trace sticks to
# an edge, nothing else redraws the chart first.
case_chart_loaded_log() {
    write_log "$WORK/up.log" 300
    start_on_log "$WORK/up.log"
    wait_for_picture "the loaded trace sticks to the chart's edge" trace
    press_escape
    wait_program
    write_log "$WORK/both.log" 300 0
    start_on_log "$WORK/both.log"
    wait_for_picture "negative values did not move the zero line" trace both
}

# Five readings in second 0 of each minute (faster than one a second), then
# one every five seconds: one time mark a minute, not a band of five.
case_time_marks() {
    awk 'BEGIN {
        for (m = 0; m < 6; m++) {
            for (k = 0; k < 5; k++) printf " 1/03/2026  3:%02d:00PM    2.00 VDC\r\n", m
            for (s = 5; s < 60; s += 5) printf " 1/03/2026  3:%02d:%02dPM    2.00 VDC\r\n", m, s
        }
    }' >"$WORK/marks.log"
    start_on_log "$WORK/marks.log"
    wait_for_picture "the time marks are not one a minute" timemarks 6
}

# F2 on a row at the window's default size: the editor takes the row's free
# width, not the few pixels of the tag column.
case_tag_editor() {
    write_log "$WORK/rows.log" 20
    start_on_log "$WORK/rows.log"
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
    xdotool mousemove --window "$WINDOW" 420 40 click 1
    sleep 0.3
    xdotool key F2
    wait_for_picture "the tag editor is narrower than 200 px" editor
}

# Readings the running program has logged (its recovery journal keeps each one).
logged_readings() {
    sed -n 's/^R //p' "$XDG_DATA_HOME/Vorrelind/Zintavo/journal.txt" 2>/dev/null | wc -l
}

# Waits until the program has logged $1 more readings than now.
wait_logged() {
    local wanted=$(($(logged_readings) + $1)) deadline=$((SECONDS + 60))
    while [ "$(logged_readings)" -lt $wanted ]; do
        [ $SECONDS -lt $deadline ] || fail "only $(logged_readings) readings were logged"
        sleep 0.05
    done
}

# With the meter streaming at 2 and 17 readings a second: a drag over the
# chart keeps its start line on the reading it was put on (moving left with
# it) while the second follows the cursor; the release holds the view, so
# later readings keep both lines, and the statistics come up in a tooltip.
# Hold lets go. Then a tag typed slowly (a key each 300 ms) on a row clicked
# lands on that row in the saved log, not on a newer reading.
case_chart_drag() {
    local home=$WORK/user rate from=560 to=300 y=330
    for rate in 2 17; do
        rm -rf "$home"
        prepare_home "$home" $PORT
        use_home "$home"
        write_log "$home/history.log" 600
        printf 'LogFile=%s\n' "$home/history.log" >>"$home/cfg/Vorrelind/Zintavo.conf"
        start_sim "$home" --script "$home/script.txt" --repeat 0 --rate $rate
        start_program "$home"
        xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
        wait_logged 3
        # Taken before the drag: until a selection has statistics there is no tooltip.
        local before
        before=$(popup_windows)

        # The chart fills the window's lower part; y = 330 is inside it.
        wait_for_picture "a marker line showed before any drag" markers
        xdotool mousemove --window "$WINDOW" $from $y
        sleep 0.3
        xdotool mousedown 1
        for x in $(seq $((from - 10)) -10 $to); do
            xdotool mousemove --window "$WINDOW" "$x" $y
            sleep 0.08
        done
        wait_for_picture "the selection lines did not follow the drag ($rate/s)" \
            markers $((to + 10)):$from $to
        xdotool mouseup 1
        wait_logged 3
        wait_for_picture "the selection lines went after the release ($rate/s)" \
            markers 36:$from 36:$from

        # Resting over the chart brings up the statistics.
        xdotool mousemove --window "$WINDOW" $((to + 20)) $((y + 10))
        sleep 0.1
        xdotool mousemove --window "$WINDOW" $((to + 25)) $((y + 10))
        local tip="" deadline=$((SECONDS + 30))
        while [ -z "$tip" ] && [ $SECONDS -lt $deadline ]; do
            tip=$(comm -13 <(echo "$before" | sort) <(popup_windows | sort) | head -n1)
            [ -n "$tip" ] || sleep 0.2
        done
        [ -n "$tip" ] || fail "no tooltip appeared over the chart"
        # Four lines of statistics: a single-line or empty tip is far lower.
        local height
        height=$(xwininfo -id "$tip" | sed -n 's/^ *Height: //p')
        [ "${height:-0}" -ge 50 ] || fail "the tooltip is only ${height} px high"

        # Hold, shown pressed since the release, lets go: the next reading clears the lines.
        xdotool mousemove --window "$WINDOW" 471 14 click 1
        wait_for_picture "Hold did not let the view go ($rate/s)" markers
        # The click lands near the list's top, well above the newest row.
        local rows=$((600 + $(logged_readings)))
        xdotool mousemove --window "$WINDOW" 420 40 click 1
        xdotool type z  # a typed letter moves nothing
        wait_logged 1  # a reading between the click and the editor
        xdotool key F2
        xdotool type --delay 300 tagtyped10
        xdotool key Return
        wait_logged 2
        press_escape
        wait_program
        stop_sim
        local log tagged
        log=$(newest_log "$home/bin")
        tagged=$(grep -n ',' "$log" | cut -d: -f1)
        grep -q ',tagtyped10'$'\r''$' "$log" || fail "the tag did not reach the log whole ($rate/s)"
        [ "$(echo "$tagged" | wc -l)" -eq 1 ] || fail "more than one row tagged ($rate/s)"
        [ "$tagged" -gt $((rows - 30)) ] && [ "$tagged" -lt "$rows" ] ||
            fail "the tag went to line $tagged, not the row clicked ($rate/s, $rows rows)"
        echo "$rate/s: tooltip $height px high; tag on line $tagged, $rows rows at the click"
    done
}

run_case
