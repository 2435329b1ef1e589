#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang, ASan and UBSan (in build-fuzz/)
# and runs each one for a smoke budget:
#
#   scripts/fuzz.sh [seconds per harness, default 60]
#
# A crash, sanitizer report, leak, time-out or broken invariant fails the run; the
# input that caused it is kept as build-fuzz/artifacts/<harness>-crash-… (replay it
# with build-fuzz/fuzz_<harness> <file>). The working corpus grows in
# build-fuzz/corpus/<harness>; the seeds in fuzz/corpus/<harness> are only read.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac
"$root/scripts/deps.sh"

cxx="${FUZZ_CXX:-clang++}"
if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "fuzz.sh: $cxx not found; the harnesses need clang with libFuzzer" >&2
  exit 1
fi
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "${FUZZ_JOBS:-2}"

mapfile -t harnesses < <(find "$build" -maxdepth 1 -type f -perm -u+x -name 'fuzz_*' -printf '%f\n' | sort)
if [ ${#harnesses[@]} -eq 0 ]; then
  echo "fuzz.sh: no harness was built" >&2
  exit 1
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$build/artifacts"
status=0
for h in "${harnesses[@]}"; do
  name="${h#fuzz_}"
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "== $h: ${seconds} s"
  if "$build/$h" "$corpus" "${seeds[@]}" \
      -max_total_time="$seconds" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" >"$build/$h.log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$build/$h.log" || true
  else
    status=1
    echo "fuzz.sh: $h failed; the last lines of $build/$h.log:" >&2
    tail -n 40 "$build/$h.log" >&2
  fi
done
exit $status
