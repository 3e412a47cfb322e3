#!/usr/bin/env bash
# Builds the Debian package pellmar_<version>_amd64.deb: the five programs in /usr/lib/pellmar,
# links on the PATH, the desktop entry and icon, the systemd user unit of pellmard and man pages
# (those of pellmard and pellmarctl made from their --help). The programs are built with PELLMAR_SELF_UPDATE
# off: apt updates them, the tray program never starts qmUpdate. Fails on any lintian error.
# Options through the environment: BUILD_DIR (default build-deb, made for the package; an existing
# tree, such as the suite's, is reused and gets its own self-update setting back afterwards),
# OUT_DIR (default: the build tree), JOBS (default 2). Prints the package's path on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
umask 022

bash tools/install-deps.sh

build_dir=${BUILD_DIR:-build-deb}
jobs=${JOBS:-2}
stage=$(mktemp -d /tmp/pellmar-deb.XXXXXX)
restore_setting=""
cleanup() {
  rm -rf "$stage"
  # A tree of the suite or of a developer runs with its own setting again at its next build.
  if [ -n "$restore_setting" ]; then
    cmake -B "$build_dir" -DPELLMAR_SELF_UPDATE="$restore_setting" >/dev/null || true
  fi
}
trap cleanup EXIT

if [ -f "$build_dir/CMakeCache.txt" ]; then
  restore_setting=$(sed -n 's/^PELLMAR_SELF_UPDATE:BOOL=//p' "$build_dir/CMakeCache.txt")
  restore_setting=${restore_setting:-ON}
  cmake -B "$build_dir" -DPELLMAR_SELF_UPDATE=OFF >/dev/null
else
  # Debian's hardening flags, as a package built by dpkg-buildpackage gets them.
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLMAR_TESTS=OFF \
    -DPELLMAR_SELF_UPDATE=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
fi
cmake --build "$build_dir" -j "$jobs" --target Pellmar pellmard pellmarctl qmUpdate qmRemove

root="$stage/root"
DESTDIR="$root" cmake --install "$build_dir" --prefix /usr --strip >/dev/null
chmod 0755 "$root"
programs="$root/usr/lib/pellmar"
version=$("$programs/pellmard" --version | cut -d' ' -f2)

# The man pages; a private home shows that --help and --version leave nothing in one.
man1="$root/usr/share/man/man1"
mkdir -p "$man1" "$stage/home"
name_pellmard="headless replication host of Pellmar"
name_pellmarctl="command line for Pellmar's folder monitors, event log and jobs"
for program in pellmard pellmarctl; do
  name_var="name_$program"
  HOME="$stage/home" XDG_CONFIG_HOME="$stage/home/.config" XDG_DATA_HOME="$stage/home/.local/share" \
    help2man --no-info --section=1 --name="${!name_var}" --output="$man1/$program.1" "$programs/$program"
  gzip -9n "$man1/$program.1"
done
# The tray program has no --help to make one from.
gzip -9n < packaging/debian/Pellmar.1 > "$man1/Pellmar.1.gz"
if [ -n "$(ls -A "$stage/home")" ]; then
  echo "--help or --version wrote into the home folder: $(ls -A "$stage/home")" >&2
  exit 1
fi

doc="$root/usr/share/doc/pellmar"
mkdir -p "$doc"
cp packaging/debian/copyright "$doc/copyright"
# The last commit's date, so that two builds of one tree make the same changelog.
date=$(git log -1 --format=%aD 2>/dev/null || date -R)
sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$date/" packaging/debian/changelog.in | gzip -9n > "$doc/changelog.gz"

# dpkg-shlibdeps reads the package's name from a debian/control of the folder it runs in.
mkdir -p "$stage/shlibs/debian"
printf 'Source: pellmar\n\nPackage: pellmar\nArchitecture: any\n' > "$stage/shlibs/debian/control"
shlibs=$(cd "$stage/shlibs" && dpkg-shlibdeps -O "$programs"/* 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "dpkg-shlibdeps found no library dependencies" >&2; exit 1; }

mkdir -p "$root/DEBIAN"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
sed -e "s/@VERSION@/$version/" -e "s/@INSTALLED_SIZE@/$(du -sk "$root/usr" | cut -f1)/" \
  -e "s/@SHLIBS_DEPENDS@/$shlibs/" packaging/debian/control.in > "$root/DEBIAN/control"

out_dir=${OUT_DIR:-$build_dir}
mkdir -p "$out_dir"
deb="$(cd "$out_dir" && pwd)/pellmar_${version}_amd64.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
# Errors fail the package; warnings and notes are shown.
lintian --fail-on error "$deb" >&2
echo "$deb"
