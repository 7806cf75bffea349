#!/usr/bin/env bash
# Builds Tarvik and makes the release zip (Tarvik-x.y.z-win64.zip, one folder Tarvik-x.y.z/);
# prints the zip's path. TARVIK_BUILD picks the build folder, as for the other scripts.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages
BUILD=${TARVIK_BUILD:-$TARVIK_ROOT/build}
build_tarvik "$BUILD" >&2
cmake --build "$BUILD" --target package >&2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
zip=$BUILD/Tarvik-$version-win64.zip
[ -f "$zip" ] || { echo "the package step made no $zip" >&2; exit 1; }
echo "$zip"
