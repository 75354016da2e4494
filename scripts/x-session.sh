# Sourced by the scripts that drive the real program: a private Xvfb display
# with openbox, a scratch folder for settings, and cleanup on exit.
#   source scripts/x-session.sh; x_session_start WIDTHxHEIGHT
work=$(mktemp -d)
pids=()
x_session_cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap x_session_cleanup EXIT
fail() {
    echo "$(basename "$0"): $*" >&2
    cat "$work/program.log" >&2 2>/dev/null || true
    exit 1
}
# Waits up to 20 s for a command to succeed.
until_ok() { timeout 20 bash -c "until $*; do sleep 0.1; done" || fail "timed out: $*"; }

x_session_start() {
    export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    local n
    for n in $(seq 91 190); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { export DISPLAY=:$n; break; }
    done
    Xvfb "$DISPLAY" -screen 0 "${1:-1024x768}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    until_ok "xdpyinfo >/dev/null 2>&1"
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    until_ok "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
}
