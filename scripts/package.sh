#!/usr/bin/env bash
# Builds the Debian package in build-pkg/ (a release build installed under /usr) and prints the
# path of the .deb. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOLVA_TESTS=OFF -DTOLVA_SANITIZE=OFF "${launcher[@]}" >/dev/null
cmake --build build-pkg -j "${TOLVA_JOBS:-$(nproc)}" --target package >&2
ls -1 "$PWD"/build-pkg/tolva_*.deb | tail -n 1
