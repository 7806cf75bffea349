#!/usr/bin/env bash
# Builds Tarvik and its tests and runs every test under Wine, on a virtual display.
# Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages
BUILD=${TARVIK_BUILD:-$TARVIK_ROOT/build}
build_tarvik "$BUILD"
prepare_wine_prefix "$BUILD/wineprefix"

exec xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" "$TARVIK_ROOT/scripts/ctest-in-wine.sh" "$BUILD" "$@"
