#!/usr/bin/env bash
# Restore against copying by hand, side by side in one run, with no host running (pellmarctl
# works on the database itself): the versions of one file listed among 100,000 backed-up files,
# and a folder of 10,000 files restored to a point in time into another folder, against cp -a of
# the same backed-up files (with and without a sync after it; a restore's copies are durable),
# in three rounds.
# All of it on a newly made ext4 file system on a loop device where root may mount one: ext4
# creates files ever slower after mass deletions, which made the figures drift fourfold.
# Run by hand:   bench/restore-vs-cp.sh build/tray/ctl/pellmarctl
set -euo pipefail
pellmarctl=$(realpath "$1")

work=$(mktemp -d /var/tmp/pellmar-restore.XXXXXX) image="$work.img"
trap 'umount "$work" 2>/dev/null; rm -rf "$work" "$image"' EXIT
truncate -s 4G "$image" && mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 "$image"
mount -o loop "$image" "$work" || echo "no loop mount here: measuring on /var/tmp's own file system, which drifts" >&2
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/src" "$work/backup" && chmod 700 "$XDG_RUNTIME_DIR"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{a[NR]=$1} END{print a[int((NR+1)/2)]}'; }

"$pellmarctl" add "$work/src" "$work/backup" --versions 5 > /dev/null

# The backup as the worker leaves it: 100 folders of 1,000 files with a version 1 from two hours
# ago; the first 10 folders (the restored one, 10,000 files) also hold a version 2 from an hour
# ago and a version 3 from now.
old=$(date -d '-2 hours' +%Y%m%d%H%M.%S) middle=$(date -d '-1 hour' +%Y%m%d%H%M.%S)
mkdir -p "$work/src/part"
for d in $(seq -w 0 99); do
    folder="$work/backup/d$d"; [ "$d" -lt 10 ] && folder="$work/backup/part/d$d"
    mkdir -p "$folder"
    (cd "$folder" && for f in $(seq -w 0 999); do printf 'first %s\n' "$f" > "f$f.1.txt"; done && touch -t "$old" f*.1.txt)
    [ "$d" -lt 10 ] || continue
    mkdir -p "$work/pick/d$d"
    (cd "$folder" && for f in $(seq -w 0 999); do
        printf 'second %s\n' "$f" > "f$f.2.txt"; printf 'third %s\n' "$f" > "f$f.3.txt"
    done && touch -t "$middle" f*.2.txt && ln f*.2.txt "$work/pick/d$d/")
done
files=$(find "$work/backup" -type f | wc -l)

listing=$(for i in $(seq 1 15); do
    t0=$(now_ms); "$pellmarctl" versions "$work/src/d50/f500.txt" > /dev/null; echo $(( $(now_ms) - t0 ))
done | median)

at=$(date -d '-30 minutes' +%Y-%m-%dT%H:%M:%S)
t0=$(now_ms)
"$pellmarctl" restore "$work/src/part" --at "$at" --to "$work/restored" --dry-run > /dev/null
planned_ms=$(( $(now_ms) - t0 ))
# Three rounds, by hand and restore in turn, since the disk's own pace drifts from one moment to
# the next; the medians are compared. Each round writes new folders and nothing is deleted, which
# would slow the creations after it.
for round in 1 2 3; do
    sync
    t0=$(now_ms)
    cp -a "$work/pick/." "$work/by-hand.$round/"
    t1=$(now_ms)
    sync
    t2=$(now_ms)
    echo "$(( t1 - t0 )) $(( t2 - t0 ))" >> "$work/by-hand.ms"
    t0=$(now_ms)
    ${PROFILE:-} "$pellmarctl" restore "$work/src/part" --at "$at" --to "$work/restored.$round" > /dev/null
    echo $(( $(now_ms) - t0 )) >> "$work/restore.ms"
    restored=$(find "$work/restored.$round" -type f | wc -l)
    [ "$restored" -eq 10000 ] || { echo "round $round restored $restored files, not 10000" >&2; exit 1; }
done
restore_ms=$(median < "$work/restore.ms") copied_ms=$(cut -d' ' -f1 "$work/by-hand.ms" | median)
synced_ms=$(cut -d' ' -f2 "$work/by-hand.ms" | median)

echo "backup: $files files; versions of one file listed: median $listing ms of 15 (pellmarctl's start included)"
echo "folder of 10000 files restored to a point in time: median $restore_ms ms of 3 ($(paste -sd' ' "$work/restore.ms"); its copies durable; listing and planning alone, a dry run: $planned_ms ms)"
echo "cp -a of the same kept copies: median $copied_ms ms, with sync $synced_ms ms ($(paste -sd' ' - < <(tr ' ' '/' < "$work/by-hand.ms")))"
echo "restore / cp -a: $(awk -v r="$restore_ms" -v c="$copied_ms" 'BEGIN{printf "%.2f", r/c}'); restore / (cp -a + sync): $(awk -v r="$restore_ms" -v c="$synced_ms" 'BEGIN{printf "%.2f", r/c}')"
