#!/usr/bin/env bash
# Installs every Debian package that building, testing and running ORLIM needs.
# Idempotent and quiet: does nothing when everything is already there.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # libraries the control links against
  libtiff-dev libjpeg62-turbo-dev zlib1g-dev libdjvulibre-dev libpng-dev
  libfreetype-dev libfontconfig-dev fonts-liberation2
  qt6-base-dev
  # reference peers and fixture makers for the tests and benchmarks
  djvulibre-bin imagemagick libtiff-tools libjpeg-turbo-progs libvips-tools time
  # peers linked into the benchmark executable (never into the library)
  libvips-dev libmagick++-dev
  xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
