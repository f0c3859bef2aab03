#!/usr/bin/env bash
# Checks the import and export tables of the Windows build's files:
#   pe_tables.sh OBJDUMP MAXAPI_DLL KITHOST_EXE EXTERNAL.mxe64...
# Every external exports exactly its two entry points (ext_main, and main for
# older hosts), imports from MaxAPI.dll only names that MAXAPI_DLL exports,
# and imports nothing but MaxAPI.dll and the system DLLs below. MAXAPI_DLL and KITHOST_EXE import only
# system DLLs (and kithost.exe MaxAPI.dll): no runtime DLL must ship beside
# them.
set -euo pipefail
objdump=$1 host=$2 kithost=$3
shift 3

# The system's own DLLs, which every Windows has (lower case).
system_dlls='^(kernel32|user32|advapi32|shell32|ole32|ws2_32|iphlpapi|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# "DLL name" lines, lower case, one per line.
imported_dlls() {
  "$objdump" -p "$1" | sed -n 's/^[ \t]*DLL Name: //p' | tr 'A-Z' 'a-z'
}

# The names imported from one DLL (matched without case).
imported_from() {
  "$objdump" -p "$1" | awk -v dll="$(echo "$2" | tr 'A-Z' 'a-z')" '
    /^[ \t]*DLL Name:/ { name = tolower($3); within = (name == dll); next }
    within && /^[ \t]*$/ { within = 0 }
    within && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }'
}

# The names of the export table.
exported() {
  "$objdump" -p "$1" | awk '
    /^\[Ordinal\/Name Pointer\] Table/ { within = 1; next }
    within && /^[ \t]*\[ *[0-9]+\] / { sub(/^[ \t]*\[ *[0-9]+\] /, ""); print; next }
    within { within = 0 }'
}

check_imports() { # FILE ALLOWED_EXTRA_REGEX
  local file=$1 extra=$2 dll
  local dlls
  dlls=$(imported_dlls "$file")
  [[ -n $dlls ]] || fail "$(basename "$file"): no import table read"
  while read -r dll; do
    [[ -z $dll ]] && continue
    if [[ ! $dll =~ $system_dlls && ! $dll =~ $extra ]]; then
      fail "$(basename "$file") imports $dll, which is neither MaxAPI.dll nor a system DLL"
    fi
  done <<<"$dlls"
}

host_exports=$(exported "$host" | sort -u)
[[ -n $host_exports ]] || fail "$(basename "$host") exports nothing"
[[ $(basename "$host") == MaxAPI.dll ]] || fail "the host library is $(basename "$host"), not MaxAPI.dll"
check_imports "$host" '^$'
check_imports "$kithost" '^maxapi\.dll$'

for external in "$@"; do
  name=$(basename "$external")
  [[ $name == *.mxe64 ]] || fail "$name: an external is CLASS.mxe64"
  exports=$(exported "$external" | sort | tr '\n' ' ')
  if [[ $exports != "ext_main main " ]]; then
    fail "$name exports [$exports], not just its entry points ext_main and main"
  fi
  check_imports "$external" '^maxapi\.dll$'
  imported_dlls "$external" | grep -qx maxapi.dll || fail "$name does not import MaxAPI.dll"
  missing=$(comm -23 <(imported_from "$external" MaxAPI.dll | sort -u) <(echo "$host_exports"))
  [[ -z $missing ]] || fail "$name imports from MaxAPI.dll what ours does not export: $(echo $missing)"
  echo "$name: exports $(echo $exports); imports $(imported_dlls "$external" | tr '\n' ' ')"
done

((failures == 0)) || exit 1
echo "$# externals, MaxAPI.dll and kithost.exe: tables as expected"
