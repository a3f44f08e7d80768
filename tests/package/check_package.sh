#!/usr/bin/env bash
# Installs the build into a scratch prefix and packs it with cpack, then checks
# what a user gets: the installed headers against installed_headers.txt (and
# that they compile from the installed tree alone), the Debian package's files
# against deb_files.txt and its run-time dependencies. A change to either list
# is deliberate: update the list in the same commit.
#   check_package.sh BUILD_DIR SOURCE_DIR SCRATCH_DIR
set -euo pipefail
build=$1 source=$2 scratch=$3
here="$source/tests/package"
rm -rf "$scratch" && mkdir -p "$scratch"
prefix="$scratch/prefix"
status=0

cmake --install "$build" --prefix "$prefix" >/dev/null
(cd "$prefix/include" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$scratch/headers.txt"
if ! diff -u "$here/installed_headers.txt" "$scratch/headers.txt"; then
  echo "FAIL: installed headers differ from installed_headers.txt"
  status=1
fi
# Every installed header's includes resolve inside the installed tree.
# The Qt widget's header needs Qt's own headers, so it is left out here.
grep -v '^orlim/OrlimWidget.h$' "$scratch/headers.txt" | sed 's|.*|#include <&>|' >"$scratch/all_headers.cpp"
if ! c++ -std=c++20 -fsyntax-only -I"$prefix/include" -I"$prefix/include/orlim" "$scratch/all_headers.cpp"; then
  echo "FAIL: the installed headers do not compile on their own"
  status=1
fi

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/deb" >/dev/null
deb=$(ls "$scratch"/deb/*.deb)
# Paths only; the exported targets' per-configuration file is named after the build type.
dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' |
  sed 's|\(ORLIM[A-Za-z]*Targets\)-[a-z]*\.cmake|\1-CONFIG.cmake|' | LC_ALL=C sort >"$scratch/deb_files.txt"
if ! diff -u "$here/deb_files.txt" "$scratch/deb_files.txt"; then
  echo "FAIL: the Debian package's files differ from deb_files.txt"
  status=1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for library in libtiff libjpeg62-turbo libdjvulibre libfreetype libfontconfig libpng16 libstdc++6 fonts-liberation2; do
  if [[ "$depends" != *"$library"* ]]; then
    echo "FAIL: the package does not depend on $library (Depends: $depends)"
    status=1
  fi
done
[ $status -eq 0 ] && echo "package contents as listed: $(wc -l <"$scratch/headers.txt") headers, $(wc -l <"$scratch/deb_files.txt") package entries"
exit $status
