#!/usr/bin/env bash
# Builds Tarvik and its tests and runs every test under Wine, on a virtual display; then
# builds the native fuzz targets and sanitizer programs and runs each briefly.
# Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
source "$(dirname "$0")/common.sh"

prepare_build
build_fuzz "$BUILD/fuzz"
status=0
xvfb-run -a -s "$VIRTUAL_SCREEN" "$TARVIK_ROOT/scripts/ctest-in-wine.sh" "$BUILD" "$@" || status=$?
run_fuzz_tests "$BUILD/fuzz" "$@" || status=$?
exit $status
