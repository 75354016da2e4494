#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DINKWELLOR_BUILD_TESTS=OFF -DINKWELLOR_BUILD_BENCH=OFF
exec "${BUILD_DIR:-$root/build}/src/inkwellor"
