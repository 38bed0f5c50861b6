#!/usr/bin/env bash
# Start-up time of orvgen.exe beside an empty Win32 program, in one Wine desktop that is
# already up: for orvgen.exe, from the start of `wine orvgen.exe` until its icon shows in
# the notification area; for the empty program (bench/startup/empty.cpp), until its
# hidden window exists. The runs alternate between the two, after one unmeasured start
# of each; the script prints every run, the two medians and their ratio.
#
#   bench/startup.sh            # 10 runs each
#   RUNS=20 bench/startup.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${RUNS:-10}

# ORVGEN_BUILD=DIR measures the programs of another Windows build folder, as they are.
if [ -n "${ORVGEN_BUILD:-}" ]; then
  build=$ORVGEN_BUILD
else
  build=$root/build/windows
  [ -f "$build/build.ninja" ] || cmake --preset windows >/dev/null
  cmake --build --preset windows --parallel 2 --target orvgen orvgen-driver orvgen-startup-empty >/dev/null
fi
orvgen=$build/src/shell/orvgen.exe
empty=$build/bench/startup/orvgen-startup-empty.exe
driver=$build/tests/e2e/orvgen-driver.exe
for f in "$orvgen" "$empty" "$driver"; do
  [ -f "$f" ] || { echo "startup.sh: $f is missing (is bench/startup in the Windows build?)" >&2; exit 1; }
done

# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh
WINE_ENV_TEMPLATE=${WINE_ENV_TEMPLATE:-$build/e2e-wine/template} WINE_ENV_QUIET=1 wine_env_up "$build/bench-wine"
trap wine_env_down EXIT

field() {
  awk -F'\t' -v key="$1" '{ for (i = 1; i <= NF; i++) if (index($i, key "=") == 1) { print substr($i, length(key) + 2); exit } }'
}

no_icons() { wine "$driver" tray-icons | head -n1 | grep -q '^count=0'; }
no_window() { ! wine "$driver" windows --class "$1" | grep -q .; }

# start_ms EXE READY-COMMAND...: milliseconds from starting EXE to READY-COMMAND's moment.
start_ms() {
  local exe=$1
  shift
  local started ready pid
  started=$(date +%s%N)
  wine "$exe" >/dev/null 2>&1 &
  pid=$!
  ready=$(wine "$driver" "$@" | field unixns)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$ready" ] || { echo "startup.sh: $exe did not get ready" >&2; exit 1; }
  awk -v a="$started" -v b="$ready" 'BEGIN { printf "%.1f\n", (b - a) / 1e6 }'
}

run_empty() {
  start_ms "$empty" wait-window OrvgenStartupEmpty 30000
  _wine_env_poll 10 no_window OrvgenStartupEmpty
}
run_orvgen() {
  start_ms "$orvgen" wait-tray-icons 1 30000
  # Wine's explorer drops the icon of an ended program by itself.
  _wine_env_poll 10 no_icons
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

run_empty >/dev/null
run_orvgen >/dev/null
emptyTimes=()
orvgenTimes=()
for ((i = 0; i < runs; i++)); do
  emptyTimes+=("$(run_empty)")
  orvgenTimes+=("$(run_orvgen)")
done

emptyMedian=$(printf '%s\n' "${emptyTimes[@]}" | median)
orvgenMedian=$(printf '%s\n' "${orvgenTimes[@]}" | median)
echo "empty program, until its hidden window exists (ms): ${emptyTimes[*]}"
echo "orvgen.exe, until its tray icon shows (ms):        ${orvgenTimes[*]}"
echo "median over $runs runs: empty $emptyMedian ms, orvgen.exe $orvgenMedian ms," \
  "ratio $(awk -v a="$orvgenMedian" -v b="$emptyMedian" 'BEGIN { printf "%.2f", a / b }')"
