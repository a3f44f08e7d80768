#!/usr/bin/env bash
# Times ORLIM's operations against imagemagick (`convert`) and libvips (`vips`)
# on the same pictures in the same run, and prints ours, theirs and the ratio.
#
# Ours is the in-memory time Google Benchmark measures (build/bench/orlim_bench).
# A peer works file to file, so its time is the command's best-of-3 wall time minus
# the best-of-3 time of the same command without the operation (load + save only),
# each peer reading its own uncompressed native format (vips .v, imagemagick .mpc).
# imagemagick applies the operation four times in one command (where repeating it is the
# same work) and is divided by four, so that the operation outweighs the noise of loading and saving; the vips
# command line takes one operation per run. Small peer times are therefore rough.
# The "copy" row is one memcpy of the rows: the floor of a memory-bound operation.
#
#   bash bench/peers.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
BENCH="$BUILD/bench/orlim_bench"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
CONVERT=/usr/bin/convert

[ -x "$BENCH" ] || { echo "build $BENCH first (cmake --build $BUILD --target orlim_bench)"; exit 1; }

# Milliseconds of the fastest of three runs of a command.
best_ms() {
  local best=""
  for _ in 1 2 3; do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    local ms=$(( (t1 - t0) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

make_inputs() {
  "$CONVERT" -size 6000x4000 xc: +noise Random -depth 8 "$WORK/photo.ppm"
  "$CONVERT" -size 2550x3300 xc: +noise Random -threshold 50% "$WORK/page.pbm"
  for p in photo page; do
    local src="$WORK/$p.ppm"; [ -f "$src" ] || src="$WORK/$p.pbm"
    vips copy "$src" "$WORK/$p.v"
    "$CONVERT" "$src" "$WORK/$p.mpc"
  done
}

# Our time in ms for a benchmark name, from one run of the whole suite.
ours_ms() {
  awk -F, -v name="\"$1/real_time\"" '$1 == name { printf "%.1f", $3 }' "$WORK/ours.csv"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) print "-"; else printf "%.2f", a / b }'; }

# One row: label, picture (photo|page), our benchmark name, vips operation (or -),
# imagemagick options (or -), and how often imagemagick may repeat the operation
# in one command (1 for those whose repetition is not the same work).
row() {
  local label=$1 pic=$2 name=$3 vipsop=$4 imop=$5 repeat=${6:-4}
  local ours vips_t im_t
  ours=$(ours_ms "$name")
  vips_t="-"
  if [ "$vipsop" != "-" ]; then
    # shellcheck disable=SC2086
    vips_t=$(( $(best_ms vips $vipsop) - VIPS_BASE[$pic] ))
    [ "$vips_t" -lt 1 ] && vips_t=1
  fi
  im_t="-"
  if [ "$imop" != "-" ]; then
    # shellcheck disable=SC2086
    local ops=()
    for _ in $(seq "$repeat"); do ops+=($imop); done
    im_t=$(( ( $(best_ms "$CONVERT" "$WORK/$pic.mpc" "${ops[@]}" "$WORK/out.mpc") - IM_BASE[$pic] ) / repeat ))
    [ "$im_t" -lt 1 ] && im_t=1
  fi
  printf '%-24s %-6s %9s %9s %7s %9s %7s\n' "$label" "$pic" "$ours" "$vips_t" \
    "$( [ "$vips_t" = - ] && echo - || ratio "$ours" "$vips_t")" "$im_t" \
    "$( [ "$im_t" = - ] && echo - || ratio "$ours" "$im_t")"
}

image_operation_rows() {
  for pic in photo page; do
    local arg=24; [ "$pic" = page ] && arg=1
    local in="$WORK/$pic.v" out="$WORK/out.v"
    local w=6000 h=4000; [ "$pic" = page ] && { w=2550; h=3300; }
    row copy "$pic" "BM_CopyRows/$arg" "-" "-"
    row flip "$pic" "BM_Flip/$arg" "flip $in $out vertical" "-flip"
    row mirror "$pic" "BM_Mirror/$arg" "flip $in $out horizontal" "-flop"
    row transpose "$pic" "BM_Transpose/$arg" "rot $in $out d90" "-transpose"
    row rotate90 "$pic" "BM_Rotate90/$arg" "rot $in $out d90" "-rotate 90"
    row rotate180 "$pic" "BM_Rotate180/$arg" "rot $in $out d180" "-rotate 180"
    row negative "$pic" "BM_Negative/$arg" "invert $in $out" "-negate"
    row convertToGray "$pic" "BM_ConvertToGray/$arg" "colourspace $in $out b-w" "-colorspace gray"
    row crop "$pic" "BM_Crop/$arg" "extract_area $in $out $((w / 8)) $((h / 8)) $((w * 3 / 4)) $((h * 3 / 4))" \
      "-crop $((w * 3 / 4))x$((h * 3 / 4))+$((w / 8))+$((h / 8))" 1
    for f in 0 1 2; do
      row "resize/4 filter $f" "$pic" "BM_ResizeQuarter/$arg/$f" "shrink $in $out 4 4" "-filter box -resize 25%" 1
    done
  done
}

echo "making inputs in $WORK ..."
make_inputs
"$BENCH" --benchmark_filter='BM_(CopyRows|Flip|Mirror|Transpose|Rotate|Negative|ConvertToGray|Crop|Resize)' \
  --benchmark_format=csv 2>/dev/null >"$WORK/ours.csv"
declare -A VIPS_BASE IM_BASE
for pic in photo page; do
  VIPS_BASE[$pic]=$(best_ms vips copy "$WORK/$pic.v" "$WORK/out.v")
  IM_BASE[$pic]=$(best_ms "$CONVERT" "$WORK/$pic.mpc" "$WORK/out.mpc")
done
printf '%-24s %-6s %9s %9s %7s %9s %7s\n' operation input "ours ms" "vips ms" ratio "im ms" ratio
image_operation_rows

# --- file formats: reading and writing on the benchmark's own files ---
# Each format row is a function (row_*); our case is run again right before its
# peer so that both meet the same machine load, and the peer's time is the median
# of REPS runs (default 5). The files live in a memory-backed folder where there
# is one, so that disk write-back does not decide the writers' rows.
REPS=${REPS:-5}
FWORK=$(mktemp -d "$([ -d /dev/shm ] && echo /dev/shm || echo /tmp)/orlim-peers-XXXXXX")
trap 'rm -rf "$WORK" "$FWORK"' EXIT
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

echo
printf '| %-28s | %10s | %-34s | %9s | %5s |\n' "format case" "ORLIM ms" "peer" "peer ms" "ratio"
printf '|%s|%s|%s|%s|%s|\n' "------------------------------" "------------" "------------------------------------" \
  "-----------" "-------"
format_rows
