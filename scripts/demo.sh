#!/usr/bin/env bash
# The demo: installs what it needs, builds the tools and runs their main job
# on the embedded default (a SQLite product database made from demo/).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$(nproc)"

if [ -x demo/run.sh ]; then
  exec demo/run.sh build/release
fi
echo "demo: the tools are built in build/release; no program is ready to run yet."
