#!/usr/bin/env bash
# Installs what the kit needs to build, test and run on Debian. As root the
# missing packages are installed with apt-get; otherwise they are named.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev libreadline-dev nlohmann-json3-dev
  clang libclang-rt-14-dev clang-format
  iproute2
  help2man lintian zip unzip
  python3 python3-yaml
)
if [[ "${KIT_WINDOWS:-1}" == 1 ]]; then
  packages+=(mingw-w64 wine wine64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  if [[ $(id -u) -eq 0 ]]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
  else
    echo "setup: please install: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi
