#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests
"$root/scripts/build.sh" -DINKWELLOR_WERROR=ON -DINKWELLOR_BUILD_TESTS=ON -DINKWELLOR_BUILD_BENCH=ON
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 300 "$@"
