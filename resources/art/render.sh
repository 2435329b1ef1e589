#!/bin/sh
# Rebuilds the artwork renderer in a throw-away build directory and regenerates
# every image under resources/ from the SVG sources next to this script.
set -eu

ART_DIR=$(cd "$(dirname "$0")" && pwd)
RES_DIR=$(dirname "$ART_DIR")
BUILD_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quillmar-art.XXXXXX")
trap 'rm -rf "$BUILD_DIR"' EXIT INT TERM

cmake -S "$ART_DIR" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" --target render_artwork -- -j2 >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$BUILD_DIR/render_artwork" "$RES_DIR" "$ART_DIR"
