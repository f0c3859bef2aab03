#include "udp_address.hpp"

#include <cstring>

namespace kithost::builtins {

std::optional<UdpAddress> resolve_udp_address(const std::string &host, long long port,
                                              bool for_binding, std::string &error) {
  // Port 0 binds to a free port; it is nowhere to send to.
  const long long lowest = for_binding ? 0 : 1;
  if (port < lowest || port > 65535) {
    error = "port " + std::to_string(port) + " is out of range (" + std::to_string(lowest) +
            " to 65535)";
    return std::nullopt;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = for_binding ? AI_PASSIVE : 0;
  if (for_binding && host.empty())
    hints.ai_family = AF_INET;
  addrinfo *found = nullptr;
  const std::string service = std::to_string(port);
  const int status =
      getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found);
  if (status != 0 || !found) {
    error = "cannot resolve '" + host + "': " + (status != 0 ? gai_strerror(status) : "no address");
    return std::nullopt;
  }
  UdpAddress address;
  std::memcpy(&address.storage, found->ai_addr, found->ai_addrlen);
  address.length = found->ai_addrlen;
  address.family = found->ai_family;
  freeaddrinfo(found);
  return address;
}

} // namespace kithost::builtins
