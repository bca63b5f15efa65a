#!/usr/bin/env bash
# End-to-end clipboard latency: another X client copies rich text; the time until the clipboard holds our
# plain text is measured from that client, over many copies (p50, p95), first with a short pause between
# copies, then back to back (the next copy as soon as the previous one was cleaned). Every copy must be
# cleaned: "missed" counts the ones that were not within a second.
#   bench/clipboard_latency.sh [copies]        (default 200; builds in build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target clipboard_latency >/dev/null
exec "$root/scripts/with-x-session" "$build/bin/clipboard_latency" "${1:-200}"
