#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the tray program with its updater and starts it on
# the desktop. It lives in the tray; "Exit" in its tray menu ends it. Options: BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target Pellmar qmUpdate
# The updater is started from the tray program's own folder, as after an installation.
cp "$build_dir/updater/qmUpdate" "$build_dir/tray/app/qmUpdate"
exec "$build_dir/tray/app/Pellmar" "$@"
