#!/usr/bin/env bash
# The Windows build of TovikLoader, loaded by the Windows kithost under wine,
# against the Linux tovik-sim on 127.0.0.1: load, import, target with an
# explicit address and with the local one filled in, and the errors.
#   run.sh KITHOST_EXE TOVIK_SIM WINE_RUN WINE_PREFIX
set -euo pipefail
kithost=$1 sim=$2 wine_run=$3 prefix=$4
work=$(mktemp -d)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  echo "--- kithost output" >&2
  cat "$work/out.txt" >&2 || true
  echo "--- tovik-sim events" >&2
  cat "$work/sim.log" >&2 || true
  exit 1
}

"$sim" --bind 127.0.0.1 --udp-port 0 --tcp-port 0 --json >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '"listening"' "$work/sim.log" && break
  sleep 0.1
done
port=$(sed -n 's/.*"tcp_port":\([0-9]*\).*/\1/p' "$work/sim.log" | head -1)
[[ -n $port ]] || fail "tovik-sim did not start"

printf '<WINDOW text="Main">\n  <WINDOW text="Pads">\n  </WINDOW>\n</WINDOW>\n' >"$work/project.tvk"
printf '<BUTTON text="Hat"/>\n' >"$work/pads.tvk"

# Port 1 on loopback: nothing listens there, the connection is refused.
cat >"$work/windows.kit" <<KIT
obj t TovikLoader @host 127.0.0.1 @port $port
print t
send t load project.tvk
send t import pads.tvk Main/Pads
send t target 3 192.168.1.10 8000
send t target 2 9000
obj nohost TovikLoader
print nohost
send nohost load project.tvk
obj badhost TovikLoader @host Auto
print badhost
send badhost load project.tvk
send t load missing.tvk
send t target 9 9000
obj refused TovikLoader @host 127.0.0.1 @port 1
print refused
send refused load project.tvk
KIT
expected='t.1: bang
t.1: bang
t.1: bang
t.1: bang
nohost.0: error 1 "missing host argument"
badhost.0: error 1 "couldn'"'"'t read host argument"
t.0: error 3 "couldn'"'"'t open file"'

(cd "$work" && "$wine_run" "$prefix" "$kithost" windows.kit) >"$work/out.txt" 2>&1 ||
  fail "kithost.exe failed"
tr -d '\r' <"$work/out.txt" >"$work/out.unix"
head -7 "$work/out.unix" | diff <(echo "$expected") - >&2 || fail "unexpected outlet output"
# Windows reports a refused connection at the connection wait, POSIX at the
# first send: either report is the loader's.
tail -n +8 "$work/out.unix" | grep -qx -e 'connection failed' \
  -e 'refused.0: error 4 "couldn'"'"'t send data to Tovik"' || fail "no report for a refused port"

# What the device received, payload by payload.
for payload in \
  '"payload":"<RESET/>\n<WINDOW text=\"Main\">\n  <WINDOW text=\"Pads\">\n  </WINDOW>\n</WINDOW>\n"' \
  '"payload":"<WINDOW text=\"Main\">\n<WINDOW text=\"Pads\">\n<COPY>\n<BUTTON text=\"Hat\"/>\n</COPY>\n</WINDOW>\n</WINDOW>\n"' \
  '"payload":"<OSC target=\"3\" ip=\"192.168.1.10\" port=\"8000\"/>"' \
  '"payload":"<OSC target=\"2\" ip=\"127.0.0.1\" port=\"9000\"/>"'; do
  grep -qF -- "$payload" "$work/sim.log" || fail "the device did not receive $payload"
done
[[ $(grep -c '"event":"message"' "$work/sim.log") == 4 ]] || fail "the device received other messages"
! grep -q '"event":"error"' "$work/sim.log" || fail "the device reported a malformed message"
echo "refused port reported as: $(tail -n +8 "$work/out.unix")"
echo "TovikLoader.mxe64 under wine: load, import, targets and errors as expected"
