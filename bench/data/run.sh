#!/usr/bin/env bash
# Makes the large product database (once per set of parameters) and runs the
# data benchmark on it: TADOQuery against the sqlite3 C API, side by side.
#   bench/data/run.sh [BUILD_DIR] [--projects N] [--dishes N] [--units N]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build=${1:-$root/build/release}
[ $# -gt 0 ] && shift
projects=3 dishes=20000 units=3
while [ $# -gt 0 ]; do
  case $1 in
    --projects) projects=$2; shift 2 ;;
    --dishes) dishes=$2; shift 2 ;;
    --units) units=$2; shift 2 ;;
    *) echo "usage: $0 [BUILD_DIR] [--projects N] [--dishes N] [--units N]" >&2; exit 2 ;;
  esac
done
bench="$build/bench/data/data_bench"
if [ ! -x "$bench" ]; then
  echo "run.sh: $bench is not built (cmake --build $build --target data_bench)" >&2
  exit 1
fi
folder="$build/bench-data/p${projects}-d${dishes}-u${units}"
if [ ! -f "$folder/Velkoranth.db" ]; then
  "$root/demo/make-large-db.py" --projects "$projects" --dishes "$dishes" --units "$units" "$folder"
fi
MENVARO_BENCH_DB="$folder" exec "$bench" --benchmark_min_time=1
