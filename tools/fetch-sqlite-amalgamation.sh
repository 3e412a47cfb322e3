#!/usr/bin/env bash
# Fetches the public-domain SQLite amalgamation (sqlite3.c) for the Windows build from the npm
# registry, inside the pinned better-sqlite3 package, and checks both the package and the file
# against pinned checksums. Prints the path of the checked sqlite3.c. Usage: $0 <cache folder>
set -euo pipefail

package=better-sqlite3@12.4.1             # ships SQLite 3.50.4
package_sha256=14398acbf00d1e8fe0a2753df7d4f15c13138e4b874f4e6e96791f65b4536d0d
source_sha256=90b7189566ea710ee18361b25d893f5cda3fcf43033223a16384762f53e99a85

cache=${1:?cache folder}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
source="$cache/sqlite-3.50.4/sqlite3.c"

if [ -f "$source" ] && echo "$source_sha256  $source" | sha256sum -c --quiet - 2>/dev/null; then
  echo "$source"
  exit 0
fi

tarball="$cache/better-sqlite3-12.4.1.tgz"
if [ ! -f "$tarball" ] || ! echo "$package_sha256  $tarball" | sha256sum -c --quiet - 2>/dev/null; then
  rm -f "$tarball"
  (cd "$cache" && npm pack --silent "$package" >/dev/null)
fi
echo "$package_sha256  $tarball" | sha256sum -c --quiet - || { echo "checksum mismatch: $tarball" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xzf "$tarball" -C "$work" package/deps/sqlite3/sqlite3.c
echo "$source_sha256  $work/package/deps/sqlite3/sqlite3.c" | sha256sum -c --quiet - \
  || { echo "checksum mismatch: sqlite3.c" >&2; exit 1; }
mkdir -p "$(dirname "$source")"
mv "$work/package/deps/sqlite3/sqlite3.c" "$source"
echo "$source"
