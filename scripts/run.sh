#!/usr/bin/env bash
# Installs what is needed, builds, registers the page engine and the page
# counters for this user, and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
for module in build/bin/libStavren.so build/bin/libVelmoraCounters.so build/bin/libVelmoraPdfCounter.so; do
  [ -f "$module" ] && build/bin/regsvr "$module"
done
if [ -x build/bin/Velmora ]; then
  exec build/bin/Velmora "$@"
fi
echo "Velmora is not built yet; VelmoraCMD and the page engine are in build/bin."
