#include "communication/native_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

namespace NativeSocket {

namespace {

// strerror_r comes in two flavours (GNU returns the text, XSI fills buf).
[[maybe_unused]] const char *textResult(int, const char *buf) {
  return buf;
}
[[maybe_unused]] const char *textResult(const char *text, const char *) {
  return text;
}

// Where the system has no per-send flag against the broken-pipe signal
// (macOS), Open sets SO_NOSIGPIPE on the socket instead.
#ifdef MSG_NOSIGNAL
constexpr int no_signal = MSG_NOSIGNAL;
#else
constexpr int no_signal = 0;
#endif

} // namespace

bool Startup() {
  return true;
}

int LastError() {
  return errno;
}

const char *ErrorText(int code, char *buf, std::size_t size) {
  buf[0] = 0;
  const char *text = textResult(strerror_r(code, buf, size), buf);
  if (text != buf)
    std::snprintf(buf, size, "%s", text);
  return buf;
}

// Socket errors are errno codes here.
const char *ErrnoText(int code, char *buf, std::size_t size) {
  return ErrorText(code, buf, size);
}

const char *LookupErrorText(int result, int systemError, char *buf, std::size_t size) {
  if (result == EAI_SYSTEM)
    return ErrorText(systemError, buf, size);
  std::snprintf(buf, size, "%s", gai_strerror(result));
  return buf;
}

bool Interrupted(int code) {
  return code == EINTR;
}

bool WouldBlock(int code) {
  return code == EAGAIN || code == EWOULDBLOCK || code == ENOBUFS;
}

int TimedOut() {
  return ETIMEDOUT;
}

int Open(int family, int type, int protocol) {
  const int fd = ::socket(family, type, protocol);
#ifdef SO_NOSIGPIPE
  if (fd >= 0) {
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
  }
#endif
  return fd;
}

bool SetBlocking(int fd, bool blocking) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags != -1 &&
         ::fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

bool SetLinger(int fd, int seconds) {
  linger value{1, seconds};
  return ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &value, sizeof value) == 0;
}

bool SetSendTimeout(int fd, int seconds) {
  timeval value{seconds, 0};
  return ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value) == 0;
}

void Interrupt(int fd) {
  ::shutdown(fd, SHUT_RDWR);
}

void Close(int fd) {
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

int Connect(int fd, const sockaddr *address, socklen_t length) {
  return ::connect(fd, address, length) == 0 ? 0 : errno;
}

bool StartConnect(int fd, const sockaddr *address, socklen_t length) {
  if (::connect(fd, address, length) == 0)
    return true;
  // An interrupted connect carries on in the background like one in progress.
  return errno == EINPROGRESS || errno == EINTR;
}

// poll rather than select: a descriptor above the descriptor-set size is
// waited on safely. Waits are restarted after a signal with the time left.
bool Wait(int fd, bool read, bool write, int ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
  pollfd entry{fd, static_cast<short>((read ? POLLIN : 0) | (write ? POLLOUT : 0)), 0};
  for (;;) {
    int left = -1;
    if (ms >= 0) {
      const auto remaining =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      left = remaining > 0 ? static_cast<int>(remaining) : 0;
    }
    const int ready = ::poll(&entry, 1, left);
    if (ready > 0) // a descriptor that is not open is an error, as for select
      return (entry.revents & POLLNVAL) == 0;
    if (ready == 0 || errno != EINTR)
      return false;
  }
}

long Send(int fd, const void *data, std::size_t size) {
  return static_cast<long>(::send(fd, data, size, no_signal));
}

long SendNow(int fd, const void *data, std::size_t size) {
  return static_cast<long>(::send(fd, data, size, MSG_DONTWAIT | no_signal));
}

long SendTo(int fd, const void *data, std::size_t size, const sockaddr *to, socklen_t length) {
  return static_cast<long>(::sendto(fd, data, size, no_signal, to, length));
}

long Receive(int fd, void *buffer, std::size_t size) {
  return static_cast<long>(::recv(fd, buffer, size, 0));
}

long ReceiveFrom(int fd, void *buffer, std::size_t size, sockaddr *from, socklen_t *length) {
  return static_cast<long>(::recvfrom(fd, buffer, size, 0, from, length));
}

// Connect leaves the socket blocking: recv itself waits, and Interrupt's
// shutdown ends the wait.
long ReceiveWaiting(int fd, void *buffer, std::size_t size) {
  return Receive(fd, buffer, size);
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

int Broadcast(int fd, unsigned int port, const void *data, int length) {
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
    result |= static_cast<int>(SendTo(fd, data, static_cast<std::size_t>(length),
                                      reinterpret_cast<const sockaddr *>(&peer), sizeof peer));
  }
  ::freeifaddrs(list);
  return result;
}

int Interfaces(int index, std::uint32_t *address, std::uint32_t *netmask) {
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

bool HostName(char *storage, int size) {
  if (::gethostname(storage, static_cast<std::size_t>(size)) != 0)
    return false;
  storage[size - 1] = 0;
  return true;
}

} // namespace NativeSocket
