#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Pellmar and runs the whole test suite, builds the Debian
# package from the same tree (as root also installs, tries and purges it), then compiles the
# portable core with the Windows cross-compiler, builds the Windows programs and runs their tests
# and the installer's under Wine. Exits non-zero on any failure.
# Options through the environment: BUILD_DIR (default build), PELLMAR_SANITIZE=asan|tsan.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

build_dir=${BUILD_DIR:-build}
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLMAR_WERROR=ON)
case "${PELLMAR_SANITIZE:-}" in
  asan) cmake_args+=(-DPELLMAR_ASAN=ON) ;;
  tsan) cmake_args+=(-DPELLMAR_TSAN=ON) ;;
  "") ;;
  *) echo "PELLMAR_SANITIZE must be asan or tsan" >&2; exit 2 ;;
esac

cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" -j "$(nproc)"
(cd "$build_dir" && ctest --output-on-failure -j "$(nproc)")

# A sanitizer's programs need its run-time library, which no package depends on.
if [ -z "${PELLMAR_SANITIZE:-}" ]; then
  deb=$(BUILD_DIR="$build_dir" JOBS="$(nproc)" bash tools/package-deb.sh | tail -n 1)
  if [ "$(id -u)" -eq 0 ]; then
    bash tools/test-deb-package.sh "$deb"
  else
    echo "Not root: $deb is built and passed lintian, but is not installed here"
  fi
fi

bash tools/windows-compile-check.sh
bash tools/test-windows.sh
