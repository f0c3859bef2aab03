#!/usr/bin/env bash
# Builds the kit and runs every test, one CMake workflow preset per build
# (CMakePresets.json): the default build with its soak runs, the modules built
# against the visual host's SDK headers (sdk), the
# AddressSanitizer+UndefinedBehaviorSanitizer build, a bounded fuzzing run,
# the ThreadSanitizer build of the threaded tests, and the Windows build
# (mingw-w64) with its tests under wine. Stops at the first stage that fails;
# prints every stage's wall time at the end.
#
# Usage: scripts/test.sh [STAGE ...]
#   STAGE  only these, in the order given (default, sdk, asan-ubsan, fuzz,
#          tsan, windows; all when none is given)
set -euo pipefail
cd "$(dirname "$0")/.."
all_stages=(default sdk asan-ubsan fuzz tsan windows)
stages=("$@")
[[ ${#stages[@]} -gt 0 ]] || stages=("${all_stages[@]}")
for stage in "${stages[@]}"; do
  if [[ " ${all_stages[*]} " != *" $stage "* ]]; then
    echo "scripts/test.sh: no stage '$stage' (stages: ${all_stages[*]})" >&2
    exit 2
  fi
done

scripts/setup.sh

# Builds and test runs use every core of the machine.
jobs=$(nproc)
export CMAKE_BUILD_PARALLEL_LEVEL=$jobs CTEST_PARALLEL_LEVEL=$jobs

times=()
report() {
  echo "==== stage times"
  printf '%s\n' "${times[@]}"
}
trap report EXIT

for stage in "${stages[@]}"; do
  echo "==== $stage"
  start=$SECONDS
  status=0
  cmake --workflow --preset "ci-$stage" || status=$?
  if [[ $status -eq 0 ]]; then
    times+=("$(printf '%-11s %5d s' "$stage" $((SECONDS - start)))")
  else
    times+=("$(printf '%-11s %5d s  FAILED' "$stage" $((SECONDS - start)))")
    exit "$status"
  fi
done
