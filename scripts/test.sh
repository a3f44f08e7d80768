#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test twice: once in an
# optimised build and once under AddressSanitizer and UndefinedBehaviorSanitizer.
# A skipped test fails the run unless tests/allowed-skips.txt lists it. The
# benchmarks and the fuzz targets are built and run briefly too, so that one
# that no longer builds or crashes at once fails the run.
# Checks the code style first; then proves the installed package from the
# outside (check_installed_package).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
JOBS=$(nproc)
# ccache (installed with the project) keeps repeated runs within minutes.
LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# ---- code style ----

# Every C++ source keeps the committed .clang-format style.
check_style() {
  find src hosts tests bench fuzz examples \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 |
    xargs -0 clang-format --dry-run --Werror
  echo "code style: every source as .clang-format says"
}

# ---- skipped tests ----

ALLOWED_SKIPS=tests/allowed-skips.txt

# True when test name $1 matches a pattern of the allow-list that gives a reason.
skip_allowed() {
  local pattern reason
  while read -r pattern reason; do
    [[ -z "$pattern" || "$pattern" == \#* || -z "$reason" ]] && continue
    # shellcheck disable=SC2053  # the pattern is a glob on purpose
    [[ "$1" == $pattern ]] && return 0
  done <"$ALLOWED_SKIPS"
  return 1
}

# Reads the JUnit file $1 of a ctest run: prints the skip count and fails on a
# skip the allow-list does not name.
check_skips() {
  local junit=$1 name count=0 unexpected=()
  while read -r name; do
    [ -z "$name" ] && continue
    count=$((count + 1))
    skip_allowed "$name" || unexpected+=("$name")
  done < <(grep -o '<testcase name="[^"]*"[^>]*status="notrun"' "$junit" | sed 's/^<testcase name="\([^"]*\)".*/\1/')
  echo "skipped tests: $count (${#unexpected[@]} not on $ALLOWED_SKIPS)"
  if [ ${#unexpected[@]} -gt 0 ]; then
    printf '  unexpected skip: %s\n' "${unexpected[@]}"
    return 1
  fi
}

# Runs every test of build folder $1 and checks its skips.
run_tests() {
  local dir=$1
  ctest --test-dir "$dir" --output-on-failure -j "$JOBS" --output-junit "$PWD/$dir/junit.xml"
  check_skips "$dir/junit.xml"
}

# ---- benchmark smoke ----

# Each benchmark case once, briefly: they must build and run, not measure.
bench_smoke() {
  local bench=$1/bench/orlim_bench
  if [ ! -x "$bench" ]; then
    echo "benchmark smoke: $bench was not built" >&2
    return 1
  fi
  local start=$SECONDS
  "$bench" --benchmark_min_time=0.001 >"$1/bench-smoke.log" 2>&1 || {
    tail -n 40 "$1/bench-smoke.log"
    return 1
  }
  echo "benchmark smoke: $(grep -c '^BM_' "$1/bench-smoke.log" || true) cases ran in $((SECONDS - start)) s"
}

# ---- fuzz smoke ----

FUZZ_DIR=build-fuzz
FUZZ_SECONDS=20
CORPUS=../shared/corpus

# Corpus folders whose files seed fuzz target $1.
fuzz_seed_kinds() {
  case $1 in
    fuzz_tiff) echo tiff ;;
    fuzz_jpeg) echo jpeg ;;
    fuzz_pnm) echo pnm ;;
    fuzz_bmp) echo bmp ;;
    fuzz_djvu) echo djvu iw44 ;;
  esac
}

# Runs fuzz target $1 for FUZZ_SECONDS on its seeds; a crash, leak or timeout fails.
fuzz_one() {
  local target=$1 kind seeds=() scratch
  for kind in $(fuzz_seed_kinds "$target"); do
    if [ -d "$CORPUS/$kind" ]; then
      seeds+=("$CORPUS/$kind")
    else
      echo "fuzz smoke: $CORPUS/$kind is absent; $target runs without those seeds"
    fi
  done
  scratch=$(mktemp -d "$FUZZ_DIR/corpus-$target.XXXXXX")
  mkdir -p "$FUZZ_DIR/crashes"
  if ! "$FUZZ_DIR/fuzz/$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$FUZZ_DIR/crashes/$target-" "$scratch" "${seeds[@]}" >"$scratch.log" 2>&1; then
    tail -n 40 "$scratch.log"
    echo "fuzz smoke: $target failed; the input is in $FUZZ_DIR/crashes/" >&2
    rm -rf "$scratch"
    return 1
  fi
  echo "fuzz smoke: $target $(grep -o 'DONE .*' "$scratch.log" | cut -c1-60)"
  rm -rf "$scratch" "$scratch.log"
}

