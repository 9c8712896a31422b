#!/usr/bin/env bash
# Runs the data benchmark on the large product database: TADOQuery against
# the sqlite3 C API, statement by statement, in paired repetitions.
#   bench/data/run.sh [BUILD_DIR] [--pairs N] [--projects N] [--dishes N] [--units N]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build=${1:-$root/build/release}
[ $# -gt 0 ] && shift
pairs=7
if [ "${1:-}" = "--pairs" ]; then pairs=$2; shift 2; fi
bench="$build/bench/data/data_bench"
if [ ! -x "$bench" ]; then
  echo "run.sh: $bench is not built (cmake --build $build --target data_bench)" >&2
  exit 1
fi
folder=$("$root/bench/large-db.sh" "$build" --projects 5 "$@")
MENVARO_BENCH_DB="$folder" exec "$bench" "$pairs"
