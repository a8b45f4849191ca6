#!/usr/bin/env bash
# Every path the code map (docs/architecture.md) names in backticks must be
# a tracked file or folder, so the map cannot drift from the tree.
#
# A backticked token counts as a path when it contains a "/" or ends in a
# source extension, and holds only the characters of the project's paths
# (letters, digits, "_", "-", ".", "/", and "*" or "?" for a pattern). So
# `<build>/bin`, registry keys with braces, "a b" with a blank, absolute
# paths and addresses are not checked. Exits 1, naming each missing path.
#   scripts/check-doc-paths.sh [file]      (default: docs/architecture.md)
set -euo pipefail
cd "$(dirname "$0")/.."
doc=${1:-docs/architecture.md}
[ -f "$doc" ] || { echo "$doc: no such file" >&2; exit 1; }

tracked=$(git ls-files)
# Every folder that holds a tracked file, each path followed by "/".
folders=$(printf '%s\n' "$tracked" | sed -n 's|/[^/]*$|/|p' |
          awk -F/ '{ p = ""; for (i = 1; i < NF; i++) { p = p $i "/"; print p } }' | sort -u)

missing=0
while IFS= read -r token; do
  case $token in
    /* | *://*) continue ;;
  esac
  [[ $token =~ ^[A-Za-z0-9_.*?/-]+$ ]] || continue
  [[ $token == */* || $token =~ \.(c|cpp|h|cmake|sh|md|txt|qrc|html)$ ]] || continue
  path=${token%/}
  if [[ $path == *[*?]* ]]; then
    [ -n "$(git ls-files -- ":(glob)$path")" ] && continue
  # Here-strings, not pipes: grep -q stops reading at its first match, and
  # under pipefail the writer's SIGPIPE would count as no match.
  elif grep -qxF -- "$path" <<<"$tracked" || grep -qxF -- "$path/" <<<"$folders"; then
    continue
  fi
  echo "$doc names \`$token\`, which is not a tracked file or folder" >&2
  missing=1
done < <(grep -o '`[^`]*`' "$doc" | sed 's/^`//; s/`$//' | sort -u)

exit "$missing"
