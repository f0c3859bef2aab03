#!/usr/bin/env bash
# Builds the kit and runs the example scripts with kithost.
set -euo pipefail
cd "$(dirname "$0")/.."
KIT_WINDOWS=0 scripts/setup.sh

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target kithost all
bin=build/default/bin

for script in examples/*.kit; do
  [[ -e "$script" ]] || continue
  echo "==== $script ===="
  "$bin/kithost" "$script"
done
