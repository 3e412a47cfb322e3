#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the headless replication host and runs it in the
# foreground. Ctrl+C or SIGTERM stops it cleanly. Options: BUILD_DIR (default build).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target pellmard
exec "$build_dir/tray/app/pellmard" "$@"
