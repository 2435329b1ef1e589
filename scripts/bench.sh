#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench/) and runs every bench_* target.
# Exits non-zero when a benchmark fails to run; missed targets are reported, not fatal.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
"$root/scripts/deps.sh"

args=(-DCMAKE_BUILD_TYPE=Release -DQUILLMAR_BUILD_TESTS=OFF -DQUILLMAR_BUILD_BENCH=ON -UCMAKE_PROJECT_INCLUDE)
cmake -S "$root" -B "$build" "${args[@]}" >/dev/null
jobs="${BENCH_JOBS:-2}"

mapfile -t benches < <(cmake --build "$build" --target help | sed -n -E 's/^(\.\.\. )?(bench_[A-Za-z0-9_]+)(:.*)?$/\2/p' | grep -v '_autogen$' | sort -u)
if [ ${#benches[@]} -eq 0 ]; then
  echo "bench.sh: no bench_* targets found" >&2
  exit 1
fi
cmake --build "$build" --parallel "$jobs" --target "${benches[@]}"

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
status=0
for b in "${benches[@]}"; do
  exe="$(find "$build" -type f -name "$b" -perm -u+x | head -n 1)"
  echo "== $b"
  if [ -z "$exe" ]; then
    echo "bench.sh: $b was not built" >&2
    status=1
    continue
  fi
  "$exe" || status=1
done
exit $status
