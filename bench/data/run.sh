#!/usr/bin/env bash
# Runs the data benchmark on the large product database: TADOQuery against
# the sqlite3 C API, side by side.
#   bench/data/run.sh [BUILD_DIR] [--projects N] [--dishes N] [--units N]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build=${1:-$root/build/release}
[ $# -gt 0 ] && shift
bench="$build/bench/data/data_bench"
if [ ! -x "$bench" ]; then
  echo "run.sh: $bench is not built (cmake --build $build --target data_bench)" >&2
  exit 1
fi
folder=$("$root/bench/large-db.sh" "$build" --projects 3 "$@")
MENVARO_BENCH_DB="$folder" exec "$bench" --benchmark_min_time=1
