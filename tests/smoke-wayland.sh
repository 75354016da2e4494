#!/usr/bin/env bash
# The real windows under a Wayland compositor (weston, headless): the writing
# window must cover the whole screen, and Esc must bring up the panel in its
# place. The probe helper starts the program and presses Esc in-process, as
# headless weston has no input to drive.
#   tests/smoke-wayland.sh PROBE PROGRAM_FOLDER
set -euo pipefail
probe=$1
program_dir=$2
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache \
    XDG_DATA_HOME=$work/data
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 \
    --socket=inkwellor-smoke --idle-time=0 >"$work/weston.log" 2>&1 &
compositor=$!
trap 'kill $compositor 2>/dev/null; wait $compositor 2>/dev/null; rm -rf "$work"' EXIT
timeout 20 bash -c "until [ -S '$XDG_RUNTIME_DIR/inkwellor-smoke' ]; do sleep 0.1; done" ||
    { cat "$work/weston.log"; echo "smoke-wayland: weston did not start" >&2; exit 1; }

# Under the sanitizers, the Wayland client libraries' own allocations that
# live until exit are not this program's leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
WAYLAND_DISPLAY=inkwellor-smoke QT_QPA_PLATFORM=wayland timeout 60 "$probe" panel "$program_dir" \
    >"$work/probe.log" 2>&1 || { cat "$work/probe.log"; echo "smoke-wayland: the probe failed" >&2; exit 1; }
expect() {
    grep -qx "$1" "$work/probe.log" ||
        { cat "$work/probe.log"; echo "smoke-wayland: no line '$1'" >&2; exit 1; }
}
expect 'writer 1280x800 at 0,0 visible=1'
expect 'panel 536x281 at .* visible=1'
expect 'writer 1280x800 at 0,0 visible=0'
grep -q 'Application Error' "$work/probe.log" && { cat "$work/probe.log"; exit 1; }
echo "smoke-wayland: passed"
