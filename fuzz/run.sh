#!/usr/bin/env bash
# Builds every fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time from its seed
# corpus in fuzz/corpus/TARGET. Fails when a fuzzer finds anything; the input
# that did it is left as build/fuzz/crash-* (or leak-*, timeout-*).
#
# Usage: fuzz/run.sh [SECONDS] [TARGET ...]
#   SECONDS  time per target (default 25)
#   TARGET   only these targets (default: all, listed by `fuzz/run.sh 0 list`)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-25}
shift || true
out=build/fuzz
mkdir -p "$out"

# Methods are called through the pointer type of their registration, as a host
# calls them, not through their own: the function-type check does not apply.
cxxflags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize=function
  -fno-sanitize-recover=all -Wall -Wextra -Werror -Wno-cast-function-type)

# Each target: its name, then its compile arguments (sources and flags).
declare -A target_args=(
  [rkudp-unpack]="-Ihost/include -Dmain=rkudp_unpack_main
    Sources/Max/universal/rkudp-unpack.cpp host/src/strings.cpp fuzz/host_stub.cpp fuzz/rkudp_unpack_fuzz.cpp"
  [nexio-config]="-Ihost/include -IAPI/include -IAPI/src -Dmain=nexio_main
    API/src/communication/posix/native_socket.cpp API/src/system/posix/thread.cpp
    API/src/system/memory.cpp host/src/strings.cpp
    fuzz/host_stub.cpp fuzz/nexio_config_fuzz.cpp -lpthread"
  [api-text]="-IAPI/include API/src/types/text.cpp API/src/types/string.cpp
    fuzz/api_text_fuzz.cpp"
  [api-string]="-IAPI/include API/src/types/text.cpp API/src/types/string.cpp
    fuzz/api_string_fuzz.cpp"
  [sim-framing]="-Itools/tovik-sim tools/tovik-sim/framing.cpp tools/tovik-sim/device.cpp
    fuzz/sim_framing_fuzz.cpp"
  [sim-connection]="-Itools/tovik-sim tools/tovik-sim/framing.cpp tools/tovik-sim/device.cpp
    tools/tovik-sim/reader.cpp tools/tovik-sim/report.cpp fuzz/sim_connection_fuzz.cpp"
  [kithost-text]="-Ihost/include -Ihost/src -Itools/kithost host/src/text.cpp
    host/src/symbols.cpp host/src/atoms.cpp tools/kithost/script.cpp fuzz/kithost_text_fuzz.cpp"
  [kithost-patcher]="-Ihost/include -Ihost/src -Itools/kithost -Wno-varargs
    $(echo host/src/*.cpp host/src/posix/*.cpp) tools/kithost/patcher.cpp tools/kithost/box_text.cpp
    $(echo tools/kithost/builtins/*.cpp) fuzz/kithost_patcher_fuzz.cpp -ldl -lpthread"
)
all=(rkudp-unpack nexio-config api-text api-string sim-framing sim-connection kithost-text
  kithost-patcher)

if [[ ${1:-} == list ]]; then
  printf '%s\n' "${all[@]}"
  exit 0
fi
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${all[@]}")

# Every source is compiled on its own, two at a time (the machines have two
# cores), then each target is linked.
compile_jobs=()
for t in "${targets[@]}"; do
  [[ -n ${target_args[$t]:-} ]] || { echo "fuzz/run.sh: no target $t" >&2; exit 2; }
  mkdir -p "$out/obj/$t"
  flags=() sources=()
  for arg in ${target_args[$t]}; do
    if [[ $arg == *.cpp ]]; then
      sources+=("$arg")
    elif [[ $arg != -l* ]]; then
      flags+=("$arg")
    fi
  done
  for src in "${sources[@]}"; do
    compile_jobs+=("$out/obj/$t/$(echo "$src" | tr / _).o" "$src" "${flags[*]}")
  done
done
echo "---- building ${targets[*]}"
printf '%s\0' "${compile_jobs[@]}" |
  xargs -0 -n 3 -P 2 bash -c 'obj=$1 src=$2; shift 2
    # shellcheck disable=SC2068 # the flags are split on purpose
    exec clang++ -c '"${cxxflags[*]}"' $@ "$src" -o "$obj"' compile
for t in "${targets[@]}"; do
  libs=()
  for arg in ${target_args[$t]}; do
    [[ $arg == -l* ]] && libs+=("$arg")
  done
  clang++ "${cxxflags[@]}" "$out/obj/$t"/*.o "${libs[@]}" -o "$out/${t}_fuzz"
done

for t in "${targets[@]}"; do
  echo "---- fuzzing $t for ${seconds} s"
  work=$out/corpus-$t
  mkdir -p "$work"
  # New inputs go to the work folder; the seeds in the repository stay as they
  # are. Memory and time per input are bounded so that a runaway input is a
  # finding rather than a stuck CI job.
  "$out/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$out/$t-" "$work" "fuzz/corpus/$t"
done
