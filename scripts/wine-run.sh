#!/usr/bin/env bash
# Runs a Windows program of the Windows build under wine:
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# quietly, in its own wine prefix (made on first use). "wine-run.sh PREFIX
# --start" only makes the prefix and starts a wineserver that stays for the
# test run.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

if [[ ! -f $prefix/system.reg ]]; then
  mkdir -p "$(dirname "$prefix")"
  # Parallel runs make the prefix once.
  (
    flock 9
    if [[ ! -f $prefix/system.reg ]]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      "$wineserver" --wait || true
    fi
  ) 9>"$prefix.lock"
fi

if [[ ${1:-} == --start ]]; then
  "$wineserver" --persistent=60
  exit 0
fi
exec "$wine" "$@"
