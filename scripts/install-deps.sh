#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and run the program; with
# --tests also those of the test suite (X servers, a window manager, input
# tools, weston), with --ci also those of CI's extra checks (sanitizers,
# fuzzers, packaging). Only missing packages are fetched, so a prepared
# machine pays nothing.
set -euo pipefail

packages=(
    cmake g++ make ninja-build
    qt6-base-dev qt6-wayland qt6-translations-l10n
    libxkbcommon-dev # else every configure says "Could NOT find XKB"
    fonts-dejavu-core fonts-liberation2
)
case "${1:-}" in
--tests | --ci)
    packages+=(
        libqt6test6
        xvfb xauth openbox xdotool x11-utils imagemagick
        xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
        weston
    )
    ;;&
--ci)
    packages+=(
        clang-14 libclang-rt-14-dev
        dpkg-dev file desktop-file-utils appstream lintian man-db
    )
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "These Debian packages are missing: ${missing[*]}" >&2
        echo "Install them as root (su -c 'apt-get install ${missing[*]}'), then run this again." >&2
        exit 1
    fi
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
