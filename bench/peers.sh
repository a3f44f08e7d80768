#!/usr/bin/env bash
# One table of the editing operations: ORLIM, libvips and imagemagick on the same
# pixels in one benchmark process (bench/image_ops_bench.cpp), each peer with one
# thread and with its default threads, and a memcpy of the picture's rows as the
# floor of a memory-bound operation. Every time is the median of REPS repetitions
# (default 5), the cases interleaved at random so that a change of machine load
# falls on all of them alike.
#
#   bash bench/peers.sh [BUILD_DIR]        (REPS=9 MIN_TIME=0.3 to steady a loaded machine;
#                                           FILTER=^ops/flip/ for some rows only)
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
# Each case first runs unmeasured for WARMUP seconds: on a virtual machine that
# hands freed memory back to its host, the first touch of a block costs the host's
# faults (a fresh 96 MB block has been seen to add 250 ms to an operation's first
# run), which is the machine's cost and no implementation's.
WARMUP=${WARMUP:-0.2}
FILTER=${FILTER:-^ops/}
[ -x "$BENCH" ] || { echo "build $BENCH first (cmake --build $BUILD --target orlim_bench)"; exit 1; }

# SAVE=FILE keeps the run's numbers; FROM=FILE prints the table of a kept run
# (with CLOCK=cpu, the other clock of the same run) without running again.
if [ -n "${FROM:-}" ]; then
  CSV=$FROM
else
  CSV=${SAVE:-$(mktemp)}
  [ -n "${SAVE:-}" ] || trap 'rm -f "$CSV"' EXIT
  "$BENCH" --benchmark_filter="$FILTER" --benchmark_repetitions="$REPS" --benchmark_min_time="$MIN_TIME" \
    --benchmark_min_warmup_time="$WARMUP" \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null >"$CSV"
fi
COLUMN=3; [ "$CLOCK" = cpu ] && COLUMN=4

# Names are ops/<operation>/<picture>/<implementation>/process_time/real_time[_median]
# (the floors: ops/memcpy/<picture>/memcpy and ops/memcpy-new/<picture>/memcpy);
# the repetitions come out in random order, the table in this one.
OPERATIONS="flip mirror transpose rotate90 rotate180 rotate270 negative convertToGray crop"
OPERATIONS+=" resize-quarter-f0 resize-quarter-f1 resize-quarter-f2"
PICTURES="photo page photo-8bit photo-32bit photo-4bit"
awk -F, -v column="$COLUMN" -v clock="$CLOCK" -v reps="$REPS" -v operations="$OPERATIONS" -v pictures="$PICTURES" '
  $1 ~ /real_time(_median)?"$/ {
    name = $1; gsub(/"/, "", name); split(name, part, "/")
    t[part[2] "|" part[3] "|" part[4]] = $column
  }
  function cell(v) { return v == "" ? "-" : sprintf("%.2f", v) }
  function ratio(a, b) { return (a == "" || b == "" || b <= 0) ? "-" : sprintf("%.2f", a / b) }
  END {
    fmt = "%-18s %-11s %9s %9s %12s %9s %10s %9s %10s %11s %11s %15s\n"
    printf fmt, "operation", "input", "ours", "vips-1", "vips-default", "im-1", "im-default", "memcpy", \
      "memcpy-new", "ours/vips-1", "ours/memcpy", "ours/memcpy-new"
    np = split(pictures, pics, " "); no = split(operations, ops, " ")
    for (i = 1; i <= np; ++i)
      for (j = 1; j <= no; ++j) {
        pic = pics[i]; op = ops[j]; k = op "|" pic "|"
        if (!((k "ours") in t)) continue
        ours = t[k "ours"]; v1 = t[k "vips-1"]; m = t["memcpy|" pic "|memcpy"]; mn = t["memcpy-new|" pic "|memcpy"]
        printf fmt, op, pic, cell(ours), cell(v1), cell(t[k "vips-default"]), cell(t[k "im-1"]), \
          cell(t[k "im-default"]), cell(m), cell(mn), ratio(ours, v1), ratio(ours, m), ratio(ours, mn)
      }
    printf "%s times in ms, medians of %d repetitions\n", clock, reps
    print "memcpy: the rows copied into a block already there, the floor of flip, mirror, rotate180 and negative"
    print "(done in place); memcpy-new: into a new block each time, the floor of the others, which make a new"
    print "picture whose pages the system must hand out zeroed"
  }' "$CSV"
