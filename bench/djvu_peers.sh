#!/usr/bin/env bash
# DjVu: decode + render of the letter-size compound page against ddjvu in the same
# run, re-rendering from the kept page, and the peak memory of a zoom -3 load.
# Usage: bench/djvu_peers.sh [build dir]   (needs a build with -DORLIM_BENCH=ON)
set -euo pipefail
BUILD=${1:-build}
BENCH="$BUILD/bench/orlim_bench"
ORLIM="$BUILD/hosts/cli/orlim"
PAGE=/tmp/orlim-bench-djvu/letter.djvu

"$BENCH" --benchmark_filter='Djvu|Ddjvu' --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }
echo
echo "peak resident memory (kB) of a load at zoom -3 (subsample 4):"
echo "  orlim info --render -3 : $(peak_kb "$ORLIM" info "$PAGE" --render -3)"
echo "  ddjvu -subsample=4     : $(peak_kb ddjvu -format=ppm -subsample=4 "$PAGE" /dev/null)"
echo "  process baseline (orlim info of the probe only, no page):"
echo "    orlim info missing.djvu: $(peak_kb "$ORLIM" info /nonexistent.djvu || true)"
echo "  full-size 24-bit raster: $((2550 * 3 * 3300 / 1024)) kB"
