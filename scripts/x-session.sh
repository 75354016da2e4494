# Sourced by the scripts that drive the real program: a private Xvfb display
# with openbox, a scratch folder for settings, and cleanup on exit.
#   source scripts/x-session.sh; x_session_start WIDTHxHEIGHT
work=$(mktemp -d)
pids=()
x_session_cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap x_session_cleanup EXIT
fail() {
    echo "$(basename "$0"): $*" >&2
    cat "$work/program.log" "$work/xvfb.log" "$work/openbox.log" >&2 2>/dev/null || true
    exit 1
}
# Waits up to 20 s for a command to succeed.
until_ok() { timeout 20 bash -c "until $*; do sleep 0.1; done" || fail "timed out: $*"; }

# Prints the first visible window that `xdotool search` finds with the given
# arguments, waiting up to 20 s; a window that vanishes while it is searched
# (an X error) is only a reason to search again.
find_window() {
    local found="" i
    for i in $(seq 200); do
        found=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1 || true)
        [ -n "$found" ] && break
        sleep 0.1
    done
    echo "$found"
}

# From the writing window: Esc, the panel's button at height Y, then in the
# real file dialog titled TITLE the full PATH and Enter. Sets $panel.
panel_file_dialog() { # panel_file_dialog Y TITLE PATH
    xdotool key Escape
    panel=$(find_window --name '^Inkwellor Software$')
    [ -n "$panel" ] || fail "Esc did not bring up the panel"
    xdotool mousemove --window "$panel" 268 "$1" click 1
    local dialog
    dialog=$(find_window --name "^$2\$")
    [ -n "$dialog" ] || fail "no dialog \"$2\""
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    xdotool type --delay 10 "$3"
    xdotool key Return
}

x_session_environment() {
    # This display, whatever platform the caller's environment names.
    export QT_QPA_PLATFORM=xcb
    # Every file a program here writes stays in the work folder: openbox
    # logs to the cache folder.
    export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run XDG_CACHE_HOME=$work/cache \
        XDG_DATA_HOME=$work/data
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}

# The server wrote its display number to $work/display: use it, with openbox.
x_session_join() {
    until_ok "[ -s '$work/display' ]"
    export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
    until_ok "xdpyinfo >/dev/null 2>&1"
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    until_ok "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
}

x_session_start() {
    x_session_environment
    # Xvfb picks a free display itself and names it once it is listening.
    # -noreset: a server that resets when its last client leaves refuses the
    # next one for a moment.
    Xvfb -displayfd 3 -noreset -screen 0 "${1:-1024x768}x24" -nolisten tcp \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    x_session_join
}

# Xorg with the dummy driver: real RandR outputs (DUMMY0, DUMMY1, ...) whose
# modes and primary xrandr can change, which Xvfb cannot. Returns 1 where
# Xorg cannot be started (it needs root on most systems).
x_session_start_xorg() {
    x_session_environment
    cat >"$work/xorg.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
    Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1920x1080" "1024x768"
        Virtual 1920 1080
    EndSubSection
EndSection
CONF
    Xorg -displayfd 3 -noreset -nolisten tcp -config "$work/xorg.conf" -logfile "$work/xorg.log" \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    local server=$!
    pids+=($server)
    timeout 20 bash -c "until [ -s '$work/display' ] || ! kill -0 $server 2>/dev/null; do sleep 0.1; done" ||
        true
    [ -s "$work/display" ] || return 1
    x_session_join
}
