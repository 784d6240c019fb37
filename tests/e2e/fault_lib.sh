# Helpers of the fault and soak scripts, sourced after lib.sh: polling, the
# program's CPU time, memory and open port, numbered readings and their logs.

program_running() { kill -0 "$PROGRAM_PID" 2>/dev/null; }
sim_running() { kill -0 "$SIM_PID" 2>/dev/null; }
sim_ended() { ! sim_running; }

# Whether the program has the simulator's pseudo-terminal open.
port_held() {
    local fd
    for fd in /proc/"$PROGRAM_PID"/fd/*; do
        [ "$(readlink "$fd" 2>/dev/null)" = "$SIM_DEVICE" ] && return 0
    done
    return 1
}
port_released() { ! port_held; }

# User plus system CPU time of a process, in clock ticks.
cpu_ticks() {  # $1 = pid
    local stat fields
    stat=$(<"/proc/$1/stat") || return 1
    # Fields after the command name, which is in parentheses: state is the first,
    # user time the twelfth and system time the thirteenth.
    read -r -a fields <<<"${stat##*) }"
    echo $((fields[11] + fields[12]))
}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# CPU use as a whole percentage of one core.
cpu_percent() {  # $1 = ticks used, $2 = seconds of wall time
    echo $(($1 * 100 / ($(getconf CLK_TCK) * $2)))
}

# A script of DC-volt readings whose counts number them: $2 held readings first
# (never logged), then counts $3 to $4, each once.
write_numbered_script() {  # $1 = file, $2 = held readings, $3 = first count, $4 = last count
    {
        for ((i = 0; i < $2; i++)); do echo "1 0 0 0 hold"; done
        seq -f '1 0 0 %.0f' "$3" "$4"
    } >"$1"
}

# The counts of the numbered readings in the given logs, one per line; fails on
# a line that is not one of them.
logged_counts() {  # log files
    local bad
    bad=$(cat "$@" | grep -Evac \
        $'^[ 0-9]{2}/[0-9]{2}/[0-9]{4} [ 0-9]{2}:[0-9]{2}:[0-9]{2}[AP]M +[0-9]+ VDC\r$')
    [ "$bad" -eq 0 ] || { echo "$bad lines that no numbered reading makes" >&2; return 1; }
    cat "$@" | cut -c23- | awk '{ print $1 + 0 }'
}

# Checks that the counts on standard input are each of $1 to $2 exactly once.
expect_each_once() {  # $1 = first count, $2 = last count
    local got
    got=$(sort -n)
    local repeated missing extra
    repeated=$(uniq -d <<<"$got" | head -n3 | tr '\n' ' ')
    [ -z "$repeated" ] || fail "readings logged twice: $repeated"
    missing=$(comm -23 <(seq "$1" "$2" | sort) <(sort <<<"$got") | sort -n | head -n5 | tr '\n' ' ')
    [ -z "$missing" ] || fail "readings never logged: $missing"
    extra=$(comm -13 <(seq "$1" "$2" | sort) <(sort <<<"$got") | head -n3 | tr '\n' ' ')
    [ -z "$extra" ] || fail "readings logged that were not sent: $extra"
}

# The journal a program holds open (its own, locked while it runs).
journal_of() {  # $1 = pid
    local fd target
    for fd in /proc/"$1"/fd/*; do
        target=$(readlink "$fd" 2>/dev/null)
        [[ $target == */journal*.txt ]] && { echo "$target"; return 0; }
    done
    return 1
}

# The counts of the numbered readings in a journal, one per line.
journal_counts() {  # $1 = journal file
    sed -n 's/^R //p' "$1" | tr -d '\r' | cut -c23- | awk '{ print $1 + 0 }'
}

# Whether the program's main link has logged a reading numbered $2 to $3 since
# its last save: what "it opened its meter" means. A probe holding the port for
# a moment logs nothing.
journaled_between() {  # $1 = pid, $2 = lowest count, $3 = highest
    local journal
    journal=$(journal_of "$1") || return 1
    journal_counts "$journal" |
        awk -v lo="$2" -v hi="$3" '$1 >= lo && $1 <= hi { found = 1 } END { exit !found }'
}
