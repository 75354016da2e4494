#!/usr/bin/env bash
# End to end: the real program under Xvfb with a window manager. It must
# cover the screen, take typed text (proved by saving it through the real
# dialog), bring up the panel with Esc, and end with status 0 on "Exit".
set -euo pipefail
program=$1
source "$(dirname "$0")/../scripts/x-session.sh"
x_session_start 1024x768

"$program" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)

writer=$(find_window --class inkwellor)
[ -n "$writer" ] || fail "no writing window"
until_ok "xwininfo -id $writer | grep -q 'Width: 1024' && xwininfo -id $writer | grep -q 'Height: 768'"
xwininfo -id "$writer" | grep -q 'Absolute upper-left X:  0' || fail "writing window not at the left edge"
xwininfo -id "$writer" | grep -q 'Absolute upper-left Y:  0' || fail "writing window not at the top"

xdotool type --delay 20 "Smoke test words"
# "Save File", then the real dialog: type a full path and press Enter.
panel_file_dialog 89 'Save File As' "$work/saved.txt"
until_ok "[ -f '$work/saved.txt' ]"
[ "$(cat "$work/saved.txt")" = "Smoke test words" ] || fail "saved text differs: $(cat "$work/saved.txt")"

# Regression: a flood of Esc presses could leave neither window on the
# screen. Afterwards exactly one is, and Esc still hands over.
viewable() { xwininfo -id "$1" 2>/dev/null | grep -c 'IsViewable' || true; }
xdotool windowactivate --sync "$panel" 2>/dev/null || true
xdotool key --delay 1 --repeat "${ESC_FLOOD:-3000}" Escape
until_ok "[ \$(( \$(xwininfo -id $writer | grep -c IsViewable) + \$(xwininfo -id $panel | grep -c IsViewable) )) -eq 1 ]"
before=$(viewable "$panel")
xdotool key Escape
until_ok "[ \$(xwininfo -id $panel | grep -c IsViewable) -ne $before ]"
[ "$(viewable "$panel")" -eq 1 ] || {
    xdotool key Escape
    until_ok "xwininfo -id $panel | grep -q IsViewable"
}

# "Exit".
xdotool windowactivate --sync "$panel" 2>/dev/null || true
xdotool mousemove --window "$panel" 268 259 click 1
status=0
timeout 20 tail --pid="$app" -f /dev/null || fail "the program did not end"
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
echo "smoke: passed"
