#!/usr/bin/env bash
# The main window's file search over a generated tree of 100,000 files in
# 1,000 folders (10,000 TIFF files of 1 to 50 pages), and side by side, on
# the same tree, find + tiffinfo finding the same files and counting their
# pages. The tree lives under /tmp and is removed afterwards.
# Usage: bench/search/run.sh [build folder]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d /tmp/search-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"   # a scratch class registry and settings
export XDG_DATA_HOME="$work/data"
export HOME="$work/home"
mkdir -p "$HOME"
export QT_QPA_PLATFORM=offscreen

"$build/bin/regsvr" "$build/bin/libVelmoraCounters.so" >/dev/null
"$build/bin/regsvr" "$build/bin/libVelmoraPdfCounter.so" >/dev/null
"$build/bin/search_bench" make "$work/tree"

# Warm the cache for everybody.
find "$work/tree" -type f >/dev/null

echo "== Velmora search (walk, filters, page counts, grid, sort)"
searched=$("$build/bin/search_bench" search "$work/tree")
echo "$searched"
search_ms=$(echo "$searched" | sed -n 's/.*best of 3 warm runs \([0-9.]*\) ms.*/\1/p')

echo "== find + tiffinfo (same files, pages counted; one tiffinfo per 500 names)"
best=""
for run in 1 2 3; do
  start=$(date +%s.%N)
  pages=$(find "$work/tree" -type f \( -iname '*.tif' -o -iname '*.tiff' \) -print0 \
            | xargs -0 -n 500 tiffinfo 2>/dev/null | grep -c '^TIFF Directory')
  end=$(date +%s.%N)
  t=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", (e - s) * 1000 }')
  if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
done
echo "find+tiffinfo: $pages pages, best of 3 runs $best ms"
awk -v a="$search_ms" -v b="$best" 'BEGIN { printf "ratio Velmora search / find+tiffinfo: %.2f\n", a / b }'

start=$(date +%s.%N)
find "$work/tree" -type f \( -iname '*.tif' -o -iname '*.tiff' \) >/dev/null
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" 'BEGIN { printf "find alone: %.1f ms\n", (e - s) * 1000 }'
