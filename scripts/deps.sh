#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  dpkg-dev file
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins qt6-translations-l10n
  qt6-charts-dev libqt6charts6 libqt6opengl6-dev
  libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc libsqlite3-dev sqlite3 libpq-dev
  libgtest-dev
  clang libclang-rt-14-dev
  postgresql
  xvfb xauth fonts-wqy-microhei poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
