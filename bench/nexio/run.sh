#!/bin/sh
# The nexio benchmark in one command: installs Pd and iemnet when missing
# (as root), builds the default preset's benchmark and runs it. Arguments go
# to nexio_bench (--mib N, --echo ROUNDS, --runs N, --hops N, --realtime,
# --only SECTION); --realtime gives the benchmark the real-time priority that
# pd takes for itself when run as root.
# Prints each run's figures, the ratios against the baselines measured in
# the same run, and the machine's load average.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/bench/nexio/setup.sh" || echo "(continuing without Pd)"
cd "$root"
[ -f build/default/CMakeCache.txt ] || cmake --preset default > /dev/null
cmake --build --preset default -j2 --target nexio_bench nexio > /dev/null
echo "uptime: $(uptime)"
build/default/bin/nexio_bench "$@"
echo "uptime: $(uptime)"
