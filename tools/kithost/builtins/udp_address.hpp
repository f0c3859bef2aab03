// Socket addresses for the UDP built-ins: a host name or numeric address and
// a port, resolved without touching the network (numeric addresses, names
// from the local resolver). POSIX sockets; any thread.
#pragma once

#include <netdb.h>
#include <sys/socket.h>

#include <optional>
#include <string>

namespace kithost::builtins {

struct UdpAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;
  int family = AF_UNSPEC;
};

/// The first datagram address of `host` (a name, an IPv4 or IPv6 address;
/// empty for "any" when `for_binding`) and `port` (1 to 65535; 0 too when
/// `for_binding`, for a free port). Nullopt with
/// a reason in `error` when it cannot be resolved or the port is out of range.
std::optional<UdpAddress> resolve_udp_address(const std::string &host, long long port,
                                              bool for_binding, std::string &error);

} // namespace kithost::builtins
