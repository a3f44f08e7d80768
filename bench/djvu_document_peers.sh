#!/usr/bin/env bash
# Pages 1, 150 and 300 of a 300-page bundle of letter-size compound pages, opened
# as the control opens them (probe, decode of that page alone, render) at zoom 0
# and -2, beside ddjvu -page=N at the same subsample in the same run; then the
# peak resident memory of each open, ours (orlim info --render) and ddjvu's.
# Usage: bench/djvu_document_peers.sh [build dir]   (a build with -DORLIM_BENCH=ON)
set -euo pipefail
BUILD=${1:-build}
BENCH="$BUILD/bench/orlim_bench"
ORLIM="$BUILD/hosts/cli/orlim"
BUNDLE=/tmp/orlim-bench-djvu/book300.djvu

"$BENCH" --benchmark_filter='DjvuDocumentPage|DdjvuDocumentPeer' --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true

# `orlim info --page` counts from 0 or from 1 depending on the version: ask it.
if "$ORLIM" info "$BUNDLE" --page 1 | grep -q '^pageIndex = 1'; then FIRST=0; else FIRST=1; fi
peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }
echo
echo "peak resident memory (kB) of one open:"
printf '%-6s %-10s %-22s %-12s\n' page subsample "orlim info --render" "ddjvu -page"
for zoom in 0 -2; do
  s=$((1 - zoom))
  for page in 1 150 300; do
    ours=$(peak_kb "$ORLIM" info "$BUNDLE" --page $((page - 1 + FIRST)) --render "$zoom")
    peer=$(peak_kb ddjvu -format=ppm -page="$page" -subsample="$s" "$BUNDLE" /dev/null)
    printf '%-6s %-10s %-22s %-12s\n' "$page" "$s" "$ours" "$peer"
  done
done
ls -l "$BUNDLE" | awk '{print "bundle size: " $5 " bytes"}'
