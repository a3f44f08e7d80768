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
