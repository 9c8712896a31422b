#!/usr/bin/env bash
# Makes FOLDER/Velkoranth.db, the demo product database, from Velkoranth.sql.
# An older file is replaced only once the new one is complete.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 FOLDER" >&2
  exit 2
fi
folder=$1
sql="$(cd "$(dirname "$0")" && pwd)/Velkoranth.sql"
command -v sqlite3 >/dev/null || { echo "make-demo-db: sqlite3 is not installed (scripts/install-deps.sh)" >&2; exit 1; }

mkdir -p "$folder"
tmp=$(mktemp "$folder/.Velkoranth.db.XXXXXX")
trap 'rm -f "$tmp"' EXIT
sqlite3 -batch -bail "$tmp" < "$sql"
chmod 0644 "$tmp"
mv -f "$tmp" "$folder/Velkoranth.db"
trap - EXIT
