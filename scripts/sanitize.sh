#!/usr/bin/env bash
# Builds Quillmar and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs the tests there. Any sanitizer report, a leak included, fails
# the test that produced it. Extra arguments go to ctest (e.g. -R tst_receive).
# SANITIZE_CXX picks the compiler (default clang++ when present, else g++).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-asan"
"$root/scripts/deps.sh"

cxx="${SANITIZE_CXX:-}"
if [ -z "$cxx" ]; then
  if command -v clang++ >/dev/null 2>&1; then cxx=clang++; else cxx=g++; fi
fi
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
cflags="-O1 -g -fno-omit-frame-pointer $sanitizers"

# A build folder made with another compiler cannot be switched over; start it afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=.*$cxx\$" "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi

cmake -S "$root" -B "$build" \
  -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_BUILD_TYPE=Debug \
  -DQUILLMAR_BUILD_TESTS=ON \
  -DCMAKE_CXX_FLAGS="$cflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
  -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build "$build" --parallel "${SANITIZE_JOBS:-2}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure --parallel "${SANITIZE_JOBS:-2}" "$@"
