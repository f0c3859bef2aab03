#!/usr/bin/env bash
# Plants known faults one at a time and fails when the tests let one through.
#
#   scripts/mutation-check.sh                 # every tests/mutations/*.patch
#   scripts/mutation-check.sh NAME|FILE ...   # only these (NAME: file name without .patch)
#   scripts/mutation-check.sh --list          # the faults and the tests that must catch them
#
# A fault is a patch under tests/mutations/: a few header lines, then a diff
# with paths from the project root (what `git diff` writes):
#
#   Fault: what goes wrong, in a few words
#   Test: PROGRAM [GTEST_FILTER]      (one or more; one of them must fail)
#
# PROGRAM is a test program and its build target. To add a fault: change the
# code, `{ echo "Fault: ..."; echo "Test: ..."; echo; git diff -- FILE; } >
# tests/mutations/NAME.patch`, `git checkout FILE`, and run this script on it.
#
# The working tree is never changed: the faults are planted in a copy of it
# (tracked and untracked files, as they are now) in build/mutation/src, built
# in build/mutation/build. Both are kept between runs, so that a later run
# rebuilds only what differs. First the tests must pass on the copy as it is;
# then, for each fault: plant it, build the programs it names, run them,
# take the fault out again (also when the script is stopped). Each build and
# each test run is bounded in time.
#
# Environment: KIT_MUTATION_DIR (scratch folder), KIT_MUTATION_JOBS (build
# jobs, 2), KIT_MUTATION_BUILD_TIMEOUT and KIT_MUTATION_TEST_TIMEOUT (seconds,
# 1800 and 300).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
mutations=$root/tests/mutations
scratch=${KIT_MUTATION_DIR:-$root/build/mutation}
src=$scratch/src
build=$scratch/build
logs=$scratch/logs
jobs=${KIT_MUTATION_JOBS:-2}
build_timeout=${KIT_MUTATION_BUILD_TIMEOUT:-1800}
test_timeout=${KIT_MUTATION_TEST_TIMEOUT:-300}

# git must treat the copy as plain files, not as part of an enclosing checkout.
export GIT_CEILING_DIRECTORIES=$scratch

die() {
  echo "mutation-check: $*" >&2
  exit 2
}

# The header fields of a patch: `field PATCH Fault` prints one value per line.
field() {
  sed -n "/^diff --git /q; s/^$2: *//p" "$1"
}

patches=()
listing=0
for arg in "$@"; do
  case $arg in
  --list) listing=1 ;;
  -h | --help)
    sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
    exit 0
    ;;
  *.patch) patches+=("$(cd "$(dirname "$arg")" && pwd)/$(basename "$arg")") ;;
  *) patches+=("$mutations/$arg.patch") ;;
  esac
