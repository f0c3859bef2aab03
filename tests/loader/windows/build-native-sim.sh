#!/usr/bin/env bash
# Builds tovik-sim for the build machine (the Windows tests run the Linux
# simulator beside the Windows programs):
#   build-native-sim.sh SOURCE_DIR OUTPUT_DIR
set -euo pipefail
src=$1/tools/tovik-sim
out=$2
mkdir -p "$out"
if [[ -x $out/tovik-sim ]] && [[ -z $(find "$src" -newer "$out/tovik-sim" -name '*.?pp') ]]; then
  exit 0
fi
c++ -std=c++20 -O1 -Wall -Wextra -Werror -I"$src" "$src"/framing.cpp "$src"/device.cpp \
  "$src"/server.cpp "$src"/main.cpp -o "$out/tovik-sim.new"
mv "$out/tovik-sim.new" "$out/tovik-sim"
