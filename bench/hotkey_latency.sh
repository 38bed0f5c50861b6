#!/usr/bin/env bash
# Latency from a real Ctrl+Alt+P (xdotool) to the new password on the clipboard, median
# of 20 presses, beside the same figure for a real click on the tray icon. One Wine
# desktop, one running orvgen.exe. The driver is already watching the clipboard when
# the input is sent, so its own start-up is not counted.
#
#   bench/hotkey_latency.sh            # 20 of each
#   PRESSES=50 bench/hotkey_latency.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
presses=${PRESSES:-20}

# ORVGEN_BUILD=DIR measures the programs of another Windows build folder, as they are.
if [ -n "${ORVGEN_BUILD:-}" ]; then
  build=$ORVGEN_BUILD
else
  build=$root/build/windows
  [ -f "$build/build.ninja" ] || cmake --preset windows >/dev/null
  cmake --build --preset windows --parallel 2 --target orvgen orvgen-driver >/dev/null
fi
orvgen=$build/src/shell/orvgen.exe
driver=$build/tests/e2e/orvgen-driver.exe

# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh
WINE_ENV_TEMPLATE=${WINE_ENV_TEMPLATE:-$build/e2e-wine/template} WINE_ENV_QUIET=1 wine_env_up "$build/bench-wine"
trap wine_env_down EXIT

field() {
  awk -F'\t' -v key="$1" '{ for (i = 1; i <= NF; i++) if (index($i, key "=") == 1) { print substr($i, length(key) + 2); exit } }'
}

wine "$orvgen" >/dev/null 2>&1 &
wine "$driver" wait-tray-icons 1 30000 >/dev/null || { echo "hotkey_latency.sh: no tray icon" >&2; exit 1; }
icon=$(wine "$driver" tray-icons | sed -n 2p)
iconX=$(field cx <<<"$icon")
iconY=$(field cy <<<"$icon")

fifo=$build/bench-wine/driver.fifo
rm -f "$fifo"
mkfifo "$fifo"

# latency_ms XDOTOOL-ARGS...: from just before xdotool runs to the clipboard's change.
latency_ms() {
  local seq started ready line fd pid
  seq=$(wine "$driver" clipboard-seq | field seq)
  wine "$driver" wait-clipboard-change "$seq" 10000 >"$fifo" &
  pid=$!
  exec {fd}<"$fifo"
  read -r line <&"$fd"
  [ "$line" = waiting ] || { echo "hotkey_latency.sh: driver said '$line'" >&2; exit 1; }
  started=$(date +%s%N)
  xdotool "$@"
  read -r line <&"$fd" || true
  exec {fd}<&-
  wait "$pid" || true
  ready=$(field unixns <<<"$line")
  [ -n "$ready" ] || { echo "hotkey_latency.sh: no new password within 10 s ($line)" >&2; exit 1; }
  awk -v a="$started" -v b="$ready" 'BEGIN { printf "%.1f\n", (b - a) / 1e6 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

hotkey=()
click=()
for ((i = 0; i < presses; i++)); do
  # No pause between the keys: xdotool waits 12 ms after each by default, which would
  # count as latency.
  hotkey+=("$(latency_ms keydown --delay 0 ctrl keydown --delay 0 alt key --delay 0 p keyup --delay 0 alt keyup --delay 0 ctrl)")
  # Every other click 10 pixels to the side: two clicks on one spot within the
  # double-click time would be a double click, which generates once for both.
  click+=("$(latency_ms mousemove $((iconX + (i % 2 ? 5 : -5))) "$iconY" click 1)")
done

echo "Ctrl+Alt+P to clipboard (ms): ${hotkey[*]}"
echo "tray click to clipboard (ms): ${click[*]}"
echo "median over $presses: Ctrl+Alt+P $(printf '%s\n' "${hotkey[@]}" | median) ms," \
  "tray click $(printf '%s\n' "${click[@]}" | median) ms"
