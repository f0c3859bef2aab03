#include "communication/native_socket.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace NativeSocket {

namespace {

SOCKET native(int fd) {
  return static_cast<SOCKET>(static_cast<std::intptr_t>(fd));
}

// Receive waits for data in slices of this length; after each it asks the
// socket whether it was shut down meanwhile, so a wake-up never depends on
// the shutdown reaching select.
constexpr long receiveSliceMicroseconds = 100000;

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

// Socket handles are kernel handles, whose significant bits fit 32 bits.
int Open(int family, int type, int protocol) {
  const SOCKET fd = ::socket(family, type, protocol);
  return fd == INVALID_SOCKET ? -1 : static_cast<int>(fd);
}

// A connected socket is switched to non-blocking mode: Windows has no
// per-call flag for a send that must not wait, and Receive waits itself.
int Connect(int fd, const sockaddr *address, socklen_t length) {
  if (::connect(native(fd), address, length) != 0)
    return WSAGetLastError();
  u_long nonBlocking = 1;
  if (::ioctlsocket(native(fd), FIONBIO, &nonBlocking) != 0)
    return WSAGetLastError();
  return 0;
}

void Interrupt(int fd) {
  ::shutdown(native(fd), SD_BOTH);
}

void Close(int fd) {
  ::closesocket(native(fd));
}

long SendNow(int fd, const void *data, std::size_t size) {
  return ::send(native(fd), static_cast<const char *>(data), static_cast<int>(size), 0);
}

void WaitWritable(int fd, int ms) {
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(native(fd), &writable);
  timeval limit{0, ms * 1000};
  ::select(0, nullptr, &writable, nullptr, &limit);
}

long Receive(int fd, void *buffer, std::size_t size) {
  for (;;) {
    const int n = ::recv(native(fd), static_cast<char *>(buffer), static_cast<int>(size), 0);
    if (n >= 0)
      return n;
    const int code = WSAGetLastError();
    if (code == WSAEMSGSIZE) // the datagram was cut to the buffer
      return static_cast<long>(size);
    if (code == WSAESHUTDOWN)
      return 0;
    if (code != WSAEWOULDBLOCK)
      return -1;
    fd_set readable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&failed);
    FD_SET(native(fd), &readable);
    FD_SET(native(fd), &failed);
    timeval slice{0, receiveSliceMicroseconds};
    if (::select(0, &readable, nullptr, &failed, &slice) == SOCKET_ERROR)
      return -1;
  }
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

} // namespace NativeSocket
