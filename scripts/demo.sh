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
"$bin/tovik-sim" --bind 127.0.0.1 --udp-port 48001 --tcp-port 48002 >"$sim_log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null; rm -f "$sim_log"' EXIT
for _ in $(seq 50); do
  grep -q listening "$sim_log" && break
  kill -0 "$sim" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q listening "$sim_log"; then
  cat "$sim_log"
  exit 1
fi
for script in examples/tovik/upload.kit examples/tovik/errors.kit; do
  echo "==== $script ===="
  "$bin/kithost" "$script"
done
kill -TERM "$sim"
wait "$sim" || true
echo "==== what the device received ===="
cat "$sim_log"
