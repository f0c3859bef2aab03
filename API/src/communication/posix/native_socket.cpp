#include "communication/native_socket.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
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

int Open(int family, int type, int protocol) {
  return ::socket(family, type, protocol);
}

int Connect(int fd, const sockaddr *address, socklen_t length) {
  if (::connect(fd, address, length) != 0)
    return errno;
#ifdef SO_NOSIGPIPE
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
  return 0;
}

void Interrupt(int fd) {
  ::shutdown(fd, SHUT_RDWR);
}

void Close(int fd) {
  ::close(fd);
}

long SendNow(int fd, const void *data, std::size_t size) {
#ifdef MSG_NOSIGNAL
  constexpr int flags = MSG_DONTWAIT | MSG_NOSIGNAL;
#else
  constexpr int flags = MSG_DONTWAIT;
#endif
  return static_cast<long>(::send(fd, data, size, flags));
}

void WaitWritable(int fd, int ms) {
  pollfd entry = {fd, POLLOUT, 0};
  ::poll(&entry, 1, ms);
}

long Receive(int fd, void *buffer, std::size_t size) {
  return static_cast<long>(::recv(fd, buffer, size, 0));
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

} // namespace NativeSocket
