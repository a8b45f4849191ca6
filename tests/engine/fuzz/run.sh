#!/usr/bin/env bash
# Runs one fuzzer (engine_fuzz or counter_fuzz) for a bounded time:
#   run.sh <fuzzer binary> <seconds>
# Seeds: a few tiny TIFF files made here (by hand, and with libtiff's tools
# when present). Exits non-zero when the fuzzer finds a crash.
set -euo pipefail
bin=${1:?usage: run.sh <fuzzer binary> <seconds>}
name=$(basename "$bin")
seconds=${2:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seeds="$work/seeds"
corpus="$work/corpus"
mkdir -p "$seeds" "$corpus"

# A hand-made one-page 4x2 grey file, little- and big-endian.
printf 'II*\000\010\000\000\000\004\000\000\001\003\000\001\000\000\000\004\000\000\000\001\001\003\000\001\000\000\000\002\000\000\000\021\001\004\000\001\000\000\000\076\000\000\000\027\001\004\000\001\000\000\000\010\000\000\000\000\000\000\000ABCDEFGH' > "$seeds/grey-le.tif"
printf 'MM\000*\000\000\000\010\000\004\001\000\000\003\000\000\000\001\000\004\000\000\001\001\000\003\000\000\000\001\000\002\000\000\001\021\000\004\000\000\000\001\000\000\000\076\001\027\000\004\000\000\000\001\000\000\000\010\000\000\000\000ABCDEFGH' > "$seeds/grey-be.tif"

if command -v raw2tiff >/dev/null && command -v tiffcp >/dev/null; then
  head -c 96 /dev/zero | tr '\0' '\133' > "$work/raw"
  raw2tiff -w 8 -l 4 -d byte -b 3 -i pixel "$work/raw" "$seeds/rgb.tif" 2>/dev/null || true
  if [ -f "$seeds/rgb.tif" ]; then
    tiffcp -c lzw -r 1 "$seeds/rgb.tif" "$seeds/rgb-lzw.tif" 2>/dev/null || true
    tiffcp -t -w 16 -l 16 "$seeds/rgb.tif" "$seeds/rgb-tiled.tif" 2>/dev/null || true
    tiffcp -B "$seeds/rgb.tif" "$seeds/grey-le.tif" "$seeds/two-be.tif" 2>/dev/null || true
  fi
fi

set +e
"$bin" "$corpus" "$seeds" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
       -timeout=20 -print_final_stats=1 -artifact_prefix="$work/" 2>"$work/log"
status=$?
set -e
tail -n 20 "$work/log"
if [ $status -ne 0 ]; then
  echo "$name FAILED (status $status)" >&2
  grep -A40 -m1 -E 'ERROR|runtime error' "$work/log" >&2 || true
  for a in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -f "$a" ] && { echo "artifact: $(basename "$a")"; od -A d -t x1 "$a" | head -n 20; } >&2
  done
  exit $status
fi
echo "$name passed ($seconds s)"
