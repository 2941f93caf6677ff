#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine. Idempotent and quick
# when everything is already there.
set -euo pipefail
# fonts-liberation: the monospace face Wine maps the editor font to (Courier New is missing there).
packages=(cmake mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 fonts-wine fonts-liberation xvfb
  xauth unixodbc unixodbc-dev odbc-postgresql libsqliteodbc odbc-mariadb postgresql mariadb-server
  googletest imagemagick x11-utils fp-utils libz-mingw-w64-dev python3-openpyxl sqlite3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}"
fi
