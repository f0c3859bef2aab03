#!/bin/sh
# Runs the example scripts and the help patches with kithost: the one of an
# install (this folder is <prefix>/share/kit/examples) unless KITHOST names
# another. Exits non-zero when one of them fails.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
kithost=${KITHOST:-$here/../../../bin/kithost}
for script in "$here"/*.kit; do
  echo "==== $(basename "$script") ===="
  "$kithost" "$script"
done
for patch in "$here"/../help/*.maxpat; do
  [ -e "$patch" ] || continue
  echo "==== help/$(basename "$patch") ===="
  "$kithost" --fail-on-error --run 100 "$patch"
done
