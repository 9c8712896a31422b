# Sourced by the run scripts of the benchmarks on the large product database:
#   . bench/large-run.sh TARGET [BUILD_DIR] [--pairs N] [--projects N] [--dishes N] [--units N]
# sets root, build, pairs (7 unless told), bench (the built TARGET, a path
# below BUILD_DIR/bench) and folder (the database's folder, made when missing;
# 5 projects of 20,000 dishes with 3 units unless told).
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
target=$1
shift
build=${1:-$root/build/release}
[ $# -gt 0 ] && shift
pairs=7
if [ "${1:-}" = "--pairs" ]; then pairs=$2; shift 2; fi
bench="$build/bench/$target"
if [ ! -x "$bench" ]; then
  echo "$0: $bench is not built (cmake --build $build --target $(basename "$target"))" >&2
  exit 1
fi
folder=$("$root/bench/large-db.sh" "$build" --projects 5 "$@")
