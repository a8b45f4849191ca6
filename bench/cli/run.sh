#!/usr/bin/env bash
# The command-line program's benchmark of record: the VelmoraCMD of the
# build side by side with libtiff's tiffsplit and tiffcp and with the floor
# of a split (bench_floor: the same page files written with one open,
# one write and one close each), the programs taking turns (A B A B ...,
# cli_alternate) and their medians compared:
#   - one call on a one-page file;
#   - splitting 10, 100, 1,000 and 10,000 pages (tmpfs), and the 10,000
#     pages against the floor;
#   - the range ?2-9 of a 10,000-page file against the same range of a
#     1,000-page file (tiffcp writing those pages beside it);
#   - deleting a page and inserting 10 pages in place (100 pages, against
#     tiffcp writing the same file; 10,000 pages alone);
#   - a folder run over 200 one-page files on the disk, against a tiffsplit
#     call per file, and the private folders it makes (strace).
# Every output is checked with tiffinfo, and its pages with tiffcmp against
# libtiff's.
# The last lines say, for each target, whether it is met.
# Usage: bench/cli/run.sh [build-dir]      (default: <repo>/build)
# The disk folder is made under the build folder (DISK_DIR=<folder> picks
# another); the tmpfs folder under /dev/shm. Both are removed at the end.
# The runs see no display, as a script or a scheduler would.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" -j"$(nproc)" --target VelmoraCMD VelmoraCMDWindows Stavren VelmoraCounters regsvr \
  engine_bench_inputs cli_alternate bench_floor >/dev/null
bin="$build/bin"
cmd="$bin/VelmoraCMD"
alternate="$bin/cli_alternate"
floor="$bin/bench_floor"
for tool in tiffsplit tiffcp tiffinfo tiffcmp strace; do
  command -v "$tool" >/dev/null || { echo "run.sh needs $tool" >&2; exit 1; }
done

disk=$(mktemp -d -p "${DISK_DIR:-$build}" bench-cli-XXXXXX)
shm=$(mktemp -d -p /dev/shm bench-cli-XXXXXX)
home=$(mktemp -d)
trap 'rm -rf "$disk" "$shm" "$home"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
"$bin/regsvr" "$bin/libStavren.so" >/dev/null
"$bin/regsvr" "$bin/libVelmoraCounters.so" >/dev/null

echo "== inputs (G4 pages of 1728x2200) in $shm and $disk"
for n in 1 10 100 1000 10000; do
  "$bin/engine_bench_inputs" pages "$shm/s$n.tif" "$n"
done
"$bin/engine_bench_inputs" pages "$shm/i10.tif" 10
mkdir "$disk/in"
for i in $(seq -w 1 200); do cp "$shm/s1.tif" "$disk/in/f$i.tif"; done
sync

