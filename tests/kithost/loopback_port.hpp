// The tests' own sockets on 127.0.0.1 (POSIX).
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace kithost_test {

/// Binds the socket `fd` to a port of 127.0.0.1 that the system chooses and
/// returns that port; 0 when `fd` is not a socket or the bind fails.
inline int bind_loopback(int fd) {
  if (fd < 0)
    return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
    return 0;
  return ntohs(address.sin_port);
}

} // namespace kithost_test
