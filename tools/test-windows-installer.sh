#!/usr/bin/env bash
# Tries Pellmar-setup.exe under Wine in a Wine prefix of its own (null display driver): a silent
# install puts the programs, the Start menu entry, the Add/Remove Programs entry and the autostart
# value in place; the installed Pellmar.exe replicates a file of a monitor that pellmarctl.exe adds
# through it; a silent uninstall ends the running Pellmar.exe and removes all of that, leaving the
# user's data folder and the backup. Usage: tools/test-windows-installer.sh PATH/Pellmar-setup.exe
set -euo pipefail

setup=$(realpath "$1")
prefix=$(mktemp -d /tmp/pellmar-wine-setup.XXXXXX)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tray_pid=""
cleanup() {
  [ -n "$tray_pid" ] && kill -KILL "$tray_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

fail() { echo "installer test: $*" >&2; exit 1; }
# Polls a condition with a generous deadline, never a fixed pause.
wait_for() {
  local deadline=$((SECONDS + ${2:-120}))
  until eval "$1"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellmar'
reg_query() { timeout 120 wine reg query "$@" 2>/dev/null | tr -d '\r'; }
reg_has() { timeout 120 wine reg query "$@" >/dev/null 2>&1; }

timeout 300 wineboot --init >/dev/null 2>&1
timeout 120 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w

timeout 300 wine "$setup" /S || fail "the silent install ended with $?"
programs="$prefix/drive_c/Program Files/Pellmar"
for file in Pellmar.exe pellmard.exe pellmarctl.exe qmUpdate.exe qmRemove.exe sqlite3.dll Uninstall.exe; do
  [ -f "$programs/$file" ] || fail "$file is not installed"
done
start_menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pellmar.lnk"
[ -f "$start_menu" ] || fail "no Start menu entry"
reg_query "$run_key" /v PellmarTray | grep -qF '"C:\Program Files\Pellmar\Pellmar.exe"' \
  || fail "the autostart value is missing or names another program: $(reg_query "$run_key")"
reg_has "$run_key" /v PellmarTray || fail "reg query does not find values"
reg_query "$uninstall_key" /v UninstallString | grep -qF 'C:\Program Files\Pellmar\Uninstall.exe' \
  || fail "no Add/Remove Programs entry"
echo "Installed silently into C:\\Program Files\\Pellmar"

work="$prefix/drive_c/pellmar-test"
mkdir -p "$work/watched" "$work/backup"
timeout 600 wine 'C:\Program Files\Pellmar\Pellmar.exe' >"$prefix/tray.log" 2>&1 &
tray_pid=$!
# The database comes with the session, once Pellmar holds the data folder: pellmarctl then waits
# for its pipe instead of taking the folder itself.
wait_for '[ -n "$(find "$prefix/drive_c/users" -path "*Quenmarsh/Pellmar/db/pellmar.db" 2>/dev/null)" ]' \
  || fail "Pellmar.exe did not start: $(cat "$prefix/tray.log")"
ctl() { timeout 120 wine 'C:\Program Files\Pellmar\pellmarctl.exe' "$@" 2>&1 | tr -d '\r'; }
ctl add 'C:\pellmar-test\watched' 'C:\pellmar-test\backup' >"$prefix/add.log" || fail "pellmarctl add: $(cat "$prefix/add.log")"
wait_for '[ "$(ctl list | cut -f6)" = watching ]' || fail "the monitor does not watch: $(ctl list)"
printf 'installed\r\n' > "$work/watched/report.txt"
wait_for '[ -f "$work/backup/report.txt" ] && cmp -s "$work/watched/report.txt" "$work/backup/report.txt"' \
  || fail "the file was not replicated: $(ctl log)"
echo "The installed Pellmar.exe replicated a file of a monitor added with pellmarctl.exe"

timeout 120 wine 'C:\Program Files\Pellmar\Uninstall.exe' /S || fail "the silent uninstall ended with $?"
# The uninstaller carries on from a copy of itself in the temporary folder.
wait_for '! kill -0 "$tray_pid" 2>/dev/null' || fail "the uninstall did not end Pellmar.exe"
status=0
wait "$tray_pid" || status=$?
tray_pid=""
[ "$status" -eq 0 ] || fail "Pellmar.exe ended with $status: $(cat "$prefix/tray.log")"
wait_for '[ ! -e "$programs" ]' || fail "left behind: $(ls -A "$programs")"
[ ! -e "$start_menu" ] || fail "the Start menu entry is left"
reg_has "$run_key" /v PellmarTray && fail "the autostart value is left: $(reg_query "$run_key" /v PellmarTray)"
reg_has "$uninstall_key" && fail "the Add/Remove Programs entry is left"
[ -n "$(find "$prefix/drive_c/users" -path "*Quenmarsh/Pellmar/db/pellmar.db")" ] || fail "the data folder went"
cmp -s "$work/watched/report.txt" "$work/backup/report.txt" || fail "the backup went"
echo "Uninstalled silently: Pellmar.exe ended, its files and entries are gone, the data folder and backup stay"
