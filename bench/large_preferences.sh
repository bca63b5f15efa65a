#!/usr/bin/env bash
# The program started on a preferences file far larger than settings need (a 50 MB value under one key): its
# peak and settled resident memory, how often the file is replaced during the start and the first seconds,
# and the warning it gives.
#   bench/large_preferences.sh [megabytes]     (default 50; builds in build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
megabytes=${1:-50}

if [[ "${QUILLET_BENCH_INSIDE:-}" != 1 ]]; then
  [[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target quillet >/dev/null
  QUILLET_BENCH_INSIDE=1 BUILD_DIR="$build" exec "$root/scripts/with-x-session" "$0" "$megabytes"
fi

quillet="$build/bin/quillet"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config"
file="$home/config/com.kestrova.Quillet.plist"
{
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n'
  printf '<key>Zv_launchCount</key><integer>3</integer>\n<key>notes</key><string>'
  head -c "$((megabytes * 1000 * 1000))" /dev/zero | tr '\0' 'x'
  printf '</string>\n</dict>\n</plist>\n'
} >"$file"
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"
export XDG_RUNTIME_DIR="$home"
answers() {
  dbus-send --session --print-reply --reply-timeout=2000 --dest=com.kestrova.Quillet /com/kestrova/Quillet \
    com.kestrova.Quillet.Intents.RemoveTrackingParametersFromURLs array:string: >/dev/null 2>&1
}
status_kb() { awk -v field="$2:" '$1 == field { print $2 }' "/proc/$1/status"; }

inode() { stat -c %i "$file"; }
replaced=0
last=$(inode)
"$quillet" >/dev/null 2>"$home/stderr" &
pid=$!
for _ in $(seq 500); do
  now=$(inode 2>/dev/null || echo "$last")
  [[ "$now" != "$last" ]] && replaced=$((replaced + 1)) && last=$now
  answers && break
  sleep 0.01
done
for _ in $(seq 300); do  # three more seconds
  now=$(inode 2>/dev/null || echo "$last")
  [[ "$now" != "$last" ]] && replaced=$((replaced + 1)) && last=$now
  sleep 0.01
done
echo "preferences file of $(( $(stat -c %s "$file") / 1000000 )) MB:" \
  "peak resident memory $(( $(status_kb "$pid" VmHWM) / 1024 )) MiB," \
  "settled $(( $(status_kb "$pid" VmRSS) / 1024 )) MiB; file replaced $replaced time(s) in the start's first seconds"
grep -m1 "preferences file" "$home/stderr" | cut -c1-300 || true
kill "$pid"
wait "$pid" 2>/dev/null || true
