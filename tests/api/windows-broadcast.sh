#!/usr/bin/env bash
# The Windows build's broadcast, for real but contained: a namespace "A" with
# 192.168.1.10/24 and loopback, joined by a veth pair to a namespace "B" with
# 192.168.1.20/24. The test program runs under wine in A, with a wineserver
# of its own started in A (wine's sockets are made by the server), and sends
# the probe to the broadcast address and then a unicast marker to B. A
# listener in B counts what came before the marker: exactly one datagram to
# 255.255.255.255, none to 192.168.1.255.
#   windows-broadcast.sh WINE-RUN PREFIX PROGRAM
# Needs root and iproute2; fails in CI (CI=true) without them, else skips (77).
set -euo pipefail
wine_run=$1
prefix=$(realpath -m "$2")
program=$3

skip() {
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: $1" >&2
    exit 1
  fi
  echo "SKIP: $1" >&2
  exit 77
}
[[ $(id -u) -eq 0 ]] || skip "network namespaces need root"
command -v ip >/dev/null || skip "iproute2 is missing"

wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
a=kitwinA$$
b=kitwinB$$
work=$(mktemp -d)
server=
listener=
cleanup() {
  [[ -n $server ]] && WINEPREFIX=$prefix "$wineserver" -k >/dev/null 2>&1 || true
  [[ -n $listener ]] && kill "$listener" 2>/dev/null || true
  ip netns delete "$a" 2>/dev/null || true
  ip netns delete "$b" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The prefix is made once, outside; no server of it may stay outside.
"$wine_run" "$prefix" --start
WINEPREFIX=$prefix "$wineserver" -k >/dev/null 2>&1 || true

ip netns add "$a" && ip netns add "$b" || skip "cannot create network namespaces"
ip link add kwa$$ netns "$a" type veth peer name kwb$$ netns "$b"
ip -n "$a" addr add 192.168.1.10/24 dev kwa$$
ip -n "$b" addr add 192.168.1.20/24 dev kwb$$
for ns in "$a" "$b"; do ip -n "$ns" link set lo up; done
ip -n "$a" link set kwa$$ up
ip -n "$b" link set kwb$$ up
# The kernel activates a new link's queue a little after "link set up"; a
# broadcast sent before then is dropped (the unicast marker, which waits for
# address resolution, is not). Each end is awaited, at most about 5 s.
link_up() {
  local i
  for i in $(seq 250); do
    ip -n "$1" -o link show "$2" | grep 'state UP' | grep -qv 'qdisc noop' && return 0
    sleep 0.02
  done
  echo "FAIL: link $2 in $1 did not come up" >&2
  return 1
}
link_up "$a" kwa$$
link_up "$b" kwb$$
# Like a machine on a LAN, A has a default route; Linux sends the limited
# broadcast along it.
ip -n "$a" route add default via 192.168.1.1 dev kwa$$

# Listener in B: sockets bound to the limited broadcast, the directed
# broadcast and B's own address tell the destinations apart.
ip netns exec "$b" perl -e '
  use IO::Socket::INET; use IO::Select;
  $| = 1;
  my %socket;
  for my $to ("255.255.255.255", "192.168.1.255", "192.168.1.20") {
    $socket{$to} = IO::Socket::INET->new(LocalAddr => $to, LocalPort => 8001,
                                         Proto => "udp", ReuseAddr => 1) or die "bind $to: $!";
  }
  my $select = IO::Select->new(values %socket);
  my %count;
  print "ready\n";
  # The marker socket is read last: the probe, sent before the marker, may be
  # waiting in its own socket by the time both are seen ready together.
  my @order = ("255.255.255.255", "192.168.1.255", "192.168.1.20");
  for (1 .. 16) {
    my @ready = $select->can_read(60) or die "no marker\n";
    for my $to (@order) {
      next unless grep { $_ == $socket{$to} } @ready;
      $socket{$to}->recv(my $data, 64);
      if ($data eq "marker") {
        printf "limited=%d directed=%d\n", $count{"255.255.255.255"} // 0,
               $count{"192.168.1.255"} // 0;
        exit 0;
      }
      $count{$to}++;
    }
  }
  die "too many datagrams\n";
' >"$work/listener" 2>&1 &
listener=$!
for _ in $(seq 600); do
  grep -q ready "$work/listener" 2>/dev/null && break
  kill -0 "$listener" 2>/dev/null || break
  sleep 0.1
done
grep -q ready "$work/listener" || { cat "$work/listener" >&2; exit 1; }

# The wineserver in A; check that it really is there before anything is sent.
ip netns exec "$a" env WINEPREFIX="$prefix" "$wineserver" -f -p >/dev/null 2>&1 &
server=$!
expected="net:[$(stat -L -c %i /var/run/netns/"$a")]"
for _ in $(seq 100); do
  [[ $(readlink /proc/$server/ns/net 2>/dev/null) == "$expected" ]] && break
  sleep 0.1
done
if [[ $(readlink /proc/$server/ns/net 2>/dev/null) != "$expected" ]]; then
  echo "FAIL: the wineserver is not inside the test namespace" >&2
  exit 1
fi

ip netns exec "$a" env KIT_NETNS_BROADCAST=1 "$wine_run" "$prefix" "$program" \
  --gtest_filter='NetworkTest.BroadcastInsideTestNamespace'

wait "$listener"
listener=
result=$(tail -1 "$work/listener")
echo "listener in B: $result"
[[ $result == "limited=1 directed=0" ]]
