#!/usr/bin/env bash
# Runs the updater's road and then the backup tool's on the demo: the demo
# product database, a settings file that points at it and a folder that
# stands for a connected handheld. With a display each program opens in a
# real window; without one they run headless through demo/pelgrane.script
# and demo/storvik.script and keep screenshots.
#   demo/run.sh BUILD_DIR
# MENVARO_DEMO_SERVER names another folder holding Velkoranth.db for the
# backup tool (the test of this road backs up and restores a copy).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: demo/run.sh BUILD_DIR}" && pwd)"
work="$build/demo-run"
db="$build/demo/db"
program="$build/updater/Pelgrane"
storvik="$build/backup_tool/Storvik"
server="${MENVARO_DEMO_SERVER:-$db}"
[ -x "$program" ] || { echo "demo: $program is not built" >&2; exit 1; }
[ -x "$storvik" ] || { echo "demo: $storvik is not built" >&2; exit 1; }
[ -f "$db/Velkoranth.db" ] || { echo "demo: $db/Velkoranth.db is not made" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/screenshots" "$work/handheld/Program Files/Menvaro餐点" "$build/updater/xml"
. "$root/demo/settings.sh"
write_demo_settings "$work/registry.reg" "$db" "$server"
# The room list the restaurant's server leaves beside the data files, in the
# handheld's code page.
iconv -f UTF-8 -t GBK "$root/demo/Room.txt" > "$build/updater/xml/Room.txt"

export MENVARO_REGISTRY="$work/registry.reg"
export MENVARO_DEVICE_ROOT="$work/handheld"

# run PROGRAM SCRIPT HINT: in a window with a display (MENVARO_UI unset),
# otherwise through demo/SCRIPT with its screenshots in the demo's folder.
run() {
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${MENVARO_UI:-}" ]; then
    echo "demo: $3"
    MENVARO_UI=sdl "$1"
  else
    sed "s|SHOTS|$work/screenshots|" "$root/demo/$2" > "$work/$2"
    MENVARO_UI=${MENVARO_UI:-headless} MENVARO_UI_SCRIPT="$work/$2" "$1"
  fi
}

run "$program" pelgrane.script "the updater opens in a window; press 生成资料, then 开始更新, then 退出."

echo
echo "demo: files on the handheld ($work/handheld/Program Files/Menvaro餐点):"
ls -l "$work/handheld/Program Files/Menvaro餐点"

# The backup tool runs from a copy of its own, so that its backup folder
# (beside the program) is the demo's.
mkdir -p "$work/storvik"
cp "$storvik" "$work/storvik/Storvik"
run "$work/storvik/Storvik" storvik.script \
  "the backup tool opens; log in with any user, press 开始备份, then on 恢复数据 开始恢复, then 退出."
echo
echo "demo: backups of the product database ($work/storvik/DataBackup):"
ls -l "$work/storvik/DataBackup"
if ls "$work/screenshots"/*.png >/dev/null 2>&1; then
  echo "demo: screenshots of the windows: $work/screenshots/"
fi
