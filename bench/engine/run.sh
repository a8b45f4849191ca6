#!/usr/bin/env bash
# Times the page engine side by side with libtiff's tools and with the I/O
# floor, and measures its peak memory (/usr/bin/time -v).
#   bench/engine/run.sh [build-dir]     (default: <repo>/build)
# The floor (bench_floor) writes the same bytes into the same files as the
# engine and does nothing else: open, one write, close. Its files are the
# engine's own outputs, packed once before the timing. tiffcp and tiffsplit
# decode and re-encode every page. hyperfine runs every command without a
# shell (-N); the figures compared are medians.
# Inputs are made deterministically by engine_bench_inputs in a temporary
# folder (about 650 MB), removed at the end unless KEEP=1. The folder is on
# tmpfs (/dev/shm) when it has room, so that the times are those of the
# tools rather than of the disk's file system (creating 2,000 files can
# cost more than copying their data); BENCH_DIR=<folder> picks another place.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target engine_tool engine_bench_inputs bench_floor -j"$(nproc)" >/dev/null
tool="$build/bin/engine_tool"
make="$build/bin/engine_bench_inputs"
floor="$build/bin/bench_floor"
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
singles=$(tr '\n' ' ' <"$w/s/list.txt")

echo "== the floor's files: the engine's outputs"
mkdir "$w/x" "$w/r"
"$tool" extract-all "$w/g4.tif" "$w/x" >/dev/null
(cd "$w/s" && "$tool" merge "$w/m.tif" @list.txt >/dev/null)
"$tool" extract-pages "$w/g4.tif" 1000 1099 "$w/r" >/dev/null
ls "$w/x"/*.tif >"$w/x.list"
"$floor" pack "$w/extract.pack" @"$w/x.list"
"$floor" pack "$w/merge.pack" "$w/m.tif"
"$floor" pack "$w/range.pack" "$w"/r/*.tif
# Every timed run starts with no dirty pages waiting to be written back, so
# that one run's writes do not slow the next (kernel write-back dominates
# these times otherwise).
sync

. "$root/bench/support/hyperfine_csv.sh"

echo "== ExtractAllPages vs tiffsplit vs floor (2,000 G4 pages, 1728x2200)"
hyperfine -N --warmup 1 --runs 7 --export-csv "$w/extract.csv" \
  --prepare "sh -c 'rm -rf $w/x; mkdir $w/x; sync'" \
  -n engine "$tool extract-all $w/g4.tif $w/x" \
  -n tiffsplit "tiffsplit $w/g4.tif $w/x/p" \
  -n floor "$floor write $w/extract.pack"

echo "== MergeFiles vs tiffcp vs floor (10,000 single-page files)"
# The engine and tiffcp name the inputs from their folder, as list.txt does.
(cd "$w/s" && hyperfine -N --runs 3 --export-csv "$w/merge.csv" --prepare "sh -c 'rm -f $w/m.tif; sync'" \
  -n engine "$tool merge $w/m.tif @list.txt" \
  -n tiffcp "tiffcp $singles $w/m.tif" \
  -n floor "$floor write $w/merge.pack")

echo "== ExtractPageRange vs tiffcp vs floor (pages 1000 to 1099 of 2,000)"
# The engine writes one file a page, as the programs ask it (no page count);
# tiffcp writes the same pages into one file.
hyperfine -N --warmup 1 --runs 15 --export-csv "$w/range.csv" \
  --prepare "sh -c 'rm -rf $w/r $w/r.tif; mkdir $w/r; sync'" \
  -n engine "$tool extract-pages $w/g4.tif 1000 1099 $w/r" \
  -n tiffcp "tiffcp $w/g4.tif,$range $w/r.tif" \
  -n floor "$floor write $w/range.pack"

echo "== CountTiffPages vs tiffinfo (2,000 pages)"
hyperfine -N --warmup 2 --runs 20 --export-csv "$w/count.csv" \
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

m() { median "$w/$1.csv" "$2"; }
echo
echo "== medians (ms) and ratios"
printf '%-18s %9s %9s %9s   %-18s %s\n' case engine other floor engine/other engine/floor
printf '%-18s %9.1f %9.1f %9.1f   %-18s %s\n' \
  "extract 2,000" "$(ms "$(m extract engine)")" "$(ms "$(m extract tiffsplit)")" "$(ms "$(m extract floor)")" \
  "$(ratio "$(m extract engine)" "$(m extract tiffsplit)") (tiffsplit)" "$(ratio "$(m extract engine)" "$(m extract floor)")" \
  "merge 10,000" "$(ms "$(m merge engine)")" "$(ms "$(m merge tiffcp)")" "$(ms "$(m merge floor)")" \
  "$(ratio "$(m merge engine)" "$(m merge tiffcp)") (tiffcp)" "$(ratio "$(m merge engine)" "$(m merge floor)")" \
  "range 100 of 2,000" "$(ms "$(m range engine)")" "$(ms "$(m range tiffcp)")" "$(ms "$(m range floor)")" \
  "$(ratio "$(m range engine)" "$(m range tiffcp)") (tiffcp)" "$(ratio "$(m range engine)" "$(m range floor)")"
printf '%-18s %9.1f %9.1f %9s   %-18s %s\n' \
  "count 2,000" "$(ms "$(m count engine)")" "$(ms "$(m count tiffinfo)")" - \
  "$(ratio "$(m count engine)" "$(m count tiffinfo)") (tiffinfo)" -
echo "targets: extract/tiffsplit <= 0.8, merge tiffcp/engine >= 10, count/tiffinfo <= 1"
echo "peak RSS (KiB): extract-all $rss_extract, merge 10,000 $rss_merge, count $rss_count, merge 12,000 pages / 600 MB $rss_merge_big  (target < 16384)"
