#!/usr/bin/env bash
# The headless host under Wine beside the Linux one, in one run: write-to-backup latency of N single
# files (median and p95), the time until a burst of B files has all reached the backup folder, and
# the latency of up to 20 files written into a sub-folder that existed before (a file that has not
# arrived within 10 s counts as missed).
# Builds nothing; run it by hand with Release builds.
#
# Usage: bench/wine-vs-linux.sh PATH_TO_LINUX_PELLMARD PATH_TO_PELLMARD_EXE
# Environment: N=100 single files, B=1000 burst files, BURST_FOLDER=burst (the new sub-folder of src/
# that the burst fills; empty for src/ itself), BURST_LIMIT=900 seconds to wait for the burst.
#
# pellmard.exe needs sqlite3.dll beside it; qmRemove.exe beside it ends the host in order at the
# end (otherwise the Wine server is killed). Wine runs in a fresh prefix that is removed afterwards.
# Each host gets one monitor of src/ (sub-folders on) into dst/, written into its own database after
# a first start has made it: Linux through $XDG_DATA_HOME, Wine through the DataPath value of
# HKCU\Software\Quenmarsh\Pellmar, with the folders as Wine's Z: drive names them.
# Needs python3, sqlite3 and wine.
set -euo pipefail

linux_host=$(realpath "${1:?path to the Linux pellmard}")
wine_host=$(realpath "${2:?path to pellmard.exe}")
files=${N:-100}
burst=${B:-1000}
burst_folder=${BURST_FOLDER-burst}
burst_limit=${BURST_LIMIT:-900}
work=$(mktemp -d /tmp/pellmar-wine-vs-linux.XXXXXX)
linux_pid=
wine_pid=

cleanup() {
  [ -n "$linux_pid" ] && kill -TERM "$linux_pid" 2>/dev/null && wait "$linux_pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Waits for a first file to reach the backup (the monitor is watching), then measures from Linux.
measure() { # $1 = folder holding src/ and dst/
  python3 - "$1" "$files" "$burst" "$burst_folder" "$burst_limit" <<'PY'
import os, sys, time, statistics
w, n, b, sub, limit = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], float(sys.argv[5])

def wait_for(done, limit):
    start = time.monotonic()
    while not done():
        if time.monotonic() - start > limit: return False
        time.sleep(0.0005)
    return True

def arrived(path, size):
    return lambda: os.path.exists(path) and os.path.getsize(path) == size

def latencies(folder, count, limit):
    """Writes `count` files one after another into src/`folder`; sorted ms until each is in dst/."""
    times, missed = [], 0
    for i in range(count):
        with open(f"{w}/src/{folder}/f{i}.txt", "w") as f: f.write("x" * 1000)
        start = time.monotonic()
        missed += not wait_for(arrived(f"{w}/dst/{folder}/f{i}.txt", 1000), limit)
        times.append((time.monotonic() - start) * 1000)
    return sorted(times), missed

def figures(name, times, missed):
    p95 = times[max(0, -(-len(times) * 95 // 100) - 1)]
    text = f"{name}_median_ms={statistics.median(times):.1f} {name}_p95_ms={p95:.1f}"
    return text + (f" {name}_missed={missed}/{len(times)}" if missed else "")

# A sub-folder that exists before the first measured write, for the changes below the watched folder.
os.makedirs(f"{w}/src/sub")
with open(f"{w}/src/probe.txt", "w") as f: f.write("p")
if not wait_for(arrived(f"{w}/dst/probe.txt", 1), 120):
    sys.exit("the host copied nothing within 120 s")

top = latencies(".", n, 30)

source, backup = os.path.join(w, "src", sub), os.path.join(w, "dst", sub)
os.makedirs(source, exist_ok=True)
start = time.monotonic()
for i in range(b):
    with open(f"{source}/g{i}.txt", "w") as f: f.write("y" * 4096)
def burst_done():
    try: return sum(1 for e in os.scandir(backup) if e.name.startswith("g") and e.stat().st_size == 4096) >= b
    except FileNotFoundError: return False
complete = wait_for(burst_done, limit)
burst_s = time.monotonic() - start

below = latencies("sub", min(n, 20), 10)
print(figures("latency", *top) + f" burst_{b}_s={burst_s:.2f}"
      + ("" if complete else f" (burst incomplete after {limit:g} s)") + " " + figures("sub_folder_latency", *below))
PY
}

# Waits until the host's first start has made the database with its tables. Read-only and only once
# the file has content: a file that exists when the host looks for it gets no tables.
wait_for_database() { # $1 = database file, $2 = the host's output
  for _ in $(seq 1800); do
    [ -s "$1" ] && sqlite3 -readonly "$1" "SELECT count(*) FROM scanners;" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "no database at $1 after 180 s; the host said:" >&2
  tail -n 20 "$2" >&2
  return 1
}

add_monitor() { # $1 = database, $2 = watched folder, $3 = backup folder (as the host names them)
  sqlite3 "$1" "INSERT INTO scanners VALUES(NULL,'$2','*','','$3',1,1,0,0,0,1);"
}

bench_linux() {
  local folder=$work/linux
  mkdir -p "$folder/src" "$folder/dst" "$folder/home"
  local home=$folder/home
  local host=(env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" "$linux_host")
  local database=$home/.local/share/Quenmarsh/Pellmar/db/pellmar.db
  "${host[@]}" >"$folder/host.log" 2>&1 & linux_pid=$!
  wait_for_database "$database" "$folder/host.log"
  kill -TERM "$linux_pid"; wait "$linux_pid" || true
  add_monitor "$database" "$folder/src" "$folder/dst"
  "${host[@]}" >>"$folder/host.log" 2>&1 & linux_pid=$!
  echo "linux pellmard:       $(measure "$folder")"
  kill -TERM "$linux_pid"; wait "$linux_pid" || true
  linux_pid=
}

stop_wine_host() {
  local remover
  remover=$(dirname "$wine_host")/qmRemove.exe
  if [ -f "$remover" ]; then wine "$remover" /T: Pellmar >/dev/null 2>&1 || true; fi
  # qmRemove waits at most 3.5 s for the window; a host still running after that is killed.
  for _ in $(seq 300); do kill -0 "$wine_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$wine_pid" 2>/dev/null && wineserver -k
  wait "$wine_pid" || true
  wine_pid=
}

bench_wine() {
  local folder=$work/wine
  mkdir -p "$folder/src" "$folder/dst" "$folder/data" "$folder/temp"
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot --init >/dev/null 2>&1
  # The null display driver: the host's hidden window needs no X server.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  local key='HKCU\Software\Quenmarsh\Pellmar'
  wine reg add "$key" /v DataPath /d "$(winepath -w "$folder/data")" /f >/dev/null 2>&1
  wine reg add "$key" /v TempFilePath /d "$(winepath -w "$folder/temp")" /f >/dev/null 2>&1
  wineserver -w
  local database=$folder/data/db/pellmar.db
  wine "$wine_host" >"$folder/host.log" 2>&1 & wine_pid=$!
  wait_for_database "$database" "$folder/host.log"
  stop_wine_host
  add_monitor "$database" "$(winepath -w "$folder/src")" "$(winepath -w "$folder/dst")"
  wine "$wine_host" >>"$folder/host.log" 2>&1 & wine_pid=$!
  echo "wine pellmard.exe:    $(measure "$folder")"
  stop_wine_host
}

echo "N=$files single files of 1000 bytes, one after another; a burst of B=$burst files of 4096 bytes"
bench_linux
bench_wine
