#!/usr/bin/env bash
# Makes the screenshots in docs/ again, from a neutral setting: the programs
# as installed in /opt/menvaro (Pelgrane's data folder /opt/menvaro/xml/,
# Storvik's backup folder /opt/menvaro/DataBackup/), the demo database and
# fixed dates, drawn by the headless backend. /opt is a file system of this
# script's own (a private mount namespace, as this user mapped to root
# where the user is not root), so nothing of the machine's /opt is touched
# and no path of the machine shows in a picture.
#   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"

if [ -z "${MENVARO_SCREENSHOTS_INSIDE:-}" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$build" --target Pelgrane Storvik menvaro_folder_device demo_database
  build="$(cd "$build" && pwd)"
  map=()
  [ "$(id -u)" = 0 ] || map=(--map-root-user)
  if ! unshare --mount "${map[@]}" true 2>/dev/null; then
    echo "screenshots: a mount namespace of its own is needed (unshare --mount); run as root" \
      "or where user namespaces are allowed" >&2
    exit 1
  fi
  exec env MENVARO_SCREENSHOTS_INSIDE=1 unshare --mount "${map[@]}" "$0" "$build"
fi

# Inside the namespace from here on.
mount --make-rprivate / 2>/dev/null || true
mount -t tmpfs tmpfs /opt
install=/opt/menvaro
work=/opt/work
mkdir -p "$install/xml" "$install/db" "$work"
cp "$build/updater/Pelgrane" "$build/updater/librapi.so" "$build/backup_tool/Storvik" "$install/"
cp "$build/demo/db/Velkoranth.db" "$install/db/"
. "$root/demo/settings.sh"
write_demo_settings "$work/registry.reg" "$install/db" "$install/db"

cat > "$work/pelgrane.script" <<SCRIPT
screenshot UpdateForm "$work/pelgrane-main.png"
click btnClose
SCRIPT

cat > "$work/storvik.script" <<SCRIPT
screenshot frmUsePasswd "$work/storvik-login.png"
type edUser "sa"
click btnOk
expect edBackupDir text "$install/DataBackup/"
type dtpBackupDate "20240510"
press Tab
press End
screenshot frmDataTools "$work/storvik-backup.png"
click fxbtnBackup
expect Message text "备份数据库成功!"
screenshot frmShowInfo "$work/storvik-wait.png"
click OK
press Ctrl+Tab
type dtpResumeDate "20240510"
press Tab
screenshot frmDataTools "$work/storvik-restore.png"
click fxSbtnClose2
SCRIPT

export MENVARO_UI=headless MENVARO_REGISTRY="$work/registry.reg"
MENVARO_DEVICE_ROOT="$work/handheld" MENVARO_UI_SCRIPT="$work/pelgrane.script" "$install/Pelgrane"
MENVARO_UI_SCRIPT="$work/storvik.script" "$install/Storvik"

for shot in pelgrane-main storvik-login storvik-backup storvik-wait storvik-restore; do
  cp "$work/$shot.png" "$root/docs/$shot.png"
  echo "screenshots: docs/$shot.png"
done
