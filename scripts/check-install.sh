#!/usr/bin/env bash
# Installs into a staging folder and builds the .deb, then checks both: the
# desktop entry and AppStream data validate, the icon is there in its four
# sizes, and the program started through its bin/ link under Xvfb finds its
# side files (the skinned panel is not white).
#   scripts/check-install.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source "$(dirname "$0")/x-session.sh"
x_session_start 1024x768

check_tree() { # check_tree ROOT (a /usr tree below ROOT)
    local root=$1 id=app.inkwellor.Inkwellor
    desktop-file-validate "$root/usr/share/applications/$id.desktop"
    appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null
    for size in 32 48 128 256; do
        file "$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "$size x $size" ||
            fail "icon $size missing or of the wrong size"
    done
    [ -L "$root/usr/bin/inkwellor" ] || fail "bin/inkwellor is not a link"
    local exec
    exec=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
    "$root/usr/bin/$exec" >"$work/program.log" 2>&1 &
    local app=$!
    pids+=($app)
    timeout 20 xdotool search --sync --onlyvisible --pid "$app" >/dev/null || fail "no window"
    xdotool key Escape
    local panel
    panel=$(timeout 20 xdotool search --sync --onlyvisible --name '^Inkwellor Software$' | head -n 1)
    # The skin's background, once the panel has painted.
    timeout 10 bash -c "until import -window $panel -crop 1x1+3+3 txt:- 2>/dev/null |
        grep -q 'srgb(244,241,234)'; do sleep 0.1; done" ||
        fail "the panel is not skinned: the side files beside the program were not found"
    kill "$app"
    wait "$app" 2>/dev/null || true
}

rm -rf "$work/stage"
DESTDIR=$work/stage cmake --install "$build" --prefix /usr >/dev/null
check_tree "$work/stage"
echo "check-install: staged install passed"

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/inkwellor_*.deb | head -n 1)
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "computed dependencies lack Qt: $depends"
dpkg-deb -x "$deb" "$work/deb"
check_tree "$work/deb"
echo "check-install: $(basename "$deb") passed (Depends: $depends)"
