#!/usr/bin/env bash
# Builds the rkudp-unpack fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a bounded time from the seed
# corpus. Usage: fuzz/run.sh [SECONDS] (default 60). Fails when the fuzzer
# finds anything.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz
work=$out/corpus-rkudp-unpack
mkdir -p "$work"

# Methods are called through the pointer type of their registration, as a host
# calls them, not through their own: the function-type check does not apply.
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize=function \
  -fno-sanitize-recover=all \
  -Wall -Wextra -Werror -Wno-cast-function-type -Ihost/include -Dmain=rkudp_unpack_main \
  Sources/Max/universal/rkudp-unpack.cpp fuzz/host_stub.cpp fuzz/rkudp_unpack_fuzz.cpp \
  -o "$out/rkudp_unpack_fuzz"

# New inputs go to the work folder; the seeds in the repository stay as they are.
"$out/rkudp_unpack_fuzz" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$out/" "$work" fuzz/corpus/rkudp-unpack
