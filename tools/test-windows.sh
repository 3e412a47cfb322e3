#!/usr/bin/env bash
# Builds the Windows programs and test programs (tools/build-windows.sh) and runs the test programs
# under Wine, one process per program, in a fresh Wine prefix that is removed afterwards.
# Wine gets its null display driver, so windows exist (hidden ones included) without an X server.
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

(cd "$build_dir" && ctest --output-on-failure -j 1)
