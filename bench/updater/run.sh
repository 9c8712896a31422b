#!/usr/bin/env bash
# Runs the whole-program export benchmark on the large product database.
#   bench/updater/run.sh [BUILD_DIR] [--pairs N] [--projects N] [--dishes N] [--units N]
set -euo pipefail
. "$(dirname "$0")/../large-run.sh" updater/export_bench "$@"
MENVARO_BENCH_DB="$folder" exec "$bench" "$pairs"
