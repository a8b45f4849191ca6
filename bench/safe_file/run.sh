#!/usr/bin/env bash
# What flushing to the disk costs the 1,000-page split: VelmoraCMD extracts
# every page of a 1,000-page file (/o), side by side with and without the
# flushes (a preload library that turns fsync into a no-op).
#   - into an empty folder: every output is new, nothing is flushed;
#   - over the 1,000 pages of the run before: every page replaces a file,
#     which is flushed with its folder before and after the rename.
# The folder must be on a real disk (tmpfs flushes for free): by default a
# folder under the build folder; BENCH_DIR=<folder> picks another place.
#   bench/safe_file/run.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target VelmoraCMD Stavren VelmoraCounters regsvr no_sync engine_bench_inputs \
  -j"$(nproc)" >/dev/null
base=${BENCH_DIR:-$build}
w=$(mktemp -d -p "$base" bench-safe-file-XXXXXX)
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$w"' EXIT
export HOME="$w/home" XDG_DATA_HOME="$w/home/data" XDG_CONFIG_HOME="$w/home/config"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
"$build/bin/regsvr" "$build/bin/libStavren.so" >/dev/null
"$build/bin/regsvr" "$build/bin/libVelmoraCounters.so" >/dev/null
echo "== input in $w ($(df -PT "$w" | awk 'NR == 2 { print $2 }'))"
"$build/bin/engine_bench_inputs" pages "$w/in.tif" 1000
cmd="$build/bin/VelmoraCMD"
nosync="LD_PRELOAD=$build/bin/no_sync.so"
mkdir "$w/old"
"$cmd" /i "$w/in.tif" /o "$w/old" 2>/dev/null
sync

. "$root/bench/support/hyperfine_csv.sh"

echo "== new outputs (nothing to flush)"
hyperfine --warmup 1 --runs 5 --export-csv "$w/new.csv" \
  --prepare "rm -rf $w/out; mkdir $w/out; sync" \
  -n flushed "$cmd /i $w/in.tif /o $w/out" \
  -n unflushed "env $nosync $cmd /i $w/in.tif /o $w/out"

echo "== replacing the 1,000 pages of the run before"
hyperfine --warmup 1 --runs 5 --export-csv "$w/replace.csv" \
  --prepare "rm -rf $w/out; cp -a $w/old $w/out; sync" \
  -n flushed "$cmd /i $w/in.tif /o $w/out" \
  -n unflushed "env $nosync $cmd /i $w/in.tif /o $w/out"

echo "== flushed / unflushed"
echo "new outputs:       $(ratio "$(mean "$w/new.csv" flushed)" "$(mean "$w/new.csv" unflushed)")"
echo "replacing outputs: $(ratio "$(mean "$w/replace.csv" flushed)" "$(mean "$w/replace.csv" unflushed)")"
