#!/usr/bin/env bash
# The real program on an X server whose screens change (Xorg's dummy driver,
# openbox): the writing window covers exactly the primary screen after each
# change of resolution and of primary screen, and the panel comes up wholly
# on the screen and offers no maximise. Exits 77 (skipped) where Xorg cannot
# be started.
set -euo pipefail
program=$1
source "$(dirname "$0")/../scripts/x-session.sh"
x_session_start_xorg || { echo "smoke-screens: Xorg cannot be started here: skipped"; exit 77; }

"$program" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)
writer=$(find_window --class inkwellor)
[ -n "$writer" ] || fail "no writing window"

covers() { # covers X Y WIDTH HEIGHT: the writing window's geometry, waited for
    until_ok "xwininfo -id $writer | tr -s ' ' | grep -q 'Absolute upper-left X: $1\$' &&
        xwininfo -id $writer | tr -s ' ' | grep -q 'Absolute upper-left Y: $2\$' &&
        xwininfo -id $writer | grep -q 'Width: $3\$' && xwininfo -id $writer | grep -q 'Height: $4\$'"
}
panel_fits() { # panel_fits SCREEN_WIDTH SCREEN_HEIGHT
    xdotool windowactivate --sync "$writer" 2>/dev/null || true
    xdotool key Escape
    panel=$(find_window --name '^Inkwellor Software$')
    [ -n "$panel" ] || fail "Esc did not bring up the panel"
    local x y w h
    eval "$(xwininfo -id "$panel" | tr -d ' ' | awk -F: '/Absoluteupper-leftX/{print "x="$2}
        /Absoluteupper-leftY/{print "y="$2} /Width/{print "w="$2} /Height/{print "h="$2}')"
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$1" ] && [ $((y + h)) -le "$2" ] ||
        fail "panel ${w}x${h} at $x,$y is not wholly on a ${1}x${2} screen"
    xprop -id "$panel" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE && fail "the panel offers maximise"
    xdotool windowactivate --sync "$panel" 2>/dev/null || true
    xdotool key Escape
    until_ok "! xdotool search --onlyvisible --name '^Inkwellor Software\$' >/dev/null"
}

covers 0 0 1920 1080
panel_fits 1920 1080
xrandr --output DUMMY0 --mode 1024x768
covers 0 0 1024 768
panel_fits 1024 768
xrandr --output DUMMY0 --mode 1920x1080
covers 0 0 1920 1080

xrandr --addmode DUMMY1 1024x768
xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0
xrandr --output DUMMY1 --primary
covers 1920 0 1024 768
xrandr --output DUMMY0 --primary
covers 0 0 1920 1080
kill "$app"
echo "smoke-screens: passed"
