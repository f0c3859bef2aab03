#include "communication/network_platform.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

namespace platform {

int startup() {
  return 1;
}

std::int32_t open(int type, int protocol) {
  return ::socket(AF_INET, type, protocol);
}

void close(std::int32_t fd) {
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

void setBlocking(std::int32_t fd, bool blocking) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags == -1)
    return;
  ::fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

int setLinger(std::int32_t fd, int seconds) {
  linger value{1, seconds};
  return ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &value, sizeof value) == 0;
}

int setSendTimeout(std::int32_t fd, int seconds) {
  timeval value{seconds, 0};
  return ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value) == 0;
}

int startConnect(std::int32_t fd, const sockaddr_in &peer) {
  if (::connect(fd, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) == 0)
    return 1;
  // An interrupted connect carries on in the background like one in progress.
  return errno == EINPROGRESS || errno == EINTR;
}

// poll rather than select: a descriptor above the descriptor-set size is
// waited on safely. Waits are restarted after a signal with the time left.
int wait(std::int32_t fd, bool read, bool write, const Network::Time *timeout) {
  using Clock = std::chrono::steady_clock;
  const int limit = timeout != nullptr ? milliseconds(*timeout) : -1;
  if (timeout != nullptr && limit < 0)
    return 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(limit < 0 ? 0 : limit);
  pollfd entry{fd, static_cast<short>((read ? POLLIN : 0) | (write ? POLLOUT : 0)), 0};
  for (;;) {
    int left = -1;
    if (limit >= 0) {
      const auto remaining =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      left = remaining > 0 ? static_cast<int>(remaining) : 0;
    }
    const int ready = ::poll(&entry, 1, left);
    if (ready > 0) // a descriptor that is not open is an error, as for select
      return (entry.revents & POLLNVAL) == 0;
    if (ready == 0 || errno != EINTR)
      return 0;
  }
}

void pause(const Network::Time &timeout) {
  const int limit = milliseconds(timeout);
  if (limit <= 0)
    return;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(limit);
  for (;;) {
    const auto remaining =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (remaining <= 0)
      return;
    ::poll(nullptr, 0, static_cast<int>(remaining));
  }
}

bool datagramCut() {
  return false;
}

int sendFlags() {
#ifdef MSG_NOSIGNAL
  return MSG_NOSIGNAL;
#else
  return 0;
#endif
}

namespace {

std::uint32_t hostOrder(const sockaddr *address) {
  return ntohl(reinterpret_cast<const sockaddr_in *>(address)->sin_addr.s_addr);
}

bool isIPv4(const sockaddr *address) {
  return address != nullptr && address->sa_family == AF_INET;
}

// The broadcast address an interface entry really has, or 0 when the probe
// must not go out on it. getifaddrs repeats the entry's own address in the
// broadcast field when none was configured; sending there would be a unicast
// to this machine.
std::uint32_t broadcastAddress(const ifaddrs &entry) {
  if ((entry.ifa_flags & IFF_LOOPBACK) != 0 || (entry.ifa_flags & IFF_UP) == 0 ||
      !isIPv4(entry.ifa_addr))
    return 0;
  const std::uint32_t own = hostOrder(entry.ifa_addr);
  if ((entry.ifa_flags & IFF_POINTOPOINT) != 0) {
    if (!isIPv4(entry.ifa_dstaddr))
      return 0;
    const std::uint32_t peer = hostOrder(entry.ifa_dstaddr);
    return peer != own ? peer : 0;
  }
  if ((entry.ifa_flags & IFF_BROADCAST) != 0 && isIPv4(entry.ifa_broadaddr)) {
    const std::uint32_t field = hostOrder(entry.ifa_broadaddr);
    if (field != own && field != 0)
      return field;
  }
  if (!isIPv4(entry.ifa_netmask))
    return 0;
  const std::uint32_t mask = hostOrder(entry.ifa_netmask);
  if (mask >= 0xFFFFFFFEu) // a /31 or /32 has no broadcast address
    return 0;
  return own | ~mask;
}

} // namespace

int broadcast(std::int32_t fd, unsigned int port, const void *data, int length) {
  ifaddrs *list = nullptr;
  if (::getifaddrs(&list) != 0)
    return 0;
  // Two addresses on one network share a broadcast address: send once.
  constexpr int remembered = 64;
  std::uint32_t sent[remembered];
  int sentCount = 0;
  int result = 0;
  for (const ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
    const std::uint32_t target = broadcastAddress(*entry);
    if (target == 0)
      continue;
    bool repeated = false;
    for (int i = 0; i < sentCount; ++i)
      repeated = repeated || sent[i] == target;
    if (repeated)
      continue;
    if (sentCount < remembered)
      sent[sentCount++] = target;
    sockaddr_in peer;
    std::memset(&peer, 0, sizeof peer);
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port & 0xFFFF));
    peer.sin_addr.s_addr = htonl(target);
    result |= static_cast<int>(::sendto(fd, data, static_cast<std::size_t>(length), sendFlags(),
                                        reinterpret_cast<const sockaddr *>(&peer), sizeof peer));
  }
  ::freeifaddrs(list);
  return result;
}

int interfaces(int index, std::uint32_t *address, std::uint32_t *netmask) {
  ifaddrs *list = nullptr;
  if (::getifaddrs(&list) != 0)
    return 0;
  int count = 0;
  int found = 0;
  for (const ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (!isIPv4(entry->ifa_addr))
      continue;
    if (count == index) {
      *address = hostOrder(entry->ifa_addr);
      *netmask = isIPv4(entry->ifa_netmask) ? hostOrder(entry->ifa_netmask) : 0;
      found = 1;
      break;
    }
    ++count;
  }
  ::freeifaddrs(list);
  return index < 0 ? count : found;
}

int hostname(char *storage, int size) {
  if (::gethostname(storage, static_cast<std::size_t>(size)) != 0)
    return 0;
  storage[size - 1] = 0;
  return 1;
}

} // namespace platform
