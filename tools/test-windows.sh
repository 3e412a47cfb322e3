#!/usr/bin/env bash
# Builds the Windows programs and test programs (tools/build-windows.sh) and runs the test programs
# under Wine, one process per program, in a fresh Wine prefix that is removed afterwards.
# Most get Wine's null display driver, so windows exist (hidden ones included) without an X server;
# the programs labelled "gui" (real windows, the tray, keys and clicks) get Wine's X11 driver on a
# virtual X server (Xvfb through xvfb-run). Then the installer Pellmar-setup.exe is made from the
# same build and tried (tools/test-windows-installer.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${WIN_BUILD_DIR:-build-windows}
WIN_BUILD_DIR=$build_dir bash tools/build-windows.sh

prefix=$(mktemp -d /tmp/pellmar-wine.XXXXXX)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

started=$(date +%s)
timeout 300 wineboot --init >/dev/null 2>&1
timeout 120 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
echo "Wine prefix ready in $(( $(date +%s) - started )) s"

(cd "$build_dir" && ctest --output-on-failure -j 1 -LE gui)

# The X11 driver is Wine's default once the null one is no longer asked for; each Wine process
# reads the setting when it starts, after the wineserver of the first pass has gone.
timeout 120 wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
wineserver -w
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  bash -c "cd '$build_dir' && ctest --output-on-failure -j 1 -L gui"

# The installer of the same build, tried in a Wine prefix of its own.
setup=$(WIN_BUILD_DIR=$build_dir bash tools/package-windows.sh | tail -n 1)
bash tools/test-windows-installer.sh "$setup"
