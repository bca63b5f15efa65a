#!/usr/bin/env bash
# The steady idle minute: on-CPU time and wake-ups (context switches) of every thread of `quillet`, and the X
# server's on-CPU time, over the minute from 80 to 140 s after launch, when start-up's tail is over and only the
# clipboard watcher's half-second tick is left. Beside it, in alternating runs on the same machine, the floors
# (bench/idle_floor.cpp): a Qt program with one half-second timer, and a plain loop of half-second kernel waits.
# Each run has its own X server and session bus and fresh preferences (automatic clearing on, not a first launch).
# The threads that woke are named, with their wake-ups: an idle tick should wake the main thread alone.
#   bench/idle_minute.sh [runs]     (default 3; builds in build-bench; about 2.5 minutes a run of each)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
runs=${1:-3}

[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quillet idle_floor >/dev/null

# Sum of on-CPU nanoseconds and context switches over the threads of a process; one line per thread with -t.
cost() {
  local pid=$1 task
  for task in /proc/"$pid"/task/*; do
    printf '%s %s %s\n' "$(cut -d' ' -f1 "$task/schedstat")" \
      "$(awk '/ctxt_switches/ { n += $2 } END { print n }' "$task/status")" "$(tr " " _ <"$task/comm")"
  done
}

measure() {  # label, program and arguments; prints one line
  local label=$1 home fifo xvfb display
  shift
  home=$(mktemp -d)
  mkdir -p "$home"/{config,data,cache,runtime}
  chmod 700 "$home/runtime"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n<key>Zv_launchCount</key><integer>10</integer>\n<key>automaticallyClearFormatting</key><true/>\n</dict>\n</plist>\n' \
    >"$home/config/com.kestrova.Quillet.plist"
  fifo="$home/display"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
  xvfb=$!
  read -r -t 20 display <"$fifo"
  HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
    XDG_RUNTIME_DIR=$home/runtime DISPLAY=":$display" XPID=$xvfb LABEL=$label \
    dbus-run-session -- bash -c "$(declare -f cost)"'
      "$@" >/dev/null 2>&1 &
      pid=$!
      sleep 80
      before=$(cost "$pid"); xbefore=$(cut -d" " -f1 /proc/$XPID/schedstat)
      sleep 60
      after=$(cost "$pid"); xafter=$(cut -d" " -f1 /proc/$XPID/schedstat)
      kill "$pid"; wait "$pid" 2>/dev/null || true
      # Threads are matched by their place in the list: an idle program starts and ends none in that minute.
      paste -d" " <(echo "$before") <(echo "$after") | awk -v label="$LABEL" -v x=$(( xafter - xbefore )) "
        { ns += \$4 - \$1; n += \$5 - \$2; if (\$5 > \$2) woke = woke sprintf(\" %s %d\", \$3, \$5 - \$2) }
        END { printf \"%-12s %5.1f ms on-CPU, %4d wake-ups, X server %.1f ms per minute; woke:%s\n\",
                     label, ns / 1e6, n, x / 1e6, woke }"' _ "$@"
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$home"
}

for run in $(seq "$runs"); do
  measure quillet "$build/bin/quillet"
  measure "Qt floor" "$build/bin/idle_floor"
  measure "poll floor" "$build/bin/idle_floor" poll
done
