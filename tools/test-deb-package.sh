#!/usr/bin/env bash
# Installs a built pellmar_*.deb into this machine with apt-get, checks what it put where, runs
# pellmarctl --version, lets a throwaway user (own HOME and XDG_RUNTIME_DIR) add a monitor and run
# pellmard until a file is replicated, runs the packaged tray program (offscreen) to see that it
# never starts the updater, then purges the package: nothing of the program may be left, the
# user's data and backup stay. The package is purged and the user removed also on failure.
# Needs root. Refuses to run where a pellmar package is installed already (it would be replaced).
# Usage: tools/test-deb-package.sh PATH/pellmar_VERSION_amd64.deb
set -euo pipefail

deb=$(realpath "$1")
[ "$(id -u)" -eq 0 ] || { echo "the package test installs into the system: run it as root" >&2; exit 2; }
if dpkg-query -W -f='${Status}' pellmar 2>/dev/null | grep -q -E "ok installed|config-files"; then
  echo "a pellmar package is installed on this machine already; not replacing it" >&2
  exit 2
fi

work=$(mktemp -d /tmp/pellmar-deb-test.XXXXXX)
chmod 0755 "$work"
user="pellmar-test-$$"
host_pid=""
cleanup() {
  set +e
  [ -n "$host_pid" ] && { kill -KILL "$host_pid"; wait "$host_pid"; } 2>/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq pellmar >/dev/null 2>&1
  userdel --force "$user" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "deb package test: $*" >&2; exit 1; }
# Polls a condition with a generous deadline, never a fixed pause.
wait_for() {
  local deadline=$((SECONDS + 60))
  until eval "$1"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

echo "Installing $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install failed"; }
installed=(/usr/lib/pellmar/{Pellmar,pellmard,pellmarctl,qmUpdate,qmRemove} /usr/bin/{Pellmar,pellmard,pellmarctl}
           /usr/share/applications/pellmar.desktop /usr/share/pixmaps/pellmar.xpm /usr/lib/systemd/user/pellmard.service
           /usr/share/man/man1/{Pellmar,pellmard,pellmarctl}.1.gz /usr/share/doc/pellmar/copyright)
for path in "${installed[@]}"; do [ -e "$path" ] || fail "$path is not installed"; done
grep -qx 'Exec=/usr/lib/pellmar/Pellmar' /usr/share/applications/pellmar.desktop || fail "the desktop entry names another program"
grep -qx 'ExecStart=/usr/lib/pellmar/pellmard' /usr/lib/systemd/user/pellmard.service || fail "the unit names another program"
version=$(pellmarctl --version) || fail "pellmarctl --version failed"
echo "$version"
[ "$(pellmard --version)" = "pellmard ${version#pellmarctl }" ] || fail "pellmard and pellmarctl disagree on the version"

# A normal user of its own, with the folders a desktop session would give it.
home="$work/home"
useradd --no-create-home --home-dir "$home" --shell /usr/sbin/nologin "$user"
mkdir -p "$home/watched" "$home/backup" "$work/runtime"
chown -R "$user:" "$home" "$work/runtime"
chmod 0700 "$work/runtime"
# A command prefix, not a function: started with &, $! is then the program itself.
as_user=(setpriv --reuid "$user" --regid "$user" --init-groups
         env -i HOME="$home" XDG_RUNTIME_DIR="$work/runtime" PATH=/usr/bin:/bin LANG=C.UTF-8)

"${as_user[@]}" pellmarctl add "$home/watched" "$home/backup" >/dev/null || fail "pellmarctl add failed"
"${as_user[@]}" pellmard >"$work/pellmard.log" 2>&1 &
host_pid=$!
wait_for '[ -n "$(ls -A "$work/runtime/pellmar-control" 2>/dev/null)" ]' || fail "pellmard did not come up: $(cat "$work/pellmard.log")"
"${as_user[@]}" sh -c "printf 'packaged\n' > '$home/watched/report.txt'"
wait_for '[ "$(cat "$home/backup/report.txt" 2>/dev/null)" = packaged ]' \
  || fail "the file was not replicated: $("${as_user[@]}" pellmarctl log)"
kill -TERM "$host_pid"
status=0
wait "$host_pid" || status=$?
host_pid=""
[ "$status" -eq 0 ] || fail "pellmard ended with $status on SIGTERM: $(cat "$work/pellmard.log")"
echo "pellmard replicated a file for user $user"

# The packaged tray program, copied where the user may write and beside a stand-in updater, must
# still not start it (built not to update itself); the packaged qmRemove ends it.
mkdir -p "$work/tray"
cp /usr/lib/pellmar/Pellmar "$work/tray/Pellmar"
printf '#!/bin/sh\ntouch "%s"\n' "$work/updater-started" > "$work/tray/qmUpdate"
chmod 0755 "$work/tray/qmUpdate"
chown -R "$user:" "$work/tray"
rm -rf "$work/runtime/pellmar-control"
"${as_user[@]}" QT_QPA_PLATFORM=offscreen "$work/tray/Pellmar" >"$work/tray.log" 2>&1 &
host_pid=$!
wait_for '[ -n "$(ls -A "$work/runtime/pellmar-control" 2>/dev/null)" ]' || fail "Pellmar did not come up: $(cat "$work/tray.log")"
"${as_user[@]}" /usr/lib/pellmar/qmRemove /T: Pellmar
status=0
wait_for '! kill -0 "$host_pid" 2>/dev/null' || fail "qmRemove did not end Pellmar"
wait "$host_pid" || status=$?
host_pid=""
[ "$status" -eq 0 ] || fail "Pellmar ended with $status: $(cat "$work/tray.log")"
[ ! -e "$work/updater-started" ] || fail "the packaged Pellmar started the updater"
echo "The packaged Pellmar ran without starting the updater and ended through qmRemove"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq pellmar >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "purge failed"; }
for path in "${installed[@]}" /usr/lib/pellmar /usr/share/doc/pellmar; do
  [ ! -e "$path" ] && [ ! -L "$path" ] || fail "$path is left after the purge"
done
dpkg-query -W -f='${Status}' pellmar 2>/dev/null | grep -q -E "ok installed|config-files" && fail "the package is still known as installed"
[ -f "$home/.local/share/Quenmarsh/Pellmar/db/pellmar.db" ] || fail "the user's database went with the package"
[ "$(cat "$home/backup/report.txt")" = packaged ] || fail "the backup went with the package"
echo "Package removed; the user's data folder and backup are kept"
