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

# TovikLoader against the simulated device, on loopback only.
echo "==== tovik-sim on 127.0.0.1 (discovery UDP 48001, uploads TCP 48002) ===="
sim_log=$(mktemp)
sim=
ns_host=tovik-demo-host-$$
ns_dev=tovik-demo-dev-$$
cleanup() {
  [[ -n "$sim" ]] && kill "$sim" 2>/dev/null
  if [[ -e /run/netns/$ns_host ]]; then ip netns del "$ns_host"; fi
  if [[ -e /run/netns/$ns_dev ]]; then ip netns del "$ns_dev"; fi
  rm -f "$sim_log"
}
trap cleanup EXIT
# Starts tovik-sim (arguments: command prefix words, then --) with its events
# in $sim_log, and waits for it to listen.
start_sim() {
  "$@" >"$sim_log" 2>&1 &
  sim=$!
  for _ in $(seq 50); do
    grep -q listening "$sim_log" && return 0
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.1
  done
  cat "$sim_log"
  return 1
}
stop_sim() {
  kill -TERM "$sim"
  wait "$sim" || true
  sim=
  echo "==== what the device received ===="
  cat "$sim_log"
}

start_sim "$bin/tovik-sim" --bind 127.0.0.1 --udp-port 48001 --tcp-port 48002
for script in examples/tovik/upload.kit examples/tovik/errors.kit; do
  echo "==== $script ===="
  "$bin/kithost" "$script"
done
stop_sim

# Discovery and the errors that need a network, inside network namespaces
# made here (as root): probes and connections never leave this machine.
if [[ $(id -u) -ne 0 ]] || ! ip netns add "$ns_host" 2>/dev/null; then
  echo "==== discovery: skipped (needs root to make network namespaces) ===="
  exit 0
fi
ip netns add "$ns_dev"
ip -n "$ns_host" link set lo up
ip -n "$ns_dev" link set lo up
echo "==== examples/tovik/isolated.kit (a network namespace with loopback only) ===="
ip netns exec "$ns_host" "$bin/kithost" examples/tovik/isolated.kit

ip -n "$ns_host" link add tvkdemo0 type veth peer name eth0 netns "$ns_dev"
ip -n "$ns_host" addr add 10.77.0.1/24 brd + dev tvkdemo0
ip -n "$ns_host" link set tvkdemo0 up
ip -n "$ns_dev" addr add 10.77.0.2/24 brd + dev eth0
ip -n "$ns_dev" link set eth0 up
echo "==== tovik-sim at 10.77.0.2 in its own namespace (standard ports) ===="
start_sim ip netns exec "$ns_dev" "$bin/tovik-sim"
echo "==== examples/tovik/discovery.kit ===="
ip netns exec "$ns_host" "$bin/kithost" examples/tovik/discovery.kit
stop_sim
