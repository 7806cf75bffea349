#!/usr/bin/env bash
# Takes screenshots of program scenes under Xvfb into docs/<scene>.png.
# Usage: scripts/screenshots.sh scene...   (scenes: see tests/screens.cpp)
#        TARVIK_DPI=144 scripts/screenshots.sh scene...   (on a 144-DPI screen: docs/<scene>-144dpi.png)
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" != --inside ]; then
    prepare_build
    exec xvfb-run -a -s "$VIRTUAL_SCREEN" "$0" --inside "$BUILD" "$@"
fi

BUILD=$2; shift 2
export TARVIK_SOURCE_DIR=$TARVIK_ROOT
enter_wine_session_at_dpi "$BUILD"
suffix=
[ "${TARVIK_DPI:-96}" = 96 ] || suffix=-${TARVIK_DPI}dpi
for scene in "$@"; do
    hs=$(mktemp -d)
    "$TARVIK_ROOT/scripts/wine-emulator" "$BUILD/tests/tarvik_screens.exe" "$scene" "Z:${hs//\//\\}" &
    pid=$!
    for _ in $(seq 1 300); do [ -s "$hs/ready" ] && break; sleep 0.1; done
    if [ -s "$hs/ready" ]; then
        sleep 0.5
        read -r x y w h < "$hs/ready" || true
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "$TARVIK_ROOT/docs/$scene$suffix.png"
        echo "docs/$scene$suffix.png (${w}x${h})"
    else
        echo "scene $scene did not come up" >&2
    fi
    touch "$hs/done"
    wait "$pid" || true
    rm -rf "$hs"
done
