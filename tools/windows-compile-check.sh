#!/usr/bin/env bash
# Compiles (syntax and types only; nothing is linked or run) every portable source with the
# Windows cross-compiler, so the core never picks up a POSIX or Qt header by accident.
# Portable = everything outside platform/posix, the Qt views, tests and benchmarks; plus platform/win32.
set -euo pipefail
cd "$(dirname "$0")/.."

compiler=x86_64-w64-mingw32-g++-posix
mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' \
  | grep -v -E '^(platform/posix|tray/ui/qt|tests|bench|build)/' \
  | while read -r f; do grep -q -E '#include <Q' "$f" || echo "$f"; done)

failed=0
for source in "${sources[@]}"; do
  if ! $compiler -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I. "$source"; then
    echo "Windows compile failed: $source" >&2
    failed=1
  fi
done
echo "Windows compile check: ${#sources[@]} sources, $([ $failed -eq 0 ] && echo ok || echo FAILED)"
exit $failed
