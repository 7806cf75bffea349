#!/usr/bin/env bash
# Builds Tarvik and prints how long the traffic dump takes to draw: one timer tick after
# 1 to 100,000 new records, and one complete paint of a 1300 x 900 window (under Wine, on a
# virtual display).
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" != --inside ]; then
    ensure_packages
    BUILD=${TARVIK_BUILD:-$TARVIK_ROOT/build}
    build_tarvik "$BUILD" >/dev/null
    prepare_wine_prefix "$BUILD/wineprefix"
    exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" "$0" --inside "$BUILD"
fi

export WINEPREFIX=$2/wineprefix
start_wine
trap stop_wine EXIT
"$TARVIK_ROOT/scripts/wine-emulator" "$2/bench/bench_view.exe"
