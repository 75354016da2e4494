#!/usr/bin/env bash
# A load as a user waits for it, through the real programs under Xvfb and
# openbox: from the Return in the open dialog until the program is quiet
# (its CPU time has not grown for half a second), Inkwellor and FeatherPad
# taking turns on the same file of hard-wrapped prose. Prints one line per
# program with every run and the median, in milliseconds.
#   bench/real-load.sh [RUNS] [MB]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
runs=${1:-5}
mb=${2:-10}
"$root/scripts/install-deps.sh" --tests
if ! command -v featherpad >/dev/null; then
    sudo=$([ "$(id -u)" = 0 ] || echo sudo)
    $sudo apt-get install -y featherpad >/dev/null
fi
BUILD_DIR=$build BUILD_TYPE=Release "$root/scripts/build.sh" -DINKWELLOR_BUILD_TESTS=OFF \
    -DINKWELLOR_BUILD_BENCH=ON >/dev/null
source "$root/scripts/x-session.sh"
x_session_start 1024x768
file=$work/prose.txt
QT_QPA_PLATFORM=offscreen "$build/bench/inkwellor_bench" --write "$file" --size "$mb"

cpu() { # the process's CPU time in clock ticks
    local f
    read -r -a f <"/proc/$1/stat"
    echo $((f[13] + f[14]))
}
# Milliseconds from START (date +%s%N) to the last tick of CPU time PID
# used before half a second without any.
quiet_after() {
    local last lastAt now c
    last=$(cpu "$1")
    lastAt=$(date +%s%N)
    while :; do
        sleep 0.01
        now=$(date +%s%N)
        c=$(cpu "$1")
        if [ "$c" != "$last" ]; then
            last=$c
            lastAt=$now
        elif [ $((now - lastAt)) -gt 500000000 ]; then
            break
        fi
    done
    echo $(((lastAt - $2) / 1000000))
}
settle() { # waits until PID has been quiet for half a second
    quiet_after "$1" "$(date +%s%N)" >/dev/null
}

# In the open dialog titled TITLE (a pattern) of the program PID: the
# file's path, then Return, timed until the program is quiet; ends it.
load_in_dialog() {
    local app=$1 dialog start
    dialog=$(find_window --name "$2")
    [ -n "$dialog" ] || fail "no open dialog $2"
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    xdotool type --delay 10 "$file"
    settle "$app"
    start=$(date +%s%N)
    xdotool key Return
    quiet_after "$app" "$start"
    kill "$app"
    wait "$app" 2>/dev/null || true
}

inkwellor() {
    "$build/src/inkwellor" >"$work/program.log" 2>&1 &
    local app=$!
    [ -n "$(find_window --class inkwellor)" ] || fail "no writing window"
    settle $app
    xdotool key Escape
    panel=$(find_window --name '^Inkwellor Software$')
    xdotool mousemove --window "$panel" 268 55 click 1
    load_in_dialog $app '^Select A File To Load$'
}

featherpad_load() {
    featherpad --standalone >"$work/featherpad.log" 2>&1 &
    local app=$! window
    window=$(find_window --class featherpad)
    [ -n "$window" ] || fail "no FeatherPad window"
    settle $app
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    xdotool key ctrl+o
    load_in_dialog $app '^Open file'
}

median() { tr ' ' '\n' <<<"$*" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ours=()
theirs=()
for i in $(seq "$runs"); do
    ours+=("$(inkwellor)")
    theirs+=("$(featherpad_load)")
done
echo "inkwellor ms: ${ours[*]} median $(median "${ours[@]}")"
echo "featherpad ms: ${theirs[*]} median $(median "${theirs[@]}")"