# Results: "name median" lines, one file per case.
results="$shm/results"
mkdir "$results"
failures=0
fail() {
  echo "CHECK FAILED: $*"
  failures=$((failures + 1))
}
# Runs cli_alternate and keeps its lines under the case name $1.
timed() {
  local name=$1
  shift
  "$alternate" "$@" | tee "$results/$name"
}
median() { awk -v n="$2" '$1 == n { print $2 }' "$results/$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# The number of pages of a file by tiffinfo; "bad" when tiffinfo complains.
pages() {
  local out
  if ! out=$(tiffinfo "$1" 2>&1 >/dev/null) || [ -n "$out" ]; then
    echo bad
    return
  fi
  tiffinfo "$1" 2>/dev/null | grep -c '^TIFF Directory'
}
# Whether two TIFF files (either may be "file,n,m,..." for some of its
# pages) hold the same pages: both are rewritten by tiffcp first, since
# tiffcmp passes over the image data of pages whose tags differ, and tiffcp
# adds tags of its own.
same_pages() {
  tiffcp "$1" "$shm/same-a.tif" && tiffcp "$2" "$shm/same-b.tif" \
    && tiffcmp "$shm/same-a.tif" "$shm/same-b.tif" >/dev/null
  local same=$?
  rm -f "$shm/same-a.tif" "$shm/same-b.tif"
  return $same
}
# tiffsplit's name of the 0-based page k: three letters from "aaa".
split_name() {
  local k=$1 l=abcdefghijklmnopqrstuvwxyz
  echo "${l:$((k / 676)):1}${l:$((k / 26 % 26)):1}${l:$((k % 26)):1}"
}
# Splits $shm/s$1.tif once more with both programs (each timed run starts
# in empty folders) and checks VelmoraCMD's one-page files against
# tiffsplit's, every $2-th page (all of them with a step of 1).
check_split() {
  local n=$1 step=$2 stem=s$1 out=$shm/o ref=$shm/t k
  rm -rf "$out" "$ref" && mkdir "$out" "$ref"
  "$cmd" /i "$shm/s$n.tif" /o "$out" 2>/dev/null || fail "VelmoraCMD failed on $n pages"
  tiffsplit "$shm/s$n.tif" "$ref/p"
  [ "$(find "$out" -maxdepth 1 -type f | wc -l)" = "$n" ] || fail "$out holds not $n files"
  [ -z "$(find "$out" -mindepth 1 -name '.velmora-*')" ] || fail "$out holds a private folder"
  for ((k = 0; k < n; k += step)); do
    local f="$out/$stem$((k + 1)).tif"
    [ "$(pages "$f")" = 1 ] || fail "$f is not one readable page"
    tiffcmp "$f" "$ref/p$(split_name "$k").tif" >/dev/null || fail "$f differs from tiffsplit's page $((k + 1))"
  done
  rm -rf "$out" "$ref"
}

echo "== one call on a one-page file (tmpfs)"
timed one 200 "rm -rf $shm/o $shm/t; mkdir $shm/o $shm/t" \
  VelmoraCMD "$cmd /i $shm/s1.tif /o $shm/o" tiffsplit "tiffsplit $shm/s1.tif $shm/t/p"
check_split 1 1

for n in 10 100 1000 10000; do
  echo "== splitting $n pages (tmpfs)"
  runs=$((n <= 10 ? 100 : n <= 100 ? 40 : n <= 1000 ? 15 : 7))
  if [ "$n" = 10000 ]; then
    # The floor writes the very page files VelmoraCMD wrote.
    rm -rf "$shm/o" && mkdir "$shm/o"
    "$cmd" /i "$shm/s$n.tif" /o "$shm/o" 2>/dev/null
    (cd "$shm/o" && ls >"$shm/pack.list" && "$floor" pack "$shm/pack" @"$shm/pack.list")
    timed split$n "$runs" "rm -rf $shm/o $shm/t $shm/f; mkdir $shm/o $shm/t $shm/f" \
      VelmoraCMD "$cmd /i $shm/s$n.tif /o $shm/o" tiffsplit "tiffsplit $shm/s$n.tif $shm/t/p" \
      floor "$floor write $shm/pack $shm/f"
    rm -rf "$shm/f" && mkdir "$shm/f" && "$floor" write "$shm/pack" "$shm/f"
    [ "$(find "$shm/f" -type f | wc -l)" = "$n" ] || fail "the floor wrote not $n files"
    rm -rf "$shm/f" "$shm/pack" "$shm/pack.list"
    check_split "$n" 97
  else
    timed split$n "$runs" "rm -rf $shm/o $shm/t; mkdir $shm/o $shm/t" \
      VelmoraCMD "$cmd /i $shm/s$n.tif /o $shm/o" tiffsplit "tiffsplit $shm/s$n.tif $shm/t/p"
    check_split "$n" 1
  fi
done

echo "== the range ?2-9 of 10,000 and of 1,000 pages (tmpfs)"
timed range 100 "rm -rf $shm/o $shm/r $shm/t.tif; mkdir $shm/o $shm/r" \
  "VelmoraCMD-10000" "$cmd /i $shm/s10000.tif /o $shm/o?2-9" \
  "VelmoraCMD-1000" "$cmd /i $shm/s1000.tif /o $shm/r?2-9" \
  "tiffcp-10000" "tiffcp $shm/s10000.tif,1,2,3,4,5,6,7,8 $shm/t.tif"
rm -rf "$shm/o" && mkdir "$shm/o" && "$cmd" /i "$shm/s10000.tif" /o "$shm/o?2-9" 2>/dev/null
[ "$(find "$shm/o" -type f | wc -l)" = 8 ] || fail "the range wrote not 8 files"
for p in 2 3 4 5 6 7 8 9; do
  [ "$(pages "$shm/o/s10000$p.tif")" = 1 ] || fail "range page $p is not one readable page"
  same_pages "$shm/o/s10000$p.tif" "$shm/s10000.tif,$((p - 1))" || fail "range page $p differs from the input's"
done
rm -rf "$shm/o" "$shm/r" "$shm/t.tif"

echo "== delete page 50 and insert 10 pages after page 50, in place (100 pages, tmpfs)"
timed inplace 5 "cp $shm/s100.tif $shm/d.tif; cp $shm/s100.tif $shm/a.tif; rm -f $shm/t.tif" \
  "VelmoraCMD-delete" "$cmd /i $shm/d.tif /del 50" \
  "tiffcp-delete" "tiffcp $shm/s100.tif,$(seq -s, 0 48),$(seq -s, 50 99) $shm/t.tif" \
  "VelmoraCMD-insert" "$cmd /i $shm/a.tif?50 /a $shm/i10.tif" \
  "tiffcp-insert" "tiffcp $shm/s100.tif,$(seq -s, 0 49) $shm/i10.tif $shm/s100.tif,$(seq -s, 50 99) $shm/t.tif"
cp "$shm/s100.tif" "$shm/d.tif" && "$cmd" /i "$shm/d.tif" /del 50 2>/dev/null
[ "$(pages "$shm/d.tif")" = 99 ] || fail "the delete did not leave 99 pages"
same_pages "$shm/d.tif" "$shm/s100.tif,$(seq -s, 0 48),$(seq -s, 50 99)" || fail "the delete differs from tiffcp's"
cp "$shm/s100.tif" "$shm/a.tif" && "$cmd" /i "$shm/a.tif?50" /a "$shm/i10.tif" 2>/dev/null
[ "$(pages "$shm/a.tif")" = 110 ] || fail "the insert did not leave 110 pages"
tiffcp "$shm/s100.tif,$(seq -s, 0 49)" "$shm/i10.tif" "$shm/s100.tif,$(seq -s, 50 99)" "$shm/t.tif"
same_pages "$shm/a.tif" "$shm/t.tif" || fail "the insert differs from tiffcp's"
rm -f "$shm/t.tif"
echo "== the same in place on 10,000 pages (VelmoraCMD alone)"
timed inplace10000 3 "cp $shm/s10000.tif $shm/d.tif; cp $shm/s10000.tif $shm/a.tif" \
  "VelmoraCMD-delete" "$cmd /i $shm/d.tif /del 5000" \
  "VelmoraCMD-insert" "$cmd /i $shm/a.tif?5000 /a $shm/i10.tif"
cp "$shm/s10000.tif" "$shm/d.tif" && "$cmd" /i "$shm/d.tif" /del 5000 2>/dev/null
[ "$(pages "$shm/d.tif")" = 9999 ] || fail "the 10,000-page delete did not leave 9,999 pages"
cp "$shm/s10000.tif" "$shm/a.tif" && "$cmd" /i "$shm/a.tif?5000" /a "$shm/i10.tif" 2>/dev/null
[ "$(pages "$shm/a.tif")" = 10010 ] || fail "the 10,000-page insert did not leave 10,010 pages"
rm -f "$shm/d.tif" "$shm/a.tif"

echo "== a folder run over 200 one-page files (disk)"
printf 'for f in %s/in/*.tif; do tiffsplit "$f" %s/t/$(basename "$f" .tif)_ || exit 1; done\n' "$disk" "$disk" \
  >"$disk/tiffsplit-each.sh"
timed folder 5 "rm -rf $disk/o $disk/t; mkdir $disk/o $disk/t; sync" \
  VelmoraCMD "$cmd /d $disk/in /o $disk/o" "tiffsplit-each" "sh $disk/tiffsplit-each.sh"
rm -rf "$disk/o" && mkdir "$disk/o"
strace -f -e trace=mkdir,mkdirat -o "$disk/mkdir.txt" "$cmd" /d "$disk/in" /o "$disk/o" 2>/dev/null
private_folders=$(grep -c '\.velmora-' "$disk/mkdir.txt" || true)
[ "$(find "$disk/o" -type f | wc -l)" = 200 ] || fail "the folder run wrote not 200 files"
for f in "$disk"/o/*.tif; do
  [ "$(pages "$f")" = 1 ] || fail "$f is not one readable page"
done
[ -z "$(find "$disk/o" -mindepth 1 -name '.velmora-*')" ] || fail "the folder run left a private folder"

echo
echo "== figures (medians, ms)"
for f in "$results"/*; do
  awk -v c="$(basename "$f")" '{ printf "%-14s %-20s %10.3f\n", c, $1, $2 }' "$f"
done
echo "folder run: $private_folders private folder(s) made for 200 files"

# One line per target: the figure, the goal, met or missed.
target() { # name value goal
  awk -v n="$1" -v v="$2" -v g="$3" 'BEGIN { printf "%-52s %6.2f  (<= %s)  %s\n", n, v, g, (v <= g ? "met" : "missed") }'
}
echo
echo "== targets"
target "one-page call, VelmoraCMD / tiffsplit" "$(ratio "$(median one VelmoraCMD)" "$(median one tiffsplit)")" 1.5
target "split 10 pages, VelmoraCMD / tiffsplit (tmpfs)" \
  "$(ratio "$(median split10 VelmoraCMD)" "$(median split10 tiffsplit)")" 1.0
target "split 100 pages, VelmoraCMD / tiffsplit (tmpfs)" \
  "$(ratio "$(median split100 VelmoraCMD)" "$(median split100 tiffsplit)")" 0.9
target "split 1,000 pages, VelmoraCMD / tiffsplit (tmpfs)" \
  "$(ratio "$(median split1000 VelmoraCMD)" "$(median split1000 tiffsplit)")" 0.8
target "split 10,000 pages, VelmoraCMD / floor (tmpfs)" \
  "$(ratio "$(median split10000 VelmoraCMD)" "$(median split10000 floor)")" 1.2
target "range ?2-9, 10,000 pages / 1,000 pages (flat)" \
  "$(ratio "$(median range VelmoraCMD-10000)" "$(median range VelmoraCMD-1000)")" 1.2
target "folder run (disk): private folders per run" "$private_folders" 1
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
