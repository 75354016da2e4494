#!/usr/bin/env bash
# End to end: the real program under Xvfb with a window manager. It must
# cover the screen, take typed text (proved by saving it through the real
# dialog), bring up the panel with Esc, and end with status 0 on "Exit".
set -euo pipefail
program=$1
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "smoke: $*" >&2
    cat "$work/program.log" >&2 2>/dev/null || true
    exit 1
}
# Waits up to 20 s for a command to succeed.
until_ok() { timeout 20 bash -c "until $*; do sleep 0.1; done" || fail "timed out: $*"; }

export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { export DISPLAY=:$n; break; }
done
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
until_ok "xdpyinfo >/dev/null 2>&1"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
until_ok "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"

"$program" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)

writer=$(timeout 20 xdotool search --sync --onlyvisible --class inkwellor | head -n 1 || true)
[ -n "$writer" ] || fail "no writing window"
until_ok "xwininfo -id $writer | grep -q 'Width: 1024' && xwininfo -id $writer | grep -q 'Height: 768'"
xwininfo -id "$writer" | grep -q 'Absolute upper-left X:  0' || fail "writing window not at the left edge"
xwininfo -id "$writer" | grep -q 'Absolute upper-left Y:  0' || fail "writing window not at the top"

xdotool type --delay 20 "Smoke test words"
xdotool key Escape
panel=$(timeout 20 xdotool search --sync --onlyvisible --name '^Inkwellor Software$' | head -n 1 || true)
[ -n "$panel" ] || fail "Esc did not bring up the panel"

# "Save File", then the real dialog: type a full path and press Enter.
xdotool mousemove --window "$panel" 268 89 click 1
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Save File As$' | head -n 1 || true)
[ -n "$dialog" ] || fail "no save dialog"
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
xdotool type --delay 10 "$work/saved.txt"
xdotool key Return
until_ok "[ -f '$work/saved.txt' ]"
[ "$(cat "$work/saved.txt")" = "Smoke test words" ] || fail "saved text differs: $(cat "$work/saved.txt")"

# "Exit".
xdotool windowactivate --sync "$panel" 2>/dev/null || true
xdotool mousemove --window "$panel" 268 259 click 1
status=0
timeout 20 tail --pid="$app" -f /dev/null || fail "the program did not end"
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
echo "smoke: passed"
