#!/usr/bin/env bash
# Times the peer tools on the same work as ORLIM's benchmarks, in the same run
# and on the same files, and prints one table. Each row of the table is one
# function below (row_*), so further cases are added as further functions.
#
#   bench/peers.sh [BUILD_DIR]     (default build; needs build/bench/orlim_bench)
#   REPS=N   peer runs per row (median taken), default 5
set -euo pipefail

BUILD=${1:-build}
BENCH="$BUILD/bench/orlim_bench"
REPS=${REPS:-5}
# Memory-backed when possible, so that disk write-back does not decide the writers' rows.
WORK=$(mktemp -d "$([ -d /dev/shm ] && echo /dev/shm || echo /tmp)/orlim-peers-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export ORLIM_BENCH_DIR="$WORK"

[ -x "$BENCH" ] || { echo "peers.sh: $BENCH not built (configure with -DORLIM_BENCH=ON)" >&2; exit 1; }

declare -A OURS

# Runs our benchmarks whose names match $1 and keeps their real times in ms.
run_ours() {
  local csv
  csv=$("$BENCH" --benchmark_filter="$1" --benchmark_format=csv 2>/dev/null)
  while IFS=, read -r name _ real _; do
    name=${name//\"/}
    name=${name%/real_time}
    [[ $name == BM_* ]] && OURS[$name]=$real
  done <<<"$csv"
}

# Median wall time in ms of REPS runs of the command.
median_ms() {
  local times=() start end
  for ((i = 0; i < REPS; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'
}

# One table line: case, our benchmark, peer label, peer command... Our case is
# run again right before its peer, so that both meet the same machine load.
row() {
  local label=$1 ours=$2 peer=$3
  shift 3
  run_ours "^${ours}(/real_time)?\$"
  local mine=${OURS[$ours]:-} theirs
  theirs=$(median_ms "$@")
  local ratio="-"
  [ -n "$mine" ] && ratio=$(awk -v a="$mine" -v b="$theirs" 'BEGIN {printf "%.2f", a / b}')
  printf '| %-28s | %10s | %-34s | %9s | %5s |\n' "$label" "${mine:-n/a}" "$peer" "$theirs" "$ratio"
}

have() { command -v "$1" >/dev/null 2>&1; }

# --- format rows: 6000 x 4000 24-bit photo, 2550 x 3300 bi-level page ---

row_jpeg_read() {
  have djpeg && row "JPEG read, 24-bit" BM_ReadJpeg/24 "djpeg -dct int" djpeg -dct int -outfile /dev/null "$WORK/photo.jpg"
  have djpeg && row "JPEG read, 256 colours" BM_ReadJpeg/8 "djpeg -dct int -colors 256" \
    djpeg -dct int -colors 256 -outfile /dev/null "$WORK/photo.jpg"
  have vips && row "JPEG read, 24-bit" BM_ReadJpeg/24 "vips copy photo.jpg x.v" vips copy "$WORK/photo.jpg" "$WORK/x.v"
  return 0
}

row_jpeg_write() {
  have cjpeg && row "JPEG write, q75" BM_WriteJpeg "cjpeg -quality 75 -dct int" \
    cjpeg -quality 75 -dct int -outfile "$WORK/peer.jpg" "$WORK/photo.ppm"
  have vips && row "JPEG write, q75" BM_WriteJpeg "vips copy photo.v x.jpg[Q=75]" \
    vips copy "$WORK/photo.v" "$WORK/peer.jpg[Q=75]"
  return 0
}

row_tiff_read() {
  have tiffcp && row "TIFF read, 24-bit none" BM_ReadTiff/none24 "tiffcp -c none" \
    tiffcp -c none "$WORK/photo.tif" "$WORK/peer.tif"
  have vips && row "TIFF read, 24-bit none" BM_ReadTiff/none24 "vips copy photo.tif x.v" \
    vips copy "$WORK/photo.tif" "$WORK/x.v"
  have tiffcp && row "TIFF read, G4 page" BM_ReadTiff/g4page "tiffcp -c none" \
    tiffcp -c none "$WORK/page-g4.tif" "$WORK/peer.tif"
  return 0
}

row_tiff_write() {
  have tiffcp && row "TIFF write, 24-bit none" BM_WriteTiffPhoto "tiffcp -c none" \
    tiffcp -c none "$WORK/photo.tif" "$WORK/peer.tif"
  have vips && row "TIFF write, 24-bit none" BM_WriteTiffPhoto "vips copy photo.v x.tif" \
    vips copy "$WORK/photo.v" "$WORK/peer.tif"
  have tiffcp && row "TIFF write, G4 page" BM_WriteTiffPageG4 "tiffcp -c g4 (from none)" \
    tiffcp -c g4 "$WORK/page-none.tif" "$WORK/peer.tif"
  return 0
}

row_pnm() {
  have vips && row "PNM read, 24-bit" BM_ReadPnm/ppm24 "vips copy photo.ppm x.v" vips copy "$WORK/photo.ppm" "$WORK/x.v"
  have vips && row "PNM write, 24-bit" BM_WritePnm "vips copy photo.v x.ppm" vips copy "$WORK/photo.v" "$WORK/peer.ppm"
  have vips && row "PNM read, bi-level page" BM_ReadPnm/pbmpage "vips copy page.pbm x.v" \
    vips copy "$WORK/page.pbm" "$WORK/x.v"
  return 0
}

format_rows() {
  run_ours 'BM_(Read|Write)(Jpeg|Tiff|Pnm)'
  # vips' own raw format: what its writers start from, read at memory speed.
  have vips && vips copy "$WORK/photo.ppm" "$WORK/photo.v"
  row_jpeg_read
  row_jpeg_write
  row_tiff_read
  row_tiff_write
  row_pnm
}

printf '| %-28s | %10s | %-34s | %9s | %5s |\n' "case" "ORLIM ms" "peer" "peer ms" "ratio"
printf '|%s|%s|%s|%s|%s|\n' "------------------------------" "------------" "------------------------------------" \
  "-----------" "-------"
format_rows
