#!/usr/bin/env bash
# Permission tests run the programs as the unprivileged user "velmoratest"
# (root ignores file permissions). Run as root, this makes sure the user
# exists and may pass through every folder above the checkout, so that it
# can start the programs of the build; each folder that does not already let
# everyone pass gets one access-list entry for that user alone. Run as
# anybody else it does nothing: the tests then skip with their reason.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || exit 0
cd "$(dirname "$0")/.."
user=velmoratest
id "$user" >/dev/null 2>&1 || useradd --no-create-home --shell /usr/sbin/nologin "$user"
# From the top down, so that each folder is judged with its parents open.
path=""
IFS=/ read -ra parts <<<"$(pwd)"
for part in "${parts[@]}"; do
  [ -n "$part" ] || continue
  path="$path/$part"
  if ! runuser -u "$user" -- test -x "$path"; then
    setfacl -m "u:$user:x" "$path"
    echo "test user: may now pass through $path"
  fi
done
