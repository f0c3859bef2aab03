#include "communication/native_socket.h"

#include <cstdio>
#include <cstring>
#include <windows.h>

namespace NativeSocket {

namespace {

SOCKET native(int fd) {
  return static_cast<SOCKET>(static_cast<std::intptr_t>(fd));
}

// ReceiveWaiting waits for data in slices of this length; after each it asks
// the socket whether it was shut down meanwhile, so a wake-up never depends
// on the shutdown reaching select.
constexpr int receive_slice_ms = 100;

} // namespace

// The socket system stays up for the life of the process.
bool Startup() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

int LastError() {
  return WSAGetLastError();
}

const char *ErrorText(int code, char *buf, std::size_t size) {
  buf[0] = 0;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(code), 0, buf, static_cast<DWORD>(size), nullptr);
  std::size_t end = length < size ? length : 0;
  while (end > 0 && (buf[end - 1] == '\n' || buf[end - 1] == '\r' || buf[end - 1] == ' ' ||
                     buf[end - 1] == '.'))
    --end;
  buf[end] = 0;
  if (end == 0)
    std::snprintf(buf, size, "error %d", code);
  return buf;
}

const char *ErrnoText(int code, char *buf, std::size_t size) {
  buf[0] = 0;
  if (strerror_s(buf, size, code) != 0)
    std::snprintf(buf, size, "error %d", code);
  return buf;
}

// getaddrinfo's results are Windows Sockets error codes; gai_strerror's text
// lives in one buffer for all threads.
const char *LookupErrorText(int result, int, char *buf, std::size_t size) {
  return ErrorText(result, buf, size);
}

bool Interrupted(int code) {
  return code == WSAEINTR;
}

bool WouldBlock(int code) {
  return code == WSAEWOULDBLOCK || code == WSAENOBUFS;
}

int TimedOut() {
  return WSAETIMEDOUT;
}

// Socket handles are kernel handles, whose significant bits fit 32 bits.
int Open(int family, int type, int protocol) {
  const SOCKET fd = ::socket(family, type, protocol);
  return fd == INVALID_SOCKET ? -1 : static_cast<int>(fd);
}

bool SetBlocking(int fd, bool blocking) {
  u_long nonBlocking = blocking ? 0 : 1;
  return ::ioctlsocket(native(fd), FIONBIO, &nonBlocking) == 0;
}

bool SetLinger(int fd, int seconds) {
  linger value{1, static_cast<u_short>(seconds)};
  return ::setsockopt(native(fd), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&value),
                      sizeof value) == 0;
}

bool SetSendTimeout(int fd, int seconds) {
  const DWORD value = static_cast<DWORD>(seconds) * 1000;
  return ::setsockopt(native(fd), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char *>(&value),
                      sizeof value) == 0;
}

void Interrupt(int fd) {
  ::shutdown(native(fd), SD_BOTH);
}

void Close(int fd) {
  ::closesocket(native(fd));
}

// A connected socket is switched to non-blocking mode: Windows has no
// per-call flag for a send that must not wait, and ReceiveWaiting waits
// itself.
int Connect(int fd, const sockaddr *address, socklen_t length) {
  if (::connect(native(fd), address, length) != 0 || !SetBlocking(fd, false))
    return WSAGetLastError();
  return 0;
}

// A non-blocking attempt reports would-block here; the wait that follows
// tells the outcome.
bool StartConnect(int fd, const sockaddr *address, socklen_t length) {
  ::connect(native(fd), address, length);
  return true;
}

// Windows descriptor sets are counted lists, without a descriptor limit. A
// connection that fails is reported in the exception set; it counts as ready,
// as readiness does in the POSIX build.
bool Wait(int fd, bool read, bool write, int ms) {
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
  timeval limit{ms / 1000, (ms % 1000) * 1000};
  const int ready = ::select(0, read ? &readable : nullptr, write ? &writable : nullptr,
                             write ? &failed : nullptr, ms >= 0 ? &limit : nullptr);
  return ready > 0;
}

long Send(int fd, const void *data, std::size_t size) {
  return ::send(native(fd), static_cast<const char *>(data), static_cast<int>(size), 0);
}

// Connect left the socket non-blocking: a plain send does not wait.
long SendNow(int fd, const void *data, std::size_t size) {
  return Send(fd, data, size);
}

long SendTo(int fd, const void *data, std::size_t size, const sockaddr *to, socklen_t length) {
  return ::sendto(native(fd), static_cast<const char *>(data), static_cast<int>(size), 0, to,
                  length);
}

namespace {

// Windows reports a datagram cut to the buffer as an error, and a receive on
// a socket shut down as one too; POSIX as a full buffer and as an end.
long received(int result, std::size_t size) {
  if (result >= 0)
    return result;
  const int code = WSAGetLastError();
  if (code == WSAEMSGSIZE)
    return static_cast<long>(size);
  if (code == WSAESHUTDOWN)
    return 0;
  return -1;
}

} // namespace

long Receive(int fd, void *buffer, std::size_t size) {
  return received(::recv(native(fd), static_cast<char *>(buffer), static_cast<int>(size), 0), size);
}

long ReceiveFrom(int fd, void *buffer, std::size_t size, sockaddr *from, socklen_t *length) {
  return received(
      ::recvfrom(native(fd), static_cast<char *>(buffer), static_cast<int>(size), 0, from, length),
      size);
}

long ReceiveWaiting(int fd, void *buffer, std::size_t size) {
  for (;;) {
    const long n = Receive(fd, buffer, size);
    if (n >= 0 || WSAGetLastError() != WSAEWOULDBLOCK)
      return n;
    fd_set readable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&failed);
    FD_SET(native(fd), &readable);
    FD_SET(native(fd), &failed);
    timeval slice{0, receive_slice_ms * 1000};
    if (::select(0, &readable, nullptr, &failed, &slice) == SOCKET_ERROR)
      return -1;
  }
}

// One datagram to the limited broadcast address, sent like any other; the
// system chooses the interface.
int Broadcast(int fd, unsigned int port, const void *data, int length) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<u_short>(port & 0xFFFF));
  peer.sin_addr.s_addr = htonl(INADDR_BROADCAST);
  return static_cast<int>(SendTo(fd, data, static_cast<std::size_t>(length),
                                 reinterpret_cast<const sockaddr *>(&peer), sizeof peer));
}

int Interfaces(int index, std::uint32_t *address, std::uint32_t *netmask) {
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

bool HostName(char *storage, int size) {
  if (::gethostname(storage, size) != 0)
    return false;
  storage[size - 1] = 0;
  return true;
}

} // namespace NativeSocket
