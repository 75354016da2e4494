#!/usr/bin/env bash
# Start-up time: process start until its full-screen window is mapped, for
# the program and for a bare Qt window, under Xvfb with openbox. Prints the
# median of RUNS starts of each and their ratio.
#   bench/startup.sh build/src/inkwellor build/bench/bare_window [RUNS]
set -euo pipefail
program=$1 bare=$2 runs=${3:-15}
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
for n in $(seq 141 190); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { export DISPLAY=:$n; break; }
done
Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
timeout 20 bash -c 'until xdpyinfo >/dev/null 2>&1; do sleep 0.05; done'
openbox >/dev/null 2>&1 &
pids+=($!)
timeout 20 bash -c 'until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do sleep 0.05; done'

# Milliseconds from exec to the first visible window of the process.
one() {
    local start end pid
    start=$(date +%s%N)
    "$1" >/dev/null 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

one "$bare" >/dev/null # warm the caches once
p=$(for _ in $(seq "$runs"); do one "$program"; done | median)
b=$(for _ in $(seq "$runs"); do one "$bare"; done | median)
echo "program: ${p} ms, bare Qt window: ${b} ms, ratio $(awk "BEGIN {printf \"%.2f\", $p / $b}") (median of $runs)"
