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

x_session_start() {
    # This display, whatever platform the caller's environment names.
    export QT_QPA_PLATFORM=xcb
    export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    # Xvfb picks a free display itself and names it once it is listening.
    # -noreset: a server that resets when its last client leaves refuses the
    # next one for a moment.
    Xvfb -displayfd 3 -noreset -screen 0 "${1:-1024x768}x24" -nolisten tcp \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    until_ok "[ -s '$work/display' ]"
    export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
    until_ok "xdpyinfo >/dev/null 2>&1"
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    until_ok "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
}
