# Helpers for the window cases that need a window manager on the virtual
# display (openbox), for the Qt and the Wine window alike. Source it; the
# functions use WORK, WINDOW, track_pid and fail of the sourcing script.

wait_until() {  # $1 = seconds, then the command
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# Starts openbox with Super+F10 bound to maximise and un-maximise.
start_window_manager() {
    cat >"$WORK/rc.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard><keybind key="W-F10"><action name="ToggleMaximize"/></keybind></keyboard>
</openbox_config>
XML
    openbox --config-file "$WORK/rc.xml" >"$WORK/openbox.log" 2>&1 &
    track_pid $!
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_until 30 wm_running || fail "openbox did not start"
}

maximized() { xprop -id "$WINDOW" _NET_WM_STATE | grep -q _NET_WM_STATE_MAXIMIZED_HORZ; }
normal() { ! maximized; }
client_size() { xdotool getwindowgeometry "$WINDOW" | sed -n 's/^ *Geometry: //p'; }
has_size() { [ "$(client_size)" = "$1" ]; }
toggle_maximized() {
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
    xdotool key --clearmodifiers super+F10
}
