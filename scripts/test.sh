#!/usr/bin/env bash
# Builds Tarvik and its tests and runs every test under Wine, on a virtual display.
# Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
source "$(dirname "$0")/common.sh"

prepare_build
exec xvfb-run -a -s "$VIRTUAL_SCREEN" "$TARVIK_ROOT/scripts/ctest-in-wine.sh" "$BUILD" "$@"
