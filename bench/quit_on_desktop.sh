#!/usr/bin/env bash
# Quit from the tray menu on a small desktop: openbox as window manager, trayer as the tray, and Firefox and
# LibreOffice Writer open (each when installed; with neither, xclip makes the copies). Each turn starts `quillet`
# with fresh preferences (not a first launch), copies rich text in each application (Ctrl+A, Ctrl+C in its window)
# until the program has cleaned it, the last application changing from turn to turn, then clicks the icon in the
# tray and "Quit Quillet" in the menu. It measures the time from the click on "Quit Quillet" until the process has
# ended, and checks that the last copy still pastes, plain, afterwards.
#   bench/quit_on_desktop.sh [turns]     (default 10; builds in build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
turns=${1:-10}

if [[ "${QUILLET_BENCH_INSIDE:-}" != 1 ]]; then
  for tool in openbox trayer xdotool xclip xwininfo; do
    command -v "$tool" >/dev/null || { echo "quit_on_desktop: $tool is not installed" >&2; exit 1; }
  done
  [[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target quillet quillet-clipboard-keeper >/dev/null
  QUILLET_BENCH_INSIDE=1 BUILD_DIR="$build" exec "$root/scripts/with-x-session" "$0" "$turns"
fi

export LC_ALL=C
quillet="$build/bin/quillet"
work=$(mktemp -d)
started=() pid=
cleanup() {
  local each
  for each in $pid "${started[@]}"; do kill "$each" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
mkdir -p "$HOME"

exec {never}<> <(:)
pause() { read -r -t "$1" -u "$never" || true; }  # without starting a process
milliseconds() { echo $(( (${2/./} - ${1/./}) / 1000 )); }  # between two EPOCHREALTIME values
stats() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
    printf "min %d ms, median %s ms, max %d ms", v[1], (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[NR] }'
}
waitUntil() {  # seconds, command...: true once the command succeeds
  local until=$((SECONDS + $1))
  shift
  until "$@"; do ((SECONDS < until)) || return 1; pause 0.05; done
}
windowNamed() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
hasWindow() { [[ -n "$(windowNamed "$1")" ]]; }

openbox >/dev/null 2>&1 &
started+=($!)
pause 0.5
trayer --edge top --align right --widthtype pixel --width 120 --height 28 --tint 0xd8d8d8 --transparent true \
  --alpha 0 >/dev/null 2>&1 &
started+=($!)

cat >"$work/page.html" <<'EOF'
<!DOCTYPE html><html><head><meta charset="utf-8"><title>Quarterly notes</title></head><body>
<h1>Quarterly notes</h1>
<p>Some <b>bold</b>, some <i>italic</i> and a <a href="https://example.com/?utm_source=news&amp;id=4">link</a> in a
paragraph of <span style="color: red; font-size: 20px">styled</span> text.</p>
<ul><li>First point</li><li>Second <u>point</u></li></ul>
<table border="1"><tr><td>cell one</td><td>cell two</td></tr></table>
</body></html>
EOF
printf '%s\n' '{\rtf1\ansi\deff0{\fonttbl{\f0 Times New Roman;}}' '{\b Minutes}\par' \
  'Some {\b bold}, some {\i italic} and {\ul underlined} text.\par' '\fs32 Larger text\fs24  after it.\par' '}' \
  >"$work/minutes.rtf"

# Each source: the name of its window, a word of its text, and how it copies.
sources=()
firefox=$(command -v firefox-esr || command -v firefox || true)
if [[ -n "$firefox" ]]; then
  mkdir -p "$work/firefox"
  # A fresh profile that asks nothing at start and reaches for no network.
  for pref in 'browser.shell.checkDefaultBrowser", false' 'browser.aboutwelcome.enabled", false' \
    'datareporting.policy.dataSubmissionEnabled", false' 'toolkit.telemetry.reportingpolicy.firstRun", false' \
    'browser.startup.homepage_override.mstone", "ignore"' 'network.captive-portal-service.enabled", false' \
    'network.connectivity-service.enabled", false' 'app.normandy.enabled", false' 'app.update.enabled", false' \
    'extensions.update.enabled", false' 'browser.safebrowsing.malware.enabled", false' \
    'browser.safebrowsing.phishing.enabled", false' 'browser.safebrowsing.downloads.enabled", false' \
    'browser.region.network.url", ""' 'network.dns.disablePrefetch", true'; do
    echo "user_pref(\"$pref);"
  done >"$work/firefox/user.js"
  "$firefox" --no-remote -profile "$work/firefox" "file://$work/page.html" >/dev/null 2>&1 &
  started+=($!)
  sources+=("Mozilla Firefox|cell one|keys")
fi
if command -v soffice >/dev/null && [[ -e /usr/lib/libreoffice/program/swriter ]]; then
  SAL_USE_VCLPLUGIN=gen soffice "-env:UserInstallation=file://$work/libreoffice" --norestore --nologo --writer \
    "$work/minutes.rtf" >/dev/null 2>&1 &
  started+=($!)
  sources+=("LibreOffice Writer|Larger text|keys")
fi
[[ ${#sources[@]} -gt 0 ]] || sources+=("xclip|xclip text|xclip")
for source in "${sources[@]}"; do
  name=${source%%|*}
  [[ $name == xclip ]] || waitUntil 90 hasWindow "$name" || { echo "quit_on_desktop: no $name window" >&2; exit 1; }
done
echo "desktop: openbox, trayer, $(printf '%s, ' "${sources[@]%%|*}" | sed 's/, $//')"

answers() {
  dbus-send --session --print-reply --reply-timeout=2000 --dest=com.kestrova.Quillet /com/kestrova/Quillet \
    com.kestrova.Quillet.Intents.RemoveTrackingParametersFromURLs array:string: >/dev/null 2>&1
}
clipboard() { xclip -o -selection clipboard -t "$1" 2>/dev/null; }
cleanedCopyHolds() { clipboard TARGETS | grep -q com.kestrova.Quillet.hasRun && clipboard UTF8_STRING | grep -q "$1"; }
copyFrom() {  # source
  local name word how window
  IFS='|' read -r name word how <<<"$1"
  if [[ $how == xclip ]]; then
    printf '<p><b>%s</b> of <i>rich</i> text</p>' "$word" | xclip -selection clipboard -t text/html &
  else
    window=$(windowNamed "$name")
    xdotool windowactivate --sync "$window"
    pause 0.3
    xdotool key --clearmodifiers ctrl+a
    pause 0.1
    xdotool key --clearmodifiers ctrl+c
  fi
  waitUntil 10 cleanedCopyHolds "$word" || { echo "quit_on_desktop: the copy from $name was not cleaned" >&2; exit 1; }
}
# The middle of our icon in trayer's panel: `"Quillet": ("quillet" "Quillet")  22x26+0+0  +1257+1`.
iconCentre() {
  xwininfo -root -tree | awk '/\("panel" "trayer"\)/ { panel = 1; next }
    panel && /\("quillet" "Quillet"\)/ && match($0, /[0-9]+x[0-9]+[+-][0-9]+[+-][0-9]+ +\+-?[0-9]+\+-?[0-9]+/) {
      split(substr($0, RSTART, RLENGTH), g, /[x+ ]+/); print g[5] + int(g[1] / 2), g[6] + int(g[2] / 2); exit }'
}
hasIcon() { [[ -n "$(iconCentre)" ]]; }
# The open tray menu: the one window of the program taller than the icon.
menuWindow() {
  local window
  for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    ((HEIGHT > 100)) && { echo "$window"; return 0; }
  done
  return 1
}
ended() { local stat; ! read -r stat 2>/dev/null <"/proc/$1/stat" || [[ $stat == *") Z "* ]]; }

quits=() bad=0
for turn in $(seq "$turns"); do
  rm -rf "$work/config" "$work/data" "$work/cache"
  mkdir -p "$XDG_CONFIG_HOME"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n<key>Zv_launchCount</key><integer>3</integer>\n</dict>\n</plist>\n' \
    >"$XDG_CONFIG_HOME/com.kestrova.Quillet.plist"
  "$quillet" >/dev/null 2>&1 &
  pid=$!
  waitUntil 20 answers || { echo "quit_on_desktop: quillet did not come up" >&2; exit 1; }
  waitUntil 10 hasIcon || { echo "quit_on_desktop: no icon in the tray" >&2; exit 1; }
  # Each application in turn is the last one copied from.
  count=${#sources[@]}
  for i in $(seq 0 $((count - 1))); do copyFrom "${sources[$(((turn + i) % count))]}"; done
  expected=$(clipboard UTF8_STRING)
  pause 0.5

  read -r x y <<<"$(iconCentre)"
  xdotool mousemove "$x" "$y" click 1
  waitUntil 5 menuWindow "$pid" >/dev/null || { echo "quit_on_desktop: the menu did not open" >&2; exit 1; }
  eval "$(xdotool getwindowgeometry --shell "$(menuWindow "$pid")")"
  # "Quit Quillet" is the last item.
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 12))
  pause 0.2
  # The menu acts on the release of the button; the measurement runs while xdotool releases it.
  xdotool mousedown 1
  clicked=$EPOCHREALTIME
  xdotool mouseup 1 &
  until ended "$pid"; do pause 0.001; done
  gone=$EPOCHREALTIME
  wait "$pid" || { echo "quit_on_desktop: quillet ended with status $?" >&2; bad=1; }
  pid=

  quits+=("$(milliseconds "$clicked" "$gone")")
  pasted=ok
  [[ "$(clipboard UTF8_STRING)" == "$expected" ]] || pasted="lost: the clipboard holds '$(clipboard UTF8_STRING | head -c 60)'"
  ! clipboard TARGETS | grep -q text/html || pasted="rich again"
  [[ $pasted == ok ]] || bad=1
  echo "turn $turn: last copy from ${sources[$(((turn + count - 1) % count))]%%|*}; quit ${quits[-1]} ms;" \
    "paste after quit: $pasted"
done

echo "quit, from the click on \"Quit Quillet\" until the process ended, $turns turns: $(stats "${quits[@]}")"
exit "$bad"
