#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Pellmar and runs the whole test suite, then compiles
# the portable core with the Windows cross-compiler, builds the Windows programs and runs their
# tests under Wine. Exits non-zero on any failure.
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

bash tools/windows-compile-check.sh
bash tools/test-windows.sh
