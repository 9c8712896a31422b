#!/usr/bin/env bash
# Makes the large generated product database once per set of parameters and
# prints its folder.
#   bench/large-db.sh BUILD_DIR [--projects N] [--dishes N] [--units N]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build=$1
shift
projects=3 dishes=20000 units=3
while [ $# -gt 0 ]; do
  case $1 in
    --projects) projects=$2; shift 2 ;;
    --dishes) dishes=$2; shift 2 ;;
    --units) units=$2; shift 2 ;;
    *) echo "usage: $0 BUILD_DIR [--projects N] [--dishes N] [--units N]" >&2; exit 2 ;;
  esac
done
folder="$build/bench-data/p${projects}-d${dishes}-u${units}"
if [ ! -f "$folder/Velkoranth.db" ]; then
  "$root/demo/make-large-db.py" --projects "$projects" --dishes "$dishes" --units "$units" "$folder" >&2
fi
echo "$folder"
