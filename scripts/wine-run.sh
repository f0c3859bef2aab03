#!/usr/bin/env bash
# Runs a Windows program of the Windows build under wine:
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# quietly, in its own wine prefix (made on first use). "wine-run.sh PREFIX
# --start" only makes the prefix and starts a wineserver that stays up for a
# minute after its last program, so that the test run starts it once.
set -euo pipefail
prefix=$(realpath -m "$1")
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# The server outlives this script: it must not hold the caller's output
# (a test runner would wait for it) nor the lock.
start_server() {
  "$wineserver" -p60 </dev/null >/dev/null 2>&1 9>&- || true
}

if [[ ! -f $prefix/system.reg ]]; then
  mkdir -p "$(dirname "$prefix")"
  # Parallel runs make the prefix once.
  (
    flock 9
    if [[ ! -f $prefix/system.reg ]]; then
      start_server
      "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
    fi
  ) 9>"$prefix.lock"
fi

if [[ ${1:-} == --start ]]; then
  start_server
  # Wine starts its device services (the network one included) at their
  # first use and keeps them as long as the server; started by a test, they
  # would hold that test's output open until the server leaves. Start them
  # here, on null output.
  "$wine" ipconfig </dev/null >/dev/null 2>&1 9>&- || true
  exit 0
fi
exec "$wine" "$@"
