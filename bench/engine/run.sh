#!/usr/bin/env bash
# Times the page engine side by side with libtiff's tools and the I/O floor
# (hyperfine), and measures its peak memory (/usr/bin/time -v).
#   bench/engine/run.sh [build-dir]     (default: <repo>/build)
# Inputs are made deterministically by engine_bench_inputs in a temporary
# folder (about 650 MB), removed at the end unless KEEP=1. The folder is on
# tmpfs (/dev/shm) when it has room, so that the times are those of the
# tools rather than of the disk's file system (creating 2,000 files can
# cost more than copying their data); BENCH_DIR=<folder> picks another place.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target engine_tool engine_bench_inputs -j"$(nproc)" >/dev/null
tool="$build/bin/engine_tool"
make="$build/bin/engine_bench_inputs"
base=${BENCH_DIR:-}
if [ -z "$base" ]; then
  base=${TMPDIR:-/tmp}
  if [ -d /dev/shm ] && [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt 2000000 ]; then
    base=/dev/shm
  fi
fi
w=$(mktemp -d -p "$base")
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$w"' EXIT

echo "== inputs in $w"
"$make" pages "$w/g4.tif" 2000
mkdir "$w/s"
"$make" singles "$w/s" 10000
range=$(seq -s, 1000 1099)
# Every timed run starts with no dirty pages waiting to be written back, so
# that one run's writes do not slow the next (kernel write-back dominates
# these times otherwise).
sync

. "$root/bench/support/hyperfine_csv.sh"

echo "== ExtractAllPages vs tiffsplit (2,000 G4 pages, 1728x2200)"
hyperfine --warmup 1 --runs 5 --export-csv "$w/extract.csv" \
  --prepare "rm -rf $w/x; mkdir $w/x; sync" \
  -n engine "$tool extract-all $w/g4.tif $w/x" \
  -n tiffsplit "tiffsplit $w/g4.tif $w/x/p"

echo "== MergeFiles vs tiffcp vs cat (10,000 single-page files)"
hyperfine --runs 2 --export-csv "$w/merge.csv" --prepare "rm -f $w/m.tif; sync" \
  -n engine "cd $w/s && $tool merge $w/m.tif @list.txt" \
  -n tiffcp "cd $w/s && tiffcp \$(cat list.txt) $w/m.tif" \
  -n cat "cd $w/s && cat \$(cat list.txt) > $w/m.tif"

echo "== ExtractPageRange vs tiffcp (100 pages)"
hyperfine --warmup 1 --runs 10 --export-csv "$w/range.csv" \
  --prepare "rm -rf $w/r $w/r.tif; mkdir $w/r; sync" \
  -n engine "$tool extract-range $w/g4.tif 1000 1099 $w/r" \
  -n tiffcp "tiffcp $w/g4.tif,$range $w/r.tif"

echo "== CountTiffPages vs tiffinfo (2,000 pages)"
hyperfine --warmup 2 --runs 20 --export-csv "$w/count.csv" \
  -n engine "$tool count $w/g4.tif" \
  -n tiffinfo "tiffinfo $w/g4.tif"

peak() { # peak resident set of a command, in KiB
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}
rm -rf "$w/x"; mkdir "$w/x"
rss_extract=$(peak "$tool" extract-all "$w/g4.tif" "$w/x")
rss_merge=$(cd "$w/s" && peak "$tool" merge "$w/m.tif" @list.txt)
rss_count=$(peak "$tool" count "$w/g4.tif")
rss_merge_big=$(peak "$tool" merge "$w/big.tif" "$w/g4.tif" "$w/m.tif")

echo
echo "== ratios (mean times)"
echo "ExtractAllPages / tiffsplit:   $(ratio "$(mean "$w/extract.csv" engine)" "$(mean "$w/extract.csv" tiffsplit)")  (target <= 0.8)"
echo "tiffcp / MergeFiles:           $(ratio "$(mean "$w/merge.csv" tiffcp)" "$(mean "$w/merge.csv" engine)")  (target >= 10)"
echo "MergeFiles / cat:              $(ratio "$(mean "$w/merge.csv" engine)" "$(mean "$w/merge.csv" cat)")"
echo "ExtractPageRange / tiffcp:     $(ratio "$(mean "$w/range.csv" engine)" "$(mean "$w/range.csv" tiffcp)")"
echo "CountTiffPages / tiffinfo:     $(ratio "$(mean "$w/count.csv" engine)" "$(mean "$w/count.csv" tiffinfo)")  (target <= 1)"
echo "peak RSS (KiB): extract-all $rss_extract, merge 10,000 $rss_merge, count $rss_count, merge 12,000 pages / 600 MB $rss_merge_big  (target < 16384)"
