#!/usr/bin/env bash
# One table of the editing operations: ORLIM, libvips and imagemagick on the same
# pixels in one benchmark process (bench/image_ops_bench.cpp), each peer with one
# thread and with its default threads, and a memcpy of the picture's rows as the
# floor of a memory-bound operation. Every time is the median of REPS repetitions
# (default 5), the cases interleaved at random so that a change of machine load
# falls on all of them alike.
#
#   bash bench/peers.sh [BUILD_DIR]        (REPS=9 MIN_TIME=0.3 to steady a loaded machine)
#
# CLOCK=cpu prints the process CPU time (all threads) instead of the wall time:
# on a machine busy with other work it is the steadier measure of the
# single-threaded columns (ours, vips-1, im-1, memcpy), while the default-thread
# columns then show the total work rather than the time.
#
# bench/format_peers.sh has file reading and writing against djpeg, tiffcp and vips.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
BENCH="$BUILD/bench/orlim_bench"
REPS=${REPS:-5}
CLOCK=${CLOCK:-wall}
MIN_TIME=${MIN_TIME:-0.1}
[ -x "$BENCH" ] || { echo "build $BENCH first (cmake --build $BUILD --target orlim_bench)"; exit 1; }

CSV=$(mktemp)
trap 'rm -f "$CSV"' EXIT
"$BENCH" --benchmark_filter='^ops/' --benchmark_repetitions="$REPS" --benchmark_min_time="$MIN_TIME" \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null >"$CSV"
COLUMN=3; [ "$CLOCK" = cpu ] && COLUMN=4

# Names are ops/<operation>/<picture>/<implementation>/real_time_median.
awk -F, -v column="$COLUMN" -v clock="$CLOCK" -v reps="$REPS" '
  $1 ~ /_median"$/ {
    name = $1; gsub(/"/, "", name); split(name, part, "/")
    op = part[2]; pic = part[3]; impl = part[4]
    t[op "|" pic "|" impl] = $column
    if (op != "memcpy" && !((op "|" pic) in seen)) { seen[op "|" pic] = 1; order[++n] = op "|" pic }
  }
  function cell(v) { return v == "" ? "-" : sprintf("%.2f", v) }
  function ratio(a, b) { return (a == "" || b == "" || b <= 0) ? "-" : sprintf("%.2f", a / b) }
  END {
    fmt = "%-20s %-5s %9s %9s %12s %9s %10s %9s %11s %11s\n"
    printf fmt, "operation", "input", "ours", "vips-1", "vips-default", "im-1", "im-default", "memcpy", \
      "ours/vips-1", "ours/memcpy"
    for (i = 1; i <= n; ++i) {
      split(order[i], k, "|"); op = k[1]; pic = k[2]
      ours = t[op "|" pic "|ours"]; v1 = t[op "|" pic "|vips-1"]; m = t["memcpy|" pic "|memcpy"]
      printf fmt, op, pic, cell(ours), cell(v1), cell(t[op "|" pic "|vips-default"]), cell(t[op "|" pic "|im-1"]), \
        cell(t[op "|" pic "|im-default"]), cell(m), ratio(ours, v1), ratio(ours, m)
    }
    printf "%s times in ms, medians of %d repetitions\n", clock, reps
  }' "$CSV"
