#!/usr/bin/env bash
# Builds the kit and runs every test: the default build, the modules built
# against the visual host's SDK headers (sdk), the
# AddressSanitizer+UndefinedBehaviorSanitizer build, a bounded fuzzing run, the
# ThreadSanitizer build of the threaded tests, and the Windows build
# (mingw-w64) with its tests under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
run_preset() {
  local preset=$1
  echo "==== $preset ===="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
}

run_preset default
run_preset sdk
run_preset asan-ubsan

echo "==== fuzzing (bounded) ===="
fuzz/run.sh 20
run_preset tsan
run_preset windows
