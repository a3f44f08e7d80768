#!/usr/bin/env bash
# Installs what is needed, builds, and runs the control's main job on the bundled
# sample picture.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target orlim
./build/hosts/cli/orlim info build/sample.bmp
# What the control shows: the sample at 200 % in a 480 x 360 window, scroll bars included.
./build/hosts/cli/orlim show build/sample.bmp -o build/sample-view.png --zoom 1 --size 480x360
echo "snapshot: build/sample-view.png"
