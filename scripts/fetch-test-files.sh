#!/usr/bin/env bash
# Fetches real TIFF files that nobody on this project wrote, for the engine
# tests: downloads a few Debian packages and unpacks them (nothing is
# installed) into <repo>/build-testdata. Safe to run again: a package whose
# files are already unpacked is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
dest="$(pwd)/build-testdata"
mkdir -p "$dest/debs" "$dest/root"

packages=(python3-skimage r-cran-stars r-cran-terra r-cran-rgdal r-cran-tiff)

updated=0
for p in "${packages[@]}"; do
  stamp="$dest/root/.$p.done"
  [ -f "$stamp" ] && continue
  if ! ls "$dest/debs/${p}"_*.deb >/dev/null 2>&1; then
    if ! (cd "$dest/debs" && apt-get download -q "$p"); then
      if [ "$updated" -eq 0 ]; then
        SUDO=""
        [ "$(id -u)" -eq 0 ] || SUDO="sudo"
        $SUDO apt-get update -qq
        updated=1
      fi
      (cd "$dest/debs" && apt-get download -q "$p")
    fi
  fi
  for deb in "$dest/debs/${p}"_*.deb; do
    dpkg -x "$deb" "$dest/root"
  done
  touch "$stamp"
done
echo "test files in $dest/root"
