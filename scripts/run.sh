#!/usr/bin/env bash
# Builds Quillmar and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh" --target quillmar

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "$(uname)" != "Darwin" ]; then
  cat >&2 <<MSG
Quillmar is built, but there is no display to show its window on (neither DISPLAY nor
WAYLAND_DISPLAY is set). Start it from a desktop session, or under a virtual display:

    xvfb-run -a $root/build/quillmar

MSG
  exit 2
fi

exec "$root/build/quillmar" "$@"
