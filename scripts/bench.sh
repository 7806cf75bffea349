#!/usr/bin/env bash
# Builds Tarvik and runs one benchmark program, bench/bench_<name>.cpp, under Wine on a
# virtual display; it prints its own figures.
# Usage: scripts/bench.sh capture       (recording packets with a capture to disk off and on)
#        scripts/bench.sh view          (the dump: timer ticks after 1 to 100,000 new records, a paint)
#        scripts/bench.sh entry_editor  (the input send dialog: key releases, a paint)
#        TARVIK_DPI=144 scripts/bench.sh view   (the same on a 144-DPI screen)
# The receive threads have their own script, scripts/bench-comm.sh (it needs a Linux sender).
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" != --inside ]; then
    [ -n "${1:-}" ] || { echo "usage: $0 <benchmark name>" >&2; exit 2; }
    prepare_build >/dev/null
    exec xvfb-run -a -s "$VIRTUAL_SCREEN" "$0" --inside "$BUILD" "$@"
fi

BUILD=$2
NAME=$3
shift 3
enter_wine_session_at_dpi "$BUILD"
"$TARVIK_ROOT/scripts/wine-emulator" "$BUILD/bench/bench_$NAME.exe" "$@"
