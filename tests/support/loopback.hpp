// The tests' own sockets on 127.0.0.1 (POSIX): the address of a port there,
// binding to a port the system chooses, and connecting. Nothing here leaves
// the loopback interface.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>

namespace kittest {

/// The address of `port` on 127.0.0.1 (0: any port, for a bind).
inline sockaddr_in loopback_address(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

/// Binds the socket `fd` to a port of 127.0.0.1 that the system chooses and
/// returns that port; 0 when `fd` is not a socket or the bind fails.
inline int bind_loopback(int fd) {
  if (fd < 0)
    return 0;
  sockaddr_in address = loopback_address(0);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
    return 0;
  return ntohs(address.sin_port);
}

/// Connects the socket `fd` to `port` on 127.0.0.1; connect's result (0, or
/// -1 with errno, EINPROGRESS for a non-blocking socket).
inline int connect_loopback(int fd, int port) {
  const sockaddr_in address = loopback_address(port);
  return connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
}

} // namespace kittest
