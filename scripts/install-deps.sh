#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang libclang-rt-dev clang-format-14
  libgtest-dev googletest
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libtiff-dev libtiff-tools
  libqpdf-dev qpdf
  xvfb xauth fonts-dejavu-core
  locales
  hyperfine time acl strace
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The desktop tests run once more under a comma-decimal locale.
if ! grep -qix 'de_DE\.utf-\?8' <<<"$(locale -a 2>/dev/null)"; then
  if grep -q '^# *de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  else
    echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
