#!/bin/sh
# Installs what the nexio benchmark compares against: Pure Data and its
# iemnet library (Debian's puredata-core and pd-iemnet). Run as root.
set -e
missing=""
command -v pd > /dev/null || missing="$missing puredata-core"
[ -e /usr/lib/pd/extra/iemnet/tcpclient.pd_linux ] || missing="$missing pd-iemnet"
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "bench/nexio/setup.sh: run as root to install:$missing" >&2
  exit 1
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
