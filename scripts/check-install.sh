#!/usr/bin/env bash
# Builds the program as a distribution would (the hardening flags of
# dpkg-buildflags, the Unix Makefiles generator in parallel) into
# BUILD_DIR-package, installs it into a staging folder and builds the .deb,
# then checks both: the desktop entry and AppStream data validate, the icon
# is there in every size, the program started through its bin/ link under
# Xvfb finds its side files (the skinned panel is not white), and lintian
# finds no error or warning in the package.
#   scripts/check-install.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1-package
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S "$root" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=None \
    -DINKWELLOR_WERROR=ON -DINKWELLOR_BUILD_TESTS=OFF -DINKWELLOR_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
echo "check-install: building $build"
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)" |
    { grep -E '^\[ *[0-9]+%\] (Built|Linking)' || true; }
source "$(dirname "$0")/x-session.sh"
x_session_start 1024x768

check_tree() { # check_tree ROOT (a /usr tree below ROOT)
    local root=$1 id=app.inkwellor.Inkwellor
    desktop-file-validate "$root/usr/share/applications/$id.desktop"
    appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null
    for size in 16 24 32 48 64 128 256; do
        file "$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "$size x $size" ||
            fail "icon $size missing or of the wrong size"
    done
    grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "no scalable icon"
    man -l "$root/usr/share/man/man1/inkwellor.1.gz" >/dev/null 2>&1 || fail "no readable man page"
    [ -L "$root/usr/bin/inkwellor" ] || fail "bin/inkwellor is not a link"
    local exec
    exec=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
    "$root/usr/bin/$exec" >"$work/program.log" 2>&1 &
    local app=$!
    pids+=($app)
    [ -n "$(find_window --pid "$app")" ] || fail "no window"
    xdotool key Escape
    local panel
    panel=$(find_window --name '^Inkwellor Software$')
    [ -n "$panel" ] || fail "Esc did not bring up the panel"
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
readelf -d "$work/deb/usr/lib/inkwellor/inkwellor" | grep -Eq 'RPATH|RUNPATH' &&
    fail "the packaged program carries a search path"
lintian -EvIL +pedantic --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian found errors or warnings"; }
echo "check-install: $(basename "$deb") passed, lintian clean (Depends: $depends)"
grep -E '^[EWIP]:' "$work/lintian.log" || true
