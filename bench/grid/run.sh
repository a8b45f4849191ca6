#!/usr/bin/env bash
# Grid fill and sort times, without a display.
# Usage: bench/grid/run.sh [build folder] [rows]
set -euo pipefail
build=${1:-build}
QT_QPA_PLATFORM=offscreen "$build/bin/grid_bench" "${2:-100000}"
