#!/usr/bin/env bash
# Builds Quillmar with its tests and runs them on the offscreen platform.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "$root/build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
