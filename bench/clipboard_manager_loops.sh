#!/usr/bin/env bash
# The engine beside a naive clipboard manager that takes the clipboard back after each of our writes, one copy of
# HTML + text, for a minute per row: with the original rich copy or with what it read of our write (without our
# marker), links kept or not. Per row: the passes ("Finished clearing") and the program's CPU over the minute, then
# whether the next, different copy is cleaned. Each row starts the program afresh in a private X server and bus.
#   bench/clipboard_manager_loops.sh [seconds]     (default 60; builds in build-bench; QUILLET=path measures
#                                                   another build of the program beside the same manager)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
seconds=${1:-60}

if [[ "${QUILLET_BENCH_INSIDE:-}" != 1 ]]; then
  [[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target quillet test_clipboard_manager >/dev/null
  echo "| the manager takes the clipboard back with | links kept | passes in ${seconds} s | CPU | next copy cleaned |"
  echo "|---|---|---|---|---|"
  for mode in original echo; do
    for links in false true; do
      QUILLET_BENCH_INSIDE=1 BUILD_DIR="$build" "$root/scripts/with-x-session" "$0" "$seconds" "$mode" "$links"
    done
  done
  exit 0
fi

mode=$2 links=$3
home=$(mktemp -d)
trap 'kill "${manager_pid:-}" "${xclip_pid:-}" "${quillet_pid:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir -p "$home/config"
cat >"$home/config/com.kestrova.Quillet.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>automaticallyClearFormatting</key><true/>
<key>preserveLinks</key><$links/>
<key>Zv_launchCount</key><integer>10</integer>
</dict></plist>
PLIST
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
passes() { grep -c '^Finished clearing$' "$home/out" || true; }

"${QUILLET:-$build/bin/quillet}" >"$home/out" 2>/dev/null &
quillet_pid=$!
until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.NameHasOwner string:com.kestrova.Quillet 2>/dev/null | grep -q true; do
  kill -0 "$quillet_pid" 2>/dev/null || { echo "quillet ended before it was ready" >&2; exit 1; }
  sleep 0.01
done

ticks_before=$(cpu_ticks "$quillet_pid")
"$build/bin/test_clipboard_manager" "$mode" >/dev/null &  # with its own rich copy and link
manager_pid=$!
sleep "$seconds"
ticks=$(( $(cpu_ticks "$quillet_pid") - ticks_before ))
loop_passes=$(passes)

printf '<p><i>Next</i> copy</p>' | xclip -selection clipboard -t text/html -i &
xclip_pid=$!
next=no
for _ in $(seq 200); do
  if (( $(passes) > loop_passes )); then next=yes; break; fi
  sleep 0.01
done
# One tick is 10 ms of CPU: ticks per second are per cent.
echo "| $mode | $links | $loop_passes | $(awk -v t="$ticks" -v s="$seconds" 'BEGIN { printf "%.2f %%", t / s }') | $next |"
