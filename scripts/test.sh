#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test twice: once in an
# optimised build and once under AddressSanitizer and UndefinedBehaviorSanitizer.
# Then proves the installed package from the outside (check_installed_package).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
JOBS=$(nproc)

# Installs the optimised build into a scratch prefix and builds the embedding
# example against that tree only: once through find_package(ORLIM), once with
# plain g++ and pkg-config. Runs both and checks what they wrote.
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
}

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS"
check_installed_package

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DORLIM_SANITIZE=ON -DORLIM_BENCH=OFF -DORLIM_QT=OFF >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$JOBS"