# Builds every fuzz target with clang in its own folder and runs each briefly.
fuzz_smoke() {
  local targets=() src target
  for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
  CC=clang CXX=clang++ cmake -S . -B "$FUZZ_DIR" -DORLIM_FUZZ=ON -DORLIM_BENCH=OFF -DORLIM_QT=OFF \
    "${LAUNCHER[@]}" >/dev/null
  cmake --build "$FUZZ_DIR" -j "$JOBS" --target "${targets[@]}"
  [ -d "$CORPUS" ] || echo "fuzz smoke: $CORPUS is absent; the readers run without seeds"
  for target in "${targets[@]}"; do fuzz_one "$target"; done
}

# ---- the installed package ----

# Installs the optimised build into a scratch prefix and builds the embedding
# examples against that tree only: the headless one through find_package(ORLIM)
# and with plain g++ and pkg-config, the Qt one through find_package. Runs them
# and checks what they wrote.
check_installed_package() {
  local scratch=build/install-check
  rm -rf "$scratch" && mkdir -p "$scratch"
  local prefix
  prefix=$(cd "$scratch" && pwd)/prefix
  cmake --install build --prefix "$prefix" >/dev/null

  cmake -S examples/embed-headless -B "$scratch/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$scratch/cmake-build" -j "$JOBS" >/dev/null
  g++ -o "$scratch/embed-pkgconfig" examples/embed-headless/main.cpp \
    $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs orlim orlim-headless)

  local picture=build/sample.bmp  # 'orlim sample' wrote it during the build
  local size
  size=$(identify -format '%wx%h' "$picture")
  local turned="${size#*x}x${size%x*}"
  # RotateImage 90 turns counter-clockwise: imagemagick's -rotate 270.
  /usr/bin/convert "$picture" -rotate 270 "$scratch/turned-by-imagemagick.bmp"
  for program in "$scratch/cmake-build/embed-headless" "$scratch/embed-pkgconfig"; do
    local out="$scratch/$(basename "$program")"
    LD_LIBRARY_PATH="$prefix/lib" "$program" "$picture" "$out.bmp" "$out.png"
    [ "$(identify -format '%wx%h' "$out.bmp")" = "$turned" ] || { echo "$out.bmp is not $turned"; return 1; }
    [ "$(/usr/bin/compare -metric AE "$out.bmp" "$scratch/turned-by-imagemagick.bmp" null: 2>&1)" = "0" ] ||
      { echo "$out.bmp is not the picture turned"; return 1; }
    [ "$(identify -format '%wx%h' "$out.png")" = "400x300" ] || { echo "$out.png is not the 400x300 window"; return 1; }
  done
  "$prefix/bin/orlim" --version
  echo "installed package: both embedding builds ran, $size turned to $turned"
  check_installed_widget "$prefix" "$scratch" "$picture"
}

# The Qt example built against the installed ORLIM::Qt alone, run offscreen: its
# window must show what the installed orlim paints in a window of the same size.
check_installed_widget() {
  local prefix=$1 scratch=$2 picture=$3
  [ -f "$prefix/lib/cmake/ORLIM/ORLIMQtTargets.cmake" ] || { echo "installed package: built without Qt"; return 0; }
  cmake -S examples/embed-qt -B "$scratch/qt-build" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$scratch/qt-build" -j "$JOBS" >/dev/null
  QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH="$prefix/lib" "$scratch/qt-build/embed-qt" "$picture" "$scratch/embed-qt.png"
  "$prefix/bin/orlim" show "$picture" -o "$scratch/orlim-show.png" --size 800x600
  [ "$(/usr/bin/compare -metric AE "$scratch/embed-qt.png" "$scratch/orlim-show.png" null: 2>&1)" = "0" ] ||
    { echo "embed-qt's window differs from orlim show"; return 1; }
  echo "installed package: embed-qt built against ORLIM::Qt and showed the picture"
}

# ---- the run ----

check_style

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}" >/dev/null
cmake --build build -j "$JOBS"
run_tests build
bench_smoke build
check_installed_package

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DORLIM_SANITIZE=ON -DORLIM_BENCH=OFF -DORLIM_QT=ON \
  "${LAUNCHER[@]}" >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_tests build-asan

fuzz_smoke
