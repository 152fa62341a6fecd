#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and starts the unpacked program the
# way a fresh user account would, without a display and away from the build folder: --help,
# --version, a reconciliation report on the user's new data folder, and the simulator library
# found beside the program.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
fail() { echo "package check: $*" >&2; exit 1; }

deb=$(bash scripts/package.sh)
echo "package: $deb ($(stat -c %s "$deb") bytes)"
depends=$(dpkg-deb --field "$deb" Depends)
for p in libqt6core6 libqt6widgets6 libqt6sql6 libqt6sql6-sqlite qt6-qpa-plugins libsqlite3-0; do
  grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends lacks $p: $depends"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch/root"
bin="$scratch/root/usr/bin"
for f in usr/share/applications/tolva.desktop usr/share/applications/tolva-crwsim.desktop \
         usr/share/icons/hicolor/scalable/apps/tolva.svg usr/share/doc/tolva/README.md \
         usr/share/tolva/schema/postgresql.sql; do
  [ -f "$scratch/root/$f" ] || fail "missing $f"
done
simlib=$(find "$scratch/root/usr/lib" -name libtolvacrwsim.so)
[ -n "$simlib" ] || fail "no simulator library"

# Nothing installed may point back into the build tree.
for f in "$bin/tolva" "$bin/crwsim" "$simlib"; do
  if strings "$f" | grep -qF "$src/build"; then fail "$f names the build folder"; fi
  if ldd "$f" | grep -qF "$src"; then fail "$f loads a library from the source tree"; fi
done

# A fresh account: its own home and data folders, no display, started from elsewhere.
export HOME="$scratch/user" XDG_DATA_HOME="$scratch/user/.local/share" XDG_CONFIG_HOME="$scratch/user/.config"
export QT_QPA_PLATFORM=offscreen
unset TOLVA_HOME DISPLAY WAYLAND_DISPLAY LD_LIBRARY_PATH QT_PLUGIN_PATH
mkdir -p "$HOME"
cd "$HOME"
data="$XDG_DATA_HOME/tolva"

"$bin/tolva" --help | grep -qF -- "--report reconcile FILE.csv" || fail "tolva --help"
"$bin/crwsim" --help | grep -qF -- "--home DIR" || fail "crwsim --help"
rc=0; "$bin/tolva" --no-such-option 2>/dev/null || rc=$?
[ "$rc" = 2 ] || fail "an unknown option exits with $rc"

version=$("$bin/tolva" --version)
echo "$version"
grep -qF "應用程式資料夾: $data (使用者的資料夾)" <<<"$version" || fail "--version names another folder"

"$bin/tolva" --report reconcile "$scratch/reconcile.csv" >/dev/null || fail "reconciliation report exited with $?"
[ -s "$scratch/reconcile.csv" ] || fail "no report written"
for f in tolva.INI tolva.db IDMSG.MDB; do [ -f "$data/$f" ] || fail "data folder lacks $f"; done

sed -i 's/^CrwLibrary=.*/CrwLibrary=libtolvacrwsim.so/' "$data/tolva.INI"
"$bin/tolva" --version | grep -qxF "讀卡機驅動程式: $simlib" || fail "the simulator library is not found beside the program"
echo "package check passed"
