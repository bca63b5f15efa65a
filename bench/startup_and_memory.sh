#!/usr/bin/env bash
# Start-up time and resident memory of the program itself. Each run starts `quillet` in a private X server and
# session bus with fresh preferences (not a first launch, so no welcome opens) and measures the time from
# starting the process to its ready state: the first answer of its session-bus object, which comes after the
# start-up work queued on the main loop (status item, engine, launch step). Then the resident memory (VmRSS)
# right after that, after two idle seconds, and after the engine cleaned some rich copies.
#   bench/startup_and_memory.sh [runs] [copies]     (defaults 10 and 20; builds in build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
runs=${1:-10}
copies=${2:-20}

if [[ "${QUILLET_BENCH_INSIDE:-}" != 1 ]]; then
  [[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target quillet >/dev/null
  QUILLET_BENCH_INSIDE=1 BUILD_DIR="$build" exec "$root/scripts/with-x-session" "$0" "$runs" "$copies"
fi

quillet="$build/bin/quillet"
now() { date +%s%N; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
answers() {
  dbus-send --session --print-reply --reply-timeout=2000 --dest=com.kestrova.Quillet /com/kestrova/Quillet \
    com.kestrova.Quillet.Intents.RemoveTrackingParametersFromURLs array:string: >/dev/null 2>&1
}
cleaned() { xclip -o -selection clipboard -t TARGETS 2>/dev/null | grep -q com.kestrova.Quillet.hasRun; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

startups=() ready_rss=() idle_rss=() busy_rss=()
for run in $(seq "$runs"); do
  home=$(mktemp -d)
  mkdir -p "$home/config"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n<key>Zv_launchCount</key><integer>3</integer>\n</dict>\n</plist>\n' \
    >"$home/config/com.kestrova.Quillet.plist"
  export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home"

  start=$(now)
  "$quillet" >/dev/null 2>&1 &
  pid=$!
  until answers; do
    if ! kill -0 "$pid" 2>/dev/null; then echo "quillet ended before it was ready" >&2; exit 1; fi
    sleep 0.005
  done
  ready=$(now)
  startups+=($(( (ready - start) / 1000000 )))
  ready_rss+=($(rss_kb "$pid"))
  sleep 2
  idle_rss+=($(rss_kb "$pid"))

  for copy in $(seq "$copies"); do
    printf '<p><b>Copy %s</b> of <i>rich</i> text with a <a href="https://example.com/?utm_source=x">link</a></p>' \
      "$copy" | xclip -selection clipboard -t text/html &
    xclip_pid=$!
    for _ in $(seq 200); do cleaned && break; sleep 0.01; done
    kill "$xclip_pid" 2>/dev/null || true
    wait "$xclip_pid" 2>/dev/null || true
  done
  busy_rss+=($(rss_kb "$pid"))

  kill "$pid"
  wait "$pid" 2>/dev/null || true
  rm -rf "$home"
done

echo "quillet start-up to ready, $runs runs: median $(printf '%s\n' "${startups[@]}" | median) ms," \
  "max $(printf '%s\n' "${startups[@]}" | sort -n | tail -1) ms"
echo "resident memory (median of $runs): at ready $(( $(printf '%s\n' "${ready_rss[@]}" | median | cut -d. -f1) / 1024 )) MiB," \
  "idle after 2 s $(( $(printf '%s\n' "${idle_rss[@]}" | median | cut -d. -f1) / 1024 )) MiB," \
  "after $copies cleaned rich copies $(( $(printf '%s\n' "${busy_rss[@]}" | median | cut -d. -f1) / 1024 )) MiB"
