#!/usr/bin/env bash
# Runs a Windows program under Wine: the test runner's emulator. Wine keeps
# QT_* variables from a Windows process, so they travel as WINEQT_*; the
# helper programs and folders the tests are told of by absolute Linux paths
# are handed over as Windows paths.
set -euo pipefail
while IFS='=' read -r name _; do
    case $name in
    QT_*) export "WINE$name=${!name}" ;;
    SETTINGS_WRITER | SAVE_WRITER | PROBE | INKWELLOR_ART_DIR)
        export "$name=$(winepath -w "${!name}")" ;;
    esac
done < <(env)
exec wine "$@"
