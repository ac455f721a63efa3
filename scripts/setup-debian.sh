#!/usr/bin/env bash
# Installs what building and testing vx_taluvek needs on Debian 12, and the
# two locales the number tests switch between.  Does nothing that is done.
set -euo pipefail

packages=(cmake g++ make libsqlite3-dev sqlite3 libgtest-dev libgmock-dev
          libbenchmark-dev locales clang libclang-rt-14-dev libcrypt-dev
          libssl-dev libgettextpo-dev gettext libglib2.0-dev libcli11-dev
          help2man man-db pybind11-dev python3-dev python3-pytest
          dpkg-dev file pkgconf binutils
          libpq-dev postgresql-15 postgresql-contrib)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

need_locales=0
for l in de_DE.utf8 en_US.utf8; do
  locale -a 2>/dev/null | grep -qx "$l" || need_locales=1
done
if [ "$need_locales" -eq 1 ]; then
  $sudo sed -i -E 's/^# *(de_DE\.UTF-8 UTF-8|en_US\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  $sudo locale-gen
fi
