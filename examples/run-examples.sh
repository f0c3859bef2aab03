#!/bin/sh
# Runs the example scripts, the help patches and the example patches with
# kithost: the one of an install (this folder is <prefix>/share/kit/examples)
# unless KITHOST names another. Exits non-zero when one of them fails.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
kithost=${KITHOST:-$here/../../../bin/kithost}
for script in "$here"/*.kit; do
  echo "==== $(basename "$script") ===="
  "$kithost" "$script"
done
# The patches a user of the visual host opens load and run without an error.
for patch in "$here"/../help/*.maxhelp "$here"/*.maxpat; do
  [ -e "$patch" ] || continue
  echo "==== $(basename "$(dirname "$patch")")/$(basename "$patch") ===="
  "$kithost" --fail-on-error --run 100 --path "$here/../media" "$patch"
done
