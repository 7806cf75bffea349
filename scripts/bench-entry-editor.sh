#!/usr/bin/env bash
# Builds Tarvik and prints how long the input send dialog takes to answer a key release
# (early in the entry, past 64 characters, seven at once) and to paint itself whole
# (under Wine, on a virtual display).
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" != --inside ]; then
    ensure_packages
    BUILD=${TARVIK_BUILD:-$TARVIK_ROOT/build}
    build_tarvik "$BUILD"
    prepare_wine_prefix "$BUILD/wineprefix"
    exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" "$0" --inside "$BUILD"
fi

export WINEPREFIX=$2/wineprefix
start_wine
trap stop_wine EXIT
"$TARVIK_ROOT/scripts/wine-emulator" "$2/bench/bench_entry_editor.exe"
