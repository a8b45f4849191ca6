#!/usr/bin/env bash
# Fails when a tracked C++ source is not in the project's style
# (.clang-format). The version is pinned: another clang-format may lay
# the same code out differently. scripts/install-deps.sh installs it.
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
command -v "$format" >/dev/null || { echo "check-format: $format is not installed" >&2; exit 1; }
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 "$format" --dry-run -Werror; then
  echo "check-format: the files above are not formatted; run: git ls-files '*.cpp' '*.h' | xargs $format -i" >&2
  exit 1
fi
echo "check-format: every C++ source is formatted"
