#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: packages already present are not fetched again, and the
# package lists are refreshed at most once per run.
set -euo pipefail

packages=(
  # build tools
  cmake ninja-build g++ pkg-config
  # test and benchmark frameworks
  libgtest-dev libgmock-dev libbenchmark-dev
  # graphics and windows
  libsdl2-dev libfreetype-dev libfontconfig-dev libpixman-1-dev
  libjpeg-dev libpng-dev zlib1g-dev
  # data access
  libsqlite3-dev sqlite3 freetds-dev libpugixml-dev
  # HID device discovery
  libudev-dev
  # the crash logger's build step reads a program's DWARF data (elfutils' libdw);
  # objcopy adds its section and addr2line is the lookup benchmark's peer
  libdw-dev binutils
  # fonts the windows map their family names to
  fonts-arphic-gbsn00lp fonts-arphic-gkai00mp fonts-wqy-zenhei fonts-dejavu-core
  # a Song face with hand-tuned bitmaps at 11 to 16 pixels, for small dialog text
  fonts-arphic-uming
  # a display server for real windows on a machine without one
  xvfb
  # test peers (XML and e-mail parsers, small servers)
  python3
  # the DNS stub that the logger's mail-exchanger lookup is tested against
  python3-dnslib
  # the mail server, PNG checker and sendmail-compatible client that the
  # logger's report mail and screenshot are tested against
  python3-aiosmtpd pngcheck msmtp
  # named time zones (daylight saving, half hours) for the report's dates
  tzdata
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and no root or sudo to install them" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
