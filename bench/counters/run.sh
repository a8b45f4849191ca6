#!/usr/bin/env bash
# Counts the pages of 10,000 TIFF files of 1 to 50 pages with TiffPageCounter
# and, side by side, lists the same files with tiffinfo; prints files/s
# and the ratio of the two times.
# Usage: bench/counters/run.sh [build folder] [files]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
files=${2:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"   # a scratch class registry

"$build/bin/regsvr" "$build/bin/libVelmoraCounters.so" >/dev/null
"$build/bin/counters_bench" make "$work/tiffs" "$files"

echo "== TiffPageCounter (one object, all files)"
counted=$("$build/bin/counters_bench" count "$work/tiffs")
echo "$counted"
counter_s=$(echo "$counted" | sed -n 's/.* \([0-9.]*\) s, .*/\1/p')

echo "== tiffinfo (all files in one process per 500 names)"
start=$(date +%s.%N)
find "$work/tiffs" -name '*.tif' -print0 | xargs -0 -n 500 tiffinfo >/dev/null 2>&1
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" -v n="$files" 'BEGIN { t = e - s; printf "tiffinfo: %d files, %.3f s, %.0f files/s\n", n, t, n / t }'
awk -v s="$start" -v e="$end" -v c="$counter_s" 'BEGIN { printf "ratio TiffPageCounter / tiffinfo: %.2f\n", c / (e - s) }'

if command -v hyperfine >/dev/null; then
  echo "== hyperfine"
  hyperfine -w 1 -r 3 -N \
    "$build/bin/counters_bench count $work/tiffs" \
    "sh -c 'find $work/tiffs -name \"*.tif\" -print0 | xargs -0 -n 500 tiffinfo >/dev/null 2>&1'" || true
fi
