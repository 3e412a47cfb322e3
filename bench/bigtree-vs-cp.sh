#!/usr/bin/env bash
# A big source tree unpacked into a watched folder, side by side in one run with its floor (the
# same unpack, then cp -a of the tree into a backup folder, then sync) and with lsyncd in rsync
# mode: the time from the start of the unpack until the backup holds every regular file at its
# size. Also the host's CPU time for the tree, and a 1 GiB file against cp + sync. Each
# measurement gets a newly made ext4 file system on a loop device (as root), since ext4 slows down
# file creation after mass deletions and the contenders would otherwise race on unequal ground.
# Run by hand:
#   bench/bigtree-vs-cp.sh build/tray/app/pellmard build/tray/ctl/pellmarctl TARBALL
# TARBALL is a .tar.* archive, or the .deb of `apt-get download linux-source-6.1` (its tarball is
# taken out of it). Skips lsyncd when it is not installed.
set -euo pipefail
pellmard=$(realpath "$1")
pellmarctl=$(realpath "$2")
archive=$(realpath "$3")

work=$(mktemp -d /var/tmp/pellmar-bigtree.XXXXXX)
host="" peer=""
fs="$work/fs" src="$work/fs/src" backup="$work/fs/backup"
trap '[ -n "$host" ] && kill -9 "$host" 2>/dev/null; [ -n "$peer" ] && kill -9 "$peer" 2>/dev/null; umount "$fs" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

if [[ "$archive" == *.deb ]]; then
    dpkg-deb -x "$archive" "$work/deb"
    archive=$(find "$work/deb" -name '*.tar.*' | head -1)
fi

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
seconds() { awk "BEGIN{printf \"%.1f\", $1/1000}"; }
# Copies in flight come and go while find lists: their names are not wanted anyway.
listing() { (cd "$1" && find . -type f ! -name '.pellmar-copy.*' -printf '%p %s\n' 2>/dev/null | sort); }
count() { find "$1" -type f ! -name '.pellmar-copy.*' -printf . 2>/dev/null | wc -c; }
# Waits until every regular file of $1 stands in $2 at its size. The full comparison, a sorted
# listing of both trees, costs a core for a second or more on this tree, so it runs only once the
# number of files has come up: the measuring must not slow down what it measures.
wait_complete() {
    local expected="$work/expected"
    listing "$1" > "$expected"
    local want; want=$(wc -l < "$expected")
    until [ "$(count "$2")" -ge "$want" ] && [ -z "$(listing "$2" | comm -23 "$expected" - | head -1)" ]; do
        sleep 0.5
    done
}
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{print int(($14 + $15) * 1000 / hz)}' "/proc/$1/stat"; }
loop_fs=yes
fresh() {
    if [ "$loop_fs" = yes ]; then
        umount "$fs" 2>/dev/null || true
        rm -f "$work/fs.img" && truncate -s 8G "$work/fs.img"
        mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 "$work/fs.img"  # nothing left to initialise later
        mkdir -p "$fs"
        if ! mount -o loop "$work/fs.img" "$fs"; then
            echo "no loop mount here: measuring on $work's own file system, which drifts" >&2
            loop_fs=no
        fi
    fi
    rm -rf "$src" "$backup"; mkdir -p "$src" "$backup"; sync
}

cat "$archive" > /dev/null  # the archive in the page cache

# The floor by hand; measured before and after pellmard, since the disk's own pace drifts.
by_hand() {
    fresh
    local t0; t0=$(now_ms)
    tar -xf "$archive" -C "$src"
    cp -a "$src/." "$backup/"
    sync
    echo $(( $(now_ms) - t0 ))
}
floor_before=$(by_hand)
files=$(find "$src" -type f | wc -l)

fresh
"$pellmarctl" add "$src" "$backup" > /dev/null
"$pellmard" 2> "$work/host.err" & host=$!
until "$pellmarctl" list 2>/dev/null | grep -q 'watching$'; do sleep 0.1; done
# PERF_DATA=FILE records the host's profile for the tree (perf record -g).
[ -n "${PERF_DATA:-}" ] && { perf record -q -g -p "$host" -o "$PERF_DATA" & profiler=$!; sleep 1; }
c0=$(cpu_ms "$host"); t0=$(now_ms)
tar -xf "$archive" -C "$src"
unpacked=$(( $(now_ms) - t0 ))
wait_complete "$src" "$backup"
pellmar=$(( $(now_ms) - t0 )); cpu=$(( $(cpu_ms "$host") - c0 ))
[ -n "${PERF_DATA:-}" ] && { kill -INT "$profiler"; wait "$profiler" || true; }

dd if=/dev/urandom of="$work/big.bin" bs=1M count=1024 status=none
t0=$(now_ms); cp "$work/big.bin" "$fs/big.copy"; sync; bigfloor=$(( $(now_ms) - t0 ))
rm -f "$fs/big.copy"
cp "$work/big.bin" "$src/big.bin"; t0=$(now_ms)  # from its close
until [ "$(stat -c %s "$backup/big.bin" 2>/dev/null || echo 0)" = 1073741824 ]; do sleep 0.05; done
bigpellmar=$(( $(now_ms) - t0 ))
kill -TERM "$host"; wait "$host" || true; host=""
floor_after=$(by_hand)
floor=$(( floor_before < floor_after ? floor_before : floor_after ))

if command -v lsyncd > /dev/null; then
    fresh
    cat > "$work/lsyncd.conf" <<CONF
settings { nodaemon = true, logfile = "$work/lsyncd.log" }
sync { default.rsync, source = "$src", target = "$backup", delay = 0 }
CONF
    lsyncd "$work/lsyncd.conf" > /dev/null 2>&1 & peer=$!
    until grep -q "Startup of" "$work/lsyncd.log" 2>/dev/null && grep -q "finished" "$work/lsyncd.log" 2>/dev/null; do sleep 0.1; done
    t0=$(now_ms)
    tar -xf "$archive" -C "$src"
    wait_complete "$src" "$backup"
    lsyncd_ms=$(( $(now_ms) - t0 ))
    kill "$peer"; wait "$peer" || true; peer=""
fi

echo "tree: $files files from $(basename "$archive")"
echo "floor (unpack, cp -a, sync):           $(seconds $floor_before) s before, $(seconds $floor_after) s after"
echo "pellmard (unpack until all backed up): $(seconds $pellmar) s ($(awk "BEGIN{printf \"%.2f\", $pellmar/$floor}") x the lower floor; the unpack took $(seconds $unpacked) s)"
echo "pellmard CPU for the tree:             $(seconds $cpu) s"
[ -n "${lsyncd_ms:-}" ] && echo "lsyncd rsync, delay 0:                 $(seconds $lsyncd_ms) s"
echo "1 GiB file: cp + sync $(seconds $bigfloor) s, pellmard from its close to its backup in place $(seconds $bigpellmar) s"
