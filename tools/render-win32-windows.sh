#!/usr/bin/env bash
# Renders the Win32 windows to docs/images/win32-*.png for the README: the Windows build's window
# gallery runs under Wine with its X11 driver on a virtual X server, saves each window as a BMP,
# and ImageMagick turns it into a PNG. Needs the Windows build (tools/build-windows.sh), Xvfb and
# ImageMagick. Options through the environment: WIN_BUILD_DIR (default build-windows).
set -euo pipefail
cd "$(dirname "$0")/.."

windows=(configuration-monitors configuration-preferences input-box setup-dialog setup-dialog-tips event-log restore-window update-window)
build_dir=${WIN_BUILD_DIR:-build-windows}

if [ "${1:-}" != "--on-display" ]; then
  if [ ! -f "$build_dir/build.ninja" ]; then
    WIN_BUILD_DIR=$build_dir bash tools/build-windows.sh >/dev/null
  fi
  nice -n 10 cmake --build "$build_dir" --target pellmar_win32_gallery >/dev/null
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --on-display
fi

prefix=$(mktemp -d /tmp/pellmar-wine-gallery.XXXXXX)
pictures=$(mktemp -d /tmp/pellmar-gallery.XXXXXX)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix" "$pictures"
}
trap cleanup EXIT

timeout 300 wineboot --init >/dev/null 2>&1
# Without a window manager on the virtual display, Wine draws the frames and captions itself.
timeout 120 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
# Debian names ImageMagick 6's converter convert-im6; elsewhere it is plain convert.
converter=$(command -v convert-im6 || command -v convert)
mkdir -p docs/images
for window in "${windows[@]}"; do
  timeout 120 wine "$build_dir/bin/pellmar_win32_gallery.exe" "$window" "$pictures/$window.bmp"
  "$converter" "$pictures/$window.bmp" "docs/images/win32-$window.png"
  echo "docs/images/win32-$window.png"
done
