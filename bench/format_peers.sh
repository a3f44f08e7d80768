#!/usr/bin/env bash
# Times ORLIM's file reading and writing against the command-line tools of the
# field (djpeg, cjpeg, tiffcp, vips) on the benchmark's own files. The peers are
# whole processes here, which is fair: each of these cases takes long enough
# that starting a process is small beside it. bench/peers.sh has the in-memory
# editing operations.
#
#   bash bench/format_peers.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
BENCH="$BUILD/bench/orlim_bench"
[ -x "$BENCH" ] || { echo "build $BENCH first (cmake --build $BUILD --target orlim_bench)"; exit 1; }

# --- file formats: reading and writing on the benchmark's own files ---
# Each format row is a function (row_*); our case is run again right before its
# peer so that both meet the same machine load, and the peer's time is the median
# of REPS runs (default 5). The files live in a memory-backed folder where there
# is one, so that disk write-back does not decide the writers' rows.
REPS=${REPS:-5}
FWORK=$(mktemp -d "$([ -d /dev/shm ] && echo /dev/shm || echo /tmp)/orlim-peers-XXXXXX")
trap 'rm -rf "$FWORK"' EXIT
export ORLIM_BENCH_DIR="$FWORK"

declare -A OURS

# Runs our benchmarks whose names match $1 and keeps their real times in ms.
fmt_run_ours() {
  local csv
  csv=$("$BENCH" --benchmark_filter="$1" --benchmark_format=csv 2>/dev/null)
  while IFS=, read -r name _ real _; do
    name=${name//\"/}
    name=${name%/real_time}
    [[ $name == BM_* ]] && OURS[$name]=$real
  done <<<"$csv"
}

# Median wall time in ms of REPS runs of the command.
fmt_median_ms() {
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
fmt_row() {
  local label=$1 ours=$2 peer=$3
  shift 3
  fmt_run_ours "^${ours}(/real_time)?\$"
  local mine=${OURS[$ours]:-} theirs
  theirs=$(fmt_median_ms "$@")
  local ratio="-"
  [ -n "$mine" ] && ratio=$(awk -v a="$mine" -v b="$theirs" 'BEGIN {printf "%.2f", a / b}')
  printf '| %-28s | %10s | %-34s | %9s | %5s |\n' "$label" "${mine:-n/a}" "$peer" "$theirs" "$ratio"
}

have() { command -v "$1" >/dev/null 2>&1; }

# --- format rows: 6000 x 4000 24-bit photo, 2550 x 3300 bi-level page ---

row_jpeg_read() {
  have djpeg && fmt_row "JPEG read, 24-bit" BM_ReadJpeg/24 "djpeg -dct int" djpeg -dct int -outfile /dev/null "$FWORK/photo.jpg"
  have djpeg && fmt_row "JPEG read, 256 colours" BM_ReadJpeg/8 "djpeg -dct int -colors 256" \
    djpeg -dct int -colors 256 -outfile /dev/null "$FWORK/photo.jpg"
  have vips && fmt_row "JPEG read, 24-bit" BM_ReadJpeg/24 "vips copy photo.jpg x.v" vips copy "$FWORK/photo.jpg" "$FWORK/x.v"
  return 0
}

row_jpeg_write() {
  have cjpeg && fmt_row "JPEG write, q75" BM_WriteJpeg "cjpeg -quality 75 -dct int" \
    cjpeg -quality 75 -dct int -outfile "$FWORK/peer.jpg" "$FWORK/photo.ppm"
  have vips && fmt_row "JPEG write, q75" BM_WriteJpeg "vips copy photo.v x.jpg[Q=75]" \
    vips copy "$FWORK/photo.v" "$FWORK/peer.jpg[Q=75]"
  return 0
}

row_tiff_read() {
  have tiffcp && fmt_row "TIFF read, 24-bit none" BM_ReadTiff/none24 "tiffcp -c none" \
    tiffcp -c none "$FWORK/photo.tif" "$FWORK/peer.tif"
  have vips && fmt_row "TIFF read, 24-bit none" BM_ReadTiff/none24 "vips copy photo.tif x.v" \
    vips copy "$FWORK/photo.tif" "$FWORK/x.v"
  have tiffcp && fmt_row "TIFF read, G4 page" BM_ReadTiff/g4page "tiffcp -c none" \
    tiffcp -c none "$FWORK/page-g4.tif" "$FWORK/peer.tif"
  return 0
}

row_tiff_write() {
  have tiffcp && fmt_row "TIFF write, 24-bit none" BM_WriteTiffPhoto "tiffcp -c none" \
    tiffcp -c none "$FWORK/photo.tif" "$FWORK/peer.tif"
  have vips && fmt_row "TIFF write, 24-bit none" BM_WriteTiffPhoto "vips copy photo.v x.tif" \
    vips copy "$FWORK/photo.v" "$FWORK/peer.tif"
  have tiffcp && fmt_row "TIFF write, G4 page" BM_WriteTiffPageG4 "tiffcp -c g4 (from none)" \
    tiffcp -c g4 "$FWORK/page-none.tif" "$FWORK/peer.tif"
  return 0
}

row_pnm() {
  have vips && fmt_row "PNM read, 24-bit" BM_ReadPnm/ppm24 "vips copy photo.ppm x.v" vips copy "$FWORK/photo.ppm" "$FWORK/x.v"
  have vips && fmt_row "PNM write, 24-bit" BM_WritePnm "vips copy photo.v x.ppm" vips copy "$FWORK/photo.v" "$FWORK/peer.ppm"
  have vips && fmt_row "PNM read, bi-level page" BM_ReadPnm/pbmpage "vips copy page.pbm x.v" \
    vips copy "$FWORK/page.pbm" "$FWORK/x.v"
  return 0
}

format_rows() {
  # The first run makes the files every reading case starts from.
  fmt_run_ours 'BM_(Read|Write)(Jpeg|Tiff|Pnm)'
  # vips' own raw format: what its writers start from, read at memory speed.
  have vips && vips copy "$FWORK/photo.ppm" "$FWORK/photo.v"
  row_jpeg_read
  row_jpeg_write
  row_tiff_read
  row_tiff_write
  row_pnm
}

printf '| %-28s | %10s | %-34s | %9s | %5s |\n' "format case" "ORLIM ms" "peer" "peer ms" "ratio"
printf '|%s|%s|%s|%s|%s|\n' "------------------------------" "------------" "------------------------------------" \
  "-----------" "-------"
format_rows
