#!/usr/bin/env bash
# VelmoraCMD side by side with tiffsplit (hyperfine, one run):
#   - start-up: one call extracting the page of a one-page file;
#   - splitting a 1,000-page G4 file (1728x2200) into single pages, on the
#     disk file system and on tmpfs;
#   - peak memory of those calls (/usr/bin/time -v).
# Usage: bench/cli/run.sh [build-dir]      (default: <repo>/build)
# The disk folder is made under the build folder (DISK_DIR=<folder> picks
# another); the tmpfs folder under /dev/shm. Both are removed at the end.
# The runs see no display, as a script or a scheduler would.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" -j"$(nproc)" --target VelmoraCMD VelmoraCMDWindows Stavren VelmoraCounters regsvr \
  engine_bench_inputs >/dev/null
bin="$build/bin"
cmd="$bin/VelmoraCMD"

disk=$(mktemp -d -p "${DISK_DIR:-$build}")
shm=$(mktemp -d -p /dev/shm)
home=$(mktemp -d)
trap 'rm -rf "$disk" "$shm" "$home"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
"$bin/regsvr" "$bin/libStavren.so" >/dev/null
"$bin/regsvr" "$bin/libVelmoraCounters.so" >/dev/null

for w in "$disk" "$shm"; do
  "$bin/engine_bench_inputs" pages "$w/one.tif" 1
  "$bin/engine_bench_inputs" pages "$w/g4.tif" 1000
  mkdir "$w/out" "$w/x"
done
sync

mean() { awk -F, -v name="$2" '$1 == name { sum += $2; n++ } END { print sum / n }' "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== one call on a one-page file (tmpfs)"
hyperfine -N --warmup 10 --runs 300 --export-csv "$shm/one.csv" \
  --prepare "sh -c 'rm -rf $shm/out $shm/x; mkdir $shm/out $shm/x'" \
  -n VelmoraCMD "$cmd /i $shm/one.tif /o $shm/out" \
  -n tiffsplit "tiffsplit $shm/one.tif $shm/x/p"

for place in disk tmpfs; do
  w=$disk; [ "$place" = tmpfs ] && w=$shm
  echo "== splitting 1,000 G4 pages ($place)"
  # Every run starts with no dirty pages waiting to be written back, so that
  # one run's writes do not slow the next. The two programs take turns in
  # three rounds, so that a slow spell of a shared disk falls on both.
  for round in 1 2 3; do
    a=(-n VelmoraCMD "$cmd /i $w/g4.tif /o $w/out")
    b=(-n tiffsplit "tiffsplit $w/g4.tif $w/x/p")
    if [ $round = 2 ]; then order=("${b[@]}" "${a[@]}"); else order=("${a[@]}" "${b[@]}"); fi
    hyperfine -N --warmup 1 --runs 8 --export-csv "$w/split$round.csv" \
      --prepare "sh -c 'rm -rf $w/out $w/x; mkdir $w/out $w/x; sync'" "${order[@]}"
  done
  cat "$w"/split[123].csv > "$w/split.csv"
done

peak() { # peak resident set of a command, in KiB
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}
rm -rf "$shm/out" && mkdir "$shm/out"
rss_one=$(peak "$cmd" /i "$shm/one.tif" /o "$shm/out")
rm -rf "$shm/out" && mkdir "$shm/out"
rss_split=$(peak "$cmd" /i "$shm/g4.tif" /o "$shm/out")
rss_tiffsplit=$(peak tiffsplit "$shm/g4.tif" "$shm/x/q")

echo
echo "== ratios (mean times, VelmoraCMD / tiffsplit)"
echo "one-page file:           $(ratio "$(mean "$shm/one.csv" VelmoraCMD)" "$(mean "$shm/one.csv" tiffsplit)")  (target <= 2)"
echo "1,000 pages, disk:       $(ratio "$(mean "$disk/split.csv" VelmoraCMD)" "$(mean "$disk/split.csv" tiffsplit)")  (target <= 0.8)"
echo "1,000 pages, tmpfs:      $(ratio "$(mean "$shm/split.csv" VelmoraCMD)" "$(mean "$shm/split.csv" tiffsplit)")  (target <= 0.8)"
echo "peak RSS (KiB): one page $rss_one, 1,000 pages $rss_split, tiffsplit $rss_tiffsplit  (target < 16384)"
