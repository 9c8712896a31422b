#!/usr/bin/env bash
# Runs the copy benchmark on the handheld files of the large product database
# (made once with the Python peer of the export, which writes Pelgrane's bytes).
#   bench/updater/copy-run.sh [BUILD_DIR] [--pairs N] [--projects N] [--dishes N] [--units N]
set -euo pipefail
. "$(dirname "$0")/../large-run.sh" updater/copy_bench "$@"
if [ ! -f "$folder/files/dish01.xml" ]; then
  mkdir -p "$folder/files"
  python3 "$root/bench/updater/export_peer.py" "$folder/Velkoranth.db" "$folder/files"
fi
exec "$bench" "$folder/files" "$pairs"
