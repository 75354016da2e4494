#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the program;
# with --ci also those of CI's extra checks (sanitizers, fuzzers, packaging).
# Only missing packages are fetched, so a prepared machine pays nothing.
set -euo pipefail

packages=(
    cmake g++ make ninja-build
    qt6-base-dev libqt6test6
    fonts-dejavu-core fonts-liberation2
    xvfb xauth openbox xdotool x11-utils
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    weston qt6-wayland qt6-translations-l10n
)
if [ "${1:-}" = "--ci" ]; then
    packages+=(
        clang-14 libclang-rt-14-dev
        dpkg-dev file desktop-file-utils appstream imagemagick lintian man-db
    )
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
