#!/usr/bin/env bash
# Runs ctest in the build folder $1 with a persistent wineserver (on the display already set).
set -uo pipefail
source "$(dirname "$0")/common.sh"
BUILD=$(cd "$1" && pwd); shift
enter_wine_session "$BUILD"
cd "$BUILD" && ctest --output-on-failure --timeout 300 "$@"