done
if [ ${#patches[@]} -eq 0 ]; then
  shopt -s nullglob
  patches=("$mutations"/*.patch)
  shopt -u nullglob
fi
[ ${#patches[@]} -gt 0 ] || die "no faults in $mutations"
for patch in "${patches[@]}"; do
  [ -f "$patch" ] || die "no such fault: $patch"
  [ -n "$(field "$patch" Fault)" ] || die "$patch: no 'Fault:' line"
  [ -n "$(field "$patch" Test)" ] || die "$patch: no 'Test:' line"
done

if [ $listing = 1 ]; then
  for patch in "${patches[@]}"; do
    echo "$(basename "$patch" .patch): $(field "$patch" Fault)"
    field "$patch" Test | sed 's/^/    /'
  done
  exit 0
fi

# ---- The copy of the working tree ---------------------------------------------------

# Copies the files that differ (with a fresh time, so the build sees them) and
# drops those that are gone, keeping the times of the rest.
sync_copy() {
  mkdir -p "$src"
  local list=$scratch/files
  (cd "$root" && git ls-files -z --cached --others --exclude-standard) |
    tr '\0' '\n' | while IFS= read -r file; do
      [ -f "$root/$file" ] && printf '%s\n' "$file"
    done | sort >"$list"
  while IFS= read -r file; do
    if ! cmp -s "$root/$file" "$src/$file"; then
      mkdir -p "$(dirname "$src/$file")"
      cp "$root/$file" "$src/$file"
    fi
  done <"$list"
  (cd "$src" && find . -type f | sed 's|^\./||' | sort) | comm -23 - "$list" |
    while IFS= read -r file; do rm -f "$src/$file"; done
}

# ---- Planting, building, running ----------------------------------------------------

planted=""

take_out() {
  if [ -n "$planted" ]; then
    (cd "$src" && git apply -R "$planted") || echo "mutation-check: could not take out $planted" >&2
    planted=""
  fi
}
trap take_out EXIT
trap 'take_out; exit 130' INT TERM

build_programs() { # LOG PROGRAM...
  local log=$1
  shift
  timeout "$build_timeout" nice -n 10 cmake --build "$build" -j "$jobs" --target "$@" >>"$log" 2>&1
}

# Runs every test line of the patches given; prints the lines that failed.
# Returns 0 when all passed.
run_tests() { # LOG PATCH...
  local log=$1 failed=0 program filter
  shift
  while read -r program filter; do
    [ -n "$program" ] || continue
    if ! (cd "$build" &&
      timeout "$test_timeout" "bin/$program" ${filter:+"--gtest_filter=$filter"}) >>"$log" 2>&1; then
      echo "$program $filter"
      failed=1
    fi
  done < <(for patch in "$@"; do field "$patch" Test; done | sort -u)
  return $failed
}

programs_of() { # PATCH...
  for patch in "$@"; do field "$patch" Test; done | awk '{print $1}' | sort -u
}

mkdir -p "$scratch" "$logs"
echo "mutation-check: copying the working tree to $src"
sync_copy
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIT_BUILD_BENCH=OFF \
    >"$logs/configure.log" 2>&1 || die "configure failed: $logs/configure.log"
fi

mapfile -t all_programs < <(programs_of "${patches[@]}")
echo "mutation-check: building ${all_programs[*]} without faults"
: >"$logs/baseline.log"
build_programs "$logs/baseline.log" "${all_programs[@]}" || die "build failed: $logs/baseline.log"
if ! run_tests "$logs/baseline.log" "${patches[@]}" >/dev/null; then
  die "the tests fail without any fault planted: $logs/baseline.log"
fi

caught=0
missed=0
broken=0
for patch in "${patches[@]}"; do
  name=$(basename "$patch" .patch)
  log=$logs/$name.log
  : >"$log"
  started=$SECONDS
  if ! (cd "$src" && git apply "$patch") >>"$log" 2>&1; then
    printf 'BROKEN  %s: does not apply to this tree (%s)\n' "$name" "$log"
    broken=$((broken + 1))
    continue
  fi
  planted=$patch
  mapfile -t programs < <(programs_of "$patch")
  if ! build_programs "$log" "${programs[@]}"; then
    printf 'BROKEN  %s: does not build (%s)\n' "$name" "$log"
    broken=$((broken + 1))
    take_out
    continue
  fi
  if failing=$(run_tests "$log" "$patch"); then
    printf 'MISSED  %s: %s; every test passed (%s)\n' "$name" "$(field "$patch" Fault)" "$log"
    missed=$((missed + 1))
  else
    printf 'caught  %s (%ss): %s\n' "$name" $((SECONDS - started)) "$(echo "$failing" | paste -sd ';')"
    caught=$((caught + 1))
  fi
  take_out
done

# The copy is left as the tree is; its build may hold the last fault until
# the next run builds it again.
echo "mutation-check: $caught caught, $missed missed, $broken broken of ${#patches[@]}"
[ $missed -eq 0 ] && [ $broken -eq 0 ]
