#!/usr/bin/env bash
# Runs a Windows test program in a Wine prefix of its own whose screen has 144 DPI, with a
# wineserver of its own; the other tests keep their 96-DPI prefix.
# Usage: scripts/wine-hidpi.sh PROGRAM [ARGS...]   (TARVIK_BINARY_DIR names the build folder)
set -uo pipefail
source "$(dirname "$0")/common.sh"

TARVIK_DPI=144 enter_wine_session_at_dpi "${TARVIK_BINARY_DIR:?TARVIK_BINARY_DIR names the build folder}"
"$TARVIK_ROOT/scripts/wine-emulator" "$@"
