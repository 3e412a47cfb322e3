#!/usr/bin/env bash
# Builds the Windows installer Pellmar-setup.exe with NSIS from the Windows build
# (tools/build-windows.sh, whose tree is reused): the programs and sqlite3.dll into
# Program Files\Pellmar, a Start menu entry, an Add/Remove Programs entry and the optional
# autostart value; its uninstaller ends a running Pellmar with qmRemove first.
# Options through the environment: WIN_BUILD_DIR (default build-windows), JOBS (default 2).
# Prints the installer's path on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${WIN_BUILD_DIR:-build-windows}
WIN_BUILD_DIR=$build_dir bash tools/build-windows.sh >&2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build_dir/CMakeCache.txt" >&2; exit 1; }

setup="$PWD/$build_dir/Pellmar-setup.exe"
rm -f "$setup"
makensis -V2 -DVERSION="$version" -DBINDIR="$PWD/$build_dir/bin" -DOUTFILE="$setup" packaging/windows/Pellmar.nsi >&2
echo "$setup"
