#!/usr/bin/env bash
# Runs the data benchmark on the large product database: TADOQuery against
# the sqlite3 C API, statement by statement, in paired repetitions.
#   bench/data/run.sh [BUILD_DIR] [--pairs N] [--projects N] [--dishes N] [--units N]
set -euo pipefail
. "$(dirname "$0")/../large-run.sh" data/data_bench "$@"
MENVARO_BENCH_DB="$folder" exec "$bench" "$pairs"
