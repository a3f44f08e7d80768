#!/usr/bin/env bash
# Compares what libORLIM.so exports with exported_symbols.txt, so that a change
# to the binary interface is always deliberate: update the list in the same commit.
# Strong definitions only: weak ones are inline functions and template instances
# (of the standard library, mostly) that the compiler emits wherever it likes;
# the sanitizers' own marks are left out too, so both builds give the same list.
#   check_exports.sh LIBRARY SOURCE_DIR SCRATCH_DIR
set -euo pipefail
library=$1 source=$2 scratch=$3
expected="$source/tests/package/exported_symbols.txt"
mkdir -p "$scratch"
nm -D --defined-only --demangle "$library" | awk '$2 ~ /^[TDBR]$/ { $1 = $2 = ""; sub(/^ +/, ""); print }' |
  grep -v '^__\(odr_asan\|asan\|ubsan\|sancov\)' |
  LC_ALL=C sort -u >"$scratch/exported_symbols.txt"
if ! diff -u "$expected" "$scratch/exported_symbols.txt"; then
  echo "FAIL: $library exports other symbols than $expected lists"
  exit 1
fi
echo "exported symbols as listed: $(wc -l <"$expected")"
