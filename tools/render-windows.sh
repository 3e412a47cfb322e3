#!/usr/bin/env bash
# Renders every window to docs/images/*.png for the README, on a virtual X server when one is
# installed (real fonts and styles), else on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DPELLMAR_SNAPSHOTS=ON >/dev/null
cmake --build "$build_dir" --target pellmar_render_windows
mkdir -p docs/images
renderer="$build_dir/tools/snapshots/pellmar_render_windows"
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "$renderer" docs/images
else
  QT_QPA_PLATFORM=offscreen "$renderer" docs/images
fi
