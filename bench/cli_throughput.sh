#!/usr/bin/env bash
# Passwords per second of orvgen-cli writing to /dev/null: plain, --json and --mutate,
# each the median of several runs (hyperfine when installed, bash timing otherwise).
# Usage: bench/cli_throughput.sh [path-to-orvgen-cli]
# ORVGEN_BENCH_COUNT and ORVGEN_BENCH_RUNS change the passwords per run and the runs.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$repo/build/native/src/cli/orvgen-cli}
count=${ORVGEN_BENCH_COUNT:-10000000}
runs=${ORVGEN_BENCH_RUNS:-5}

if [[ ! -x $cli ]]; then
  echo "cli_throughput: no orvgen-cli at $cli (build it, or pass its path)" >&2
  exit 2
fi

# Median wall time in seconds of `orvgen-cli --count N FLAGS > /dev/null`.
median_seconds() {
  local flags=$1
  if command -v hyperfine >/dev/null 2>&1; then
    local csv
    csv=$(mktemp)
    hyperfine --style none --warmup 1 --runs "$runs" --output null --export-csv "$csv" \
      "'$cli' --count $count $flags" >/dev/null
    # Columns: command,mean,stddev,median,user,system,min,max
    awk -F, 'NR == 2 { print $4 }' "$csv"
    rm -f "$csv"
    return
  fi
  local times=() start end i
  "$cli" --count "$count" $flags >/dev/null  # warm-up
  for ((i = 0; i < runs; i++)); do
    start=$EPOCHREALTIME
    "$cli" --count "$count" $flags >/dev/null
    end=$EPOCHREALTIME
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}

timer=bash
command -v hyperfine >/dev/null 2>&1 && timer=hyperfine
echo "orvgen-cli throughput: $cli"
echo "$count passwords per run to /dev/null, median of $runs runs ($timer), $(nproc) cores"
for flags in "" "--json" "--mutate"; do
  seconds=$(median_seconds "$flags")
  awk -v name="${flags:-plain}" -v s="$seconds" -v n="$count" \
    'BEGIN { printf "%-9s %8.3f s  %12.0f passwords/s\n", name, s, n / s }'
done
