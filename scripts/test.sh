#!/usr/bin/env bash
# Builds Quillmar with its tests and runs them on the offscreen platform, then runs
# them again built with AddressSanitizer and UBSan (build-asan/), then fuzzes the
# receive path for a short budget (build-fuzz/). Extra arguments go to the first
# ctest run only (e.g. -R tst_presets); QUILLMAR_TEST_QUICK=1 skips the sanitizer
# and fuzzing runs for a quick local check.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
(
  export QT_QPA_PLATFORM=offscreen
  cd "$root/build"
  ctest --output-on-failure --parallel "$(nproc)" "$@"
)
if [ "${QUILLMAR_TEST_QUICK:-0}" = 1 ]; then
  exit 0
fi
echo "== the tests under AddressSanitizer and UBSan"
SANITIZE_JOBS="$(nproc)" "$root/scripts/sanitize.sh"
echo "== fuzzing the receive path"
FUZZ_JOBS="$(nproc)" "$root/scripts/fuzz.sh" "${QUILLMAR_FUZZ_SECONDS:-60}"
