#!/usr/bin/env bash
# Runs the backup benchmark on the large product database (5 projects of
# 20,000 dishes with 3 units unless told otherwise): the server objects'
# backup next to sqlite3's own ".backup", in one run.
#   bench/dbadmin/run.sh [BUILD_DIR] [--projects N] [--dishes N] [--units N]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build=${1:-$root/build/release}
[ $# -gt 0 ] && shift
bench="$build/bench/dbadmin/dbadmin_bench"
if [ ! -x "$bench" ]; then
  echo "run.sh: $bench is not built (cmake --build $build --target dbadmin_bench)" >&2
  exit 1
fi
command -v sqlite3 >/dev/null || { echo "run.sh: sqlite3 is not installed (scripts/install-deps.sh)" >&2; exit 1; }
folder=$("$root/bench/large-db.sh" "$build" --projects 5 "$@")
MENVARO_BENCH_DB="$folder" exec "$bench" --benchmark_min_time=2
