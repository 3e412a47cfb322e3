#!/usr/bin/env bash
# Builds the Windows programs (Pellmar.exe, pellmard.exe, pellmarctl.exe, qmUpdate.exe, qmRemove.exe)
# and sqlite3.dll with the mingw-w64 cross compiler and packs them into one zip that runs on a clean
# Windows.
# Options through the environment: WIN_BUILD_DIR (default build-windows), JOBS (default 2).
# Prints the zip's path on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

build_dir=${WIN_BUILD_DIR:-build-windows}
jobs=${JOBS:-2}
sqlite_source=$(bash tools/fetch-sqlite-amalgamation.sh "$build_dir/downloads" | tail -n 1)

nice -n 10 cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELLMAR_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DPELLMAR_SQLITE_AMALGAMATION="$sqlite_source" >/dev/null
nice -n 10 cmake --build "$build_dir" -j "$jobs"

bin="$build_dir/bin"
shipped=(Pellmar.exe pellmard.exe pellmarctl.exe qmUpdate.exe qmRemove.exe sqlite3.dll)
# Nothing may need a DLL that a clean Windows lacks (libstdc++, libgcc, winpthread, zlib).
for file in "${shipped[@]}"; do
  foreign=$(x86_64-w64-mingw32-objdump -p "$bin/$file" | sed -n 's/^\tDLL Name: //p' \
    | grep -v -i -E '^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|urlmon|bcrypt|comctl32|msvcrt|ws2_32|api-ms-win-.*)\.dll$' || true)
  if [ -n "$foreign" ]; then
    echo "$file needs DLLs a clean Windows does not have: $foreign" >&2
    exit 1
  fi
done

zip="$PWD/$build_dir/Pellmar-windows.zip"
rm -f "$zip"
(cd "$bin" && cmake -E tar cf "$zip" --format=zip "${shipped[@]}")
echo "$zip"
