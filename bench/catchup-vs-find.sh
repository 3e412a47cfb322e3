#!/usr/bin/env bash
# The catch-up at start over a large tree, side by side with its floor: a plain stat walk of the
# tree and its backup (find). Prints the wall times, the slowest answer of `pellmarctl list`
# while the walk runs, the host's CPU once it is over, the exit time with a walk running, and the
# time to back up 1,000 files changed while the host was stopped. Run by hand:
#   bench/catchup-vs-find.sh build/tray/app/pellmard build/tray/ctl/pellmarctl [FOLDERS] [FILES_PER_FOLDER]
set -euo pipefail
pellmard=$(realpath "$1")
pellmarctl=$(realpath "$2")
folders=${3:-1000}
per_folder=${4:-100}

work=$(mktemp -d /tmp/pellmar-catchup.XXXXXX)
host=""
trap '[ -n "$host" ] && kill -9 "$host" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
src="$work/src" backup="$work/backup"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
state() { "$pellmarctl" list --json | grep -o '"state":"[^"]*"' | head -1 | cut -d'"' -f4; }
start_host() { "$pellmard" 2>"$work/host.err" & host=$!; }
stop_host() { kill -TERM "$host"; wait "$host" || true; host=""; }
wait_for_state() {  # prints the slowest pellmarctl answer while waiting, in ms
    local wanted=$1 slowest=0 before took s
    while :; do
        before=$(now_ms); s=$(state 2>/dev/null || true); took=$(( $(now_ms) - before ))
        [ "$took" -gt "$slowest" ] && slowest=$took
        [ "$s" = "$wanted" ] && break
        sleep 0.02
    done
    echo "$slowest"
}

echo "making $folders folders of $per_folder files ..."
for ((d = 0; d < folders; d++)); do
    mkdir -p "$src/d$d"
    for ((f = 0; f < per_folder; f++)); do echo "$d $f" > "$src/d$d/f$f.txt"; done
done
cp -a "$src" "$backup"
"$pellmarctl" add "$src" "$backup" > /dev/null

find "$src" "$backup" -printf '%s %T@\n' > /dev/null  # warm the caches for both
t0=$(now_ms); find "$src" "$backup" -printf '%s %T@\n' > /dev/null; floor=$(( $(now_ms) - t0 ))

t0=$(now_ms); start_host
until [ "$(state 2>/dev/null || true)" = "catching up" ] || [ "$(state 2>/dev/null || true)" = "watching" ]; do sleep 0.01; done
slowest=$(wait_for_state watching); catchup=$(( $(now_ms) - t0 ))
queued=$("$pellmarctl" jobs | wc -l)
ticks() { awk '{print $14 + $15}' "/proc/$host/stat"; }
c0=$(ticks); sleep 5; c1=$(ticks)
echo "floor (find over both trees):           ${floor} ms"
echo "catch-up, start to watching:            ${catchup} ms ($(awk "BEGIN{printf \"%.2f\", $catchup/$floor}") x the floor), jobs queued: ${queued}"
echo "slowest pellmarctl list meanwhile:       ${slowest} ms"
echo "host CPU in the 5 s after:              $(( (c1 - c0) * 1000 / $(getconf CLK_TCK) )) ms"
stop_host

start_host
until [ "$(state 2>/dev/null || true)" = "catching up" ]; do sleep 0.005; done
t0=$(now_ms); stop_host
echo "exit with a catch-up running:           $(( $(now_ms) - t0 )) ms"

for ((d = 0; d < 1000; d++)); do echo "changed" >> "$src/d$((d % folders))/f$((d / folders)).txt"; done
t0=$(now_ms); start_host
for ((d = 0; d < 1000; d++)); do
    f="d$((d % folders))/f$((d / folders)).txt"
    until cmp -s "$src/$f" "$backup/$f"; do sleep 0.02; done
done
echo "1,000 files changed while stopped:      all backed up $(( $(now_ms) - t0 )) ms after the start"
stop_host
