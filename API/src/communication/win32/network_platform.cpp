#include "communication/network_platform.h"

#include <windows.h>

namespace platform {

namespace {
SOCKET native(std::int32_t fd) {
  return static_cast<SOCKET>(static_cast<std::intptr_t>(fd));
}
} // namespace

int startup() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 0), &data) == 0;
}

// Socket handles are kernel handles, whose significant bits fit 32 bits.
std::int32_t open(int type, int protocol) {
  const SOCKET fd = ::socket(AF_INET, type, protocol);
  return fd == INVALID_SOCKET ? -1 : static_cast<std::int32_t>(fd);
}

void close(std::int32_t fd) {
  ::closesocket(native(fd));
}

void setBlocking(std::int32_t fd, bool blocking) {
  u_long nonBlocking = blocking ? 0 : 1;
  ::ioctlsocket(native(fd), FIONBIO, &nonBlocking);
}

int setLinger(std::int32_t fd, int seconds) {
  linger value{1, static_cast<u_short>(seconds)};
  return ::setsockopt(native(fd), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&value),
                      sizeof value) == 0;
}

int setSendTimeout(std::int32_t fd, int seconds) {
  const DWORD value = static_cast<DWORD>(seconds) * 1000;
  return ::setsockopt(native(fd), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char *>(&value),
                      sizeof value) == 0;
}

// A non-blocking attempt reports would-block here; the wait that follows
// tells the outcome.
int startConnect(std::int32_t fd, const sockaddr_in &peer) {
  ::connect(native(fd), reinterpret_cast<const sockaddr *>(&peer), sizeof peer);
  return 1;
}

// Windows descriptor sets are counted lists, without a descriptor limit. A
// connection that fails is reported in the exception set; it counts as ready,
// as readiness does in the POSIX build.
int wait(std::int32_t fd, bool read, bool write, const Network::Time *timeout) {
  fd_set readable, writable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  if (read)
    FD_SET(native(fd), &readable);
  if (write) {
    FD_SET(native(fd), &writable);
    FD_SET(native(fd), &failed);
  }
  timeval limit{};
  if (timeout != nullptr) {
    limit.tv_sec = timeout->seconds;
    limit.tv_usec = timeout->microseconds;
  }
  const int ready = ::select(0, read ? &readable : nullptr, write ? &writable : nullptr,
                             write ? &failed : nullptr, timeout != nullptr ? &limit : nullptr);
  return ready > 0;
}

void pause(const Network::Time &timeout) {
  const int limit = milliseconds(timeout);
  if (limit > 0)
    ::Sleep(static_cast<DWORD>(limit));
}

bool datagramCut() {
  return WSAGetLastError() == WSAEMSGSIZE;
}

int sendFlags() {
  return 0;
}

// One datagram to the limited broadcast address, sent like any other; the
// system chooses the interface.
int broadcast(std::int32_t fd, unsigned int port, const void *data, int length) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<u_short>(port & 0xFFFF));
  peer.sin_addr.s_addr = htonl(INADDR_BROADCAST);
  return ::sendto(native(fd), static_cast<const char *>(data), length, 0,
                  reinterpret_cast<const sockaddr *>(&peer), sizeof peer);
}

int interfaces(int index, std::uint32_t *address, std::uint32_t *netmask) {
  const SOCKET probe = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (probe == INVALID_SOCKET)
    return 0;
  INTERFACE_INFO list[20];
  DWORD bytes = 0;
  const int result = ::WSAIoctl(probe, SIO_GET_INTERFACE_LIST, nullptr, 0, list, sizeof list,
                                &bytes, nullptr, nullptr);
  ::closesocket(probe);
  if (result != 0)
    return 0;
  const int count = static_cast<int>(bytes / sizeof(INTERFACE_INFO));
  if (index < 0)
    return count;
  if (index >= count)
    return 0;
  *address = ntohl(list[index].iiAddress.AddressIn.sin_addr.s_addr);
  *netmask = ntohl(list[index].iiNetmask.AddressIn.sin_addr.s_addr);
  return 1;
}

int hostname(char *storage, int size) {
  if (::gethostname(storage, size) != 0)
    return 0;
  storage[size - 1] = 0;
  return 1;
}

} // namespace platform
