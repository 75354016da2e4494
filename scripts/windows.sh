#!/usr/bin/env bash
# Builds the Windows program and its tests with Debian's MinGW-w64 against
# the prebuilt Qt for Windows in ../shared/windows (or one built from source
# with its build-qt.sh, about an hour, where that archive is absent), runs
# every test suite under Wine, packs the program's folder as a zip and as an
# installer, installs it silently under Wine and drives the installed
# program on an X display: settings from the registry, full screen, the
# panel in its skin, a change stored in the registry, Exit; then uninstalls
# it silently, which must leave only the user's settings.
#   scripts/windows.sh        (build in build-windows/, or $WINDOWS_BUILD_DIR)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${WINDOWS_BUILD_DIR:-$root/build-windows}
shared=$root/../shared/windows
mkdir -p "$out"

packages=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64 fonts-wine zstd unzip
          cmake ninja-build qt6-base-dev xvfb xauth openbox xdotool x11-utils imagemagick
          nsis qt6-translations-l10n)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Qt for Windows.
qt=$out/install
if [ ! -f "$qt/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    if [ -f "$shared/qt-6.4.2-mingw64.tar.zst" ]; then
        tar --zstd -xf "$shared/qt-6.4.2-mingw64.tar.zst" -C "$out"
    else
        echo "windows: no prebuilt Qt in $shared; building it from source (about an hour)"
        bash "$shared/build-qt.sh" "$out/qt-build"
        cp -a "$out/qt-build/install" "$qt"
    fi
fi

# The drawing tool runs at build time, so it is built for this machine.
cmake -S "$root" -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DINKWELLOR_BUILD_TESTS=OFF -DINKWELLOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$out/host" --target inkwellor_artgen >/dev/null

build=$out/build
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$shared/toolchain-mingw64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DINKWELLOR_HOST_ARTGEN="$out/host/tools/inkwellor_artgen" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" \
    -DINKWELLOR_WERROR=ON -DINKWELLOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)"

# A Wine prefix of our own, with the fonts Qt's dialogs need, and Wine's
# services started once, their output away from the tests' pipes.
source "$root/scripts/x-session.sh"
x_session_start 1280x800
unset QT_QPA_PLATFORM
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
    wine wineboot -i >/dev/null 2>&1
fi
cp /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -p >/dev/null 2>&1 || true # already up after a first start
wine cmd /c exit >/dev/null 2>&1 </dev/null
trap 'wineserver -k 2>/dev/null || true; x_session_cleanup' EXIT

# Every suite, with Qt and MinGW's libraries on the search path.
export WINEPATH="$(winepath -w "$qt/bin");$(winepath -w /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(winepath -w /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH=$(winepath -w "$qt/plugins") QT_FORCE_STDERR_LOGGING=1
(cd "$build" && ctest --output-on-failure --timeout 300)
unset WINEPATH QT_PLUGIN_PATH QT_FORCE_STDERR_LOGGING

# The zip a user unpacks and the installer, from the same files.
(cd "$build" && rm -rf _CPack_Packages && cpack >/dev/null)
zip=$(ls "$build"/inkwellor-*-windows-x64.zip)
installer=$(ls "$build"/inkwellor-*-windows-x64.exe)
rm -rf "$out/unpacked"
unzip -q "$zip" -d "$out/unpacked"
folder=$(ls -d "$out/unpacked"/inkwellor-*)
[ -f "$folder/translations/qtbase_de.qm" ] || fail "the zip lacks Qt's translations"
echo "windows: $(basename "$zip") unpacked, $(ls "$folder" | wc -l) entries"

# A silent per-user install, as a user without administrator rights.
wine "$installer" /S >/dev/null 2>&1
windows_path() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')"; }
installed="$(windows_path LOCALAPPDATA)/Programs/Inkwellor"
shortcut="$(windows_path APPDATA)/Microsoft/Windows/Start Menu/Programs/Inkwellor.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Inkwellor'
[ -f "$installed/inkwellor.exe" ] || fail "the installer put no program in $installed"
[ -f "$shortcut" ] || fail "the installer made no Start-menu entry"
listed() { (cd "$1" && find . -type f ! -name Uninstall.exe | sort); }
[ "$(listed "$folder")" = "$(listed "$installed")" ] ||
    fail "the installed files differ from the zip's: $(diff <(listed "$folder") <(listed "$installed"))"
registered=$(wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
version=$(sed -n 's/^project(Inkwellor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
for entry in "DisplayName +REG_SZ +Inkwellor" "DisplayVersion +REG_SZ +$version" \
    "Publisher +REG_SZ +Quillwerk" "QuietUninstallString +REG_SZ +.*Uninstall.exe\" /S"; do
    grep -Eq "^ +$entry\$" <<<"$registered" || fail "the uninstall entry lacks $entry: $registered"
done
echo "windows: $(basename "$installer") installed silently into $installed"

# The settings the earlier Windows program kept: a background set by hand.
key='HKCU\Software\VB and VBA Program Settings\Quillwerk\Inkwellor Software'
wine reg delete "$key" /f >/dev/null 2>&1 || true
wine reg add "$key" /v BackColor /t REG_SZ /d 255 /f >/dev/null 2>&1
(cd "$installed" && wine ./inkwellor.exe >"$work/program.log" 2>&1) &
app=$!
pids+=($app)
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}'; }
for i in $(seq 150); do [ "$(pixel 640 400)" = '#FF0000' ] && break; sleep 0.2; done
[ "$(pixel 640 400)" = '#FF0000' ] ||
    fail "the writing window is not up in the stored red (BackColor 255): $(pixel 640 400)"
for corner in "0 0" "1279 799" "1279 0" "0 799"; do
    [ "$(pixel $corner)" = '#FF0000' ] || fail "the writing window leaves $corner uncovered"
done
import -window root "$out/writing-window.png"

# A click gives the Wine window the keyboard, as no window manager does here.
xdotool mousemove 640 400 click 1
xdotool key Escape
panel=$(find_window --name '^Inkwellor Software$')
[ -n "$panel" ] || fail "Esc did not bring up the panel"
sleep 0.5
import -window root "$out/panel.png"
# The skin beside the installed program colours the panel.
eval "$(xdotool getwindowgeometry --shell "$panel")"
[ "$(pixel $((X + 3)) $((Y + 3)))" = '#F4F1EA' ] ||
    fail "the panel is not in its skin's colour: $(pixel $((X + 3)) $((Y + 3)))"

# "Change Font", and OK on the dialog as it opens: all six font keys stored.
xdotool mousemove --window "$panel" 268 123 click 1
sleep 2
xdotool key Return
timeout 20 bash -c "until wine reg query '$key' /v Name >/dev/null 2>&1; do sleep 0.5; done" ||
    fail "Change Font stored nothing in the registry"
stored=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
echo "$stored"
for value in Bold Italic Name Size Strikethrough Underline BackColor; do
    grep -Eq "^ +$value +REG_SZ" <<<"$stored" || fail "the registry lacks $value"
done
grep -Eq '^ +Bold +REG_SZ +1$' <<<"$stored" || fail "the font lost its bold"
grep -Eq '^ +BackColor +REG_SZ +255$' <<<"$stored" || fail "the background changed"

# "Exit".
xdotool mousemove 640 400 click 1
xdotool key Escape
panel=$(find_window --name '^Inkwellor Software$')
xdotool mousemove --window "$panel" 268 259 click 1
timeout 20 tail --pid="$app" -f /dev/null || fail "the program did not end"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
echo "windows: the installed program ran under Wine: full screen in the stored colour, panel in its skin, font stored, Exit"

# A silent uninstall runs a copy of itself and returns at once: wait for it.
wine "$installed/Uninstall.exe" /S >/dev/null 2>&1
until_ok "[ ! -e '$installed' ]"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu entry"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstaller left its entry under Apps"
wine reg query "$key" /v BackColor 2>/dev/null | tr -d '\r' | grep -Eq 'BackColor +REG_SZ +255$' ||
    fail "uninstalling took the user's settings"
echo "windows: uninstalled silently; only the user's settings remain"
