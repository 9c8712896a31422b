#!/usr/bin/env bash
# Runs the updater's road on the demo: the demo product database, a settings
# file that points at it and a folder that stands for a connected handheld.
# With a display the updater opens in a real window; without one it runs
# headless through demo/pelgrane.script and keeps screenshots.
#   demo/run.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: demo/run.sh BUILD_DIR}" && pwd)"
work="$build/demo-run"
db="$build/demo/db"
program="$build/updater/Pelgrane"
[ -x "$program" ] || { echo "demo: $program is not built" >&2; exit 1; }
[ -f "$db/Velkoranth.db" ] || { echo "demo: $db/Velkoranth.db is not made" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/screenshots" "$work/handheld/Program Files/Menvaro餐点" "$build/updater/xml"
cat > "$work/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]
"ServerName"="$db"
"LoginType"=dword:00000000
"UserName"="sa"
"Passwd"=""
"DatabaseName"="Velkoranth"
REG
# The room list the restaurant's server leaves beside the data files, in the
# handheld's code page.
iconv -f UTF-8 -t GBK "$root/demo/Room.txt" > "$build/updater/xml/Room.txt"

export MENVARO_REGISTRY="$work/registry.reg"
export MENVARO_DEVICE_ROOT="$work/handheld"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${MENVARO_UI:-}" ]; then
  echo "demo: the updater opens in a window; press 生成资料, then 开始更新, then 退出."
  MENVARO_UI=sdl "$program"
else
  sed "s|SHOTS|$work/screenshots|" "$root/demo/pelgrane.script" > "$work/pelgrane.script"
  MENVARO_UI=${MENVARO_UI:-headless} MENVARO_UI_SCRIPT="$work/pelgrane.script" "$program"
fi

echo
echo "demo: files on the handheld ($work/handheld/Program Files/Menvaro餐点):"
ls -l "$work/handheld/Program Files/Menvaro餐点"
if ls "$work/screenshots"/*.png >/dev/null 2>&1; then
  echo "demo: screenshots of the window: $work/screenshots/"
fi
