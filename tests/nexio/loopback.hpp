// Peers for the nexio tests: listeners, streams and datagram sockets on the
// loopback addresses only, every wait bounded in time. Also counters of the
// process's descriptors and threads, to show that nothing leaks.
#pragma once

#include "communication/native_socket.h"

#include <cstddef>
#include <string>

namespace nexiotest {

/// A socket that closes itself.
class Fd {
public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd &&other) noexcept : fd_(other.release()) {}
  Fd &operator=(Fd &&other) noexcept;
  Fd(const Fd &) = delete;
  Fd &operator=(const Fd &) = delete;
  ~Fd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  void reset();

private:
  int fd_ = -1;
};

/// "127.0.0.1" for AF_INET, "::1" for AF_INET6.
const char *loopback(int family);

/// A stream listener on the loopback address of `family`, on a free port.
Fd tcp_listen(int family, int backlog, int &port);
/// Accepts a connection within `ms`; invalid when none came.
Fd accept_within(int listener, int ms);
/// A listener whose accept queue is full: a connect to it hangs until the
/// queue has room or the listener is closed. `filler` holds the connection
/// that fills the queue.
Fd stuck_listener(int family, int &port, Fd &filler);
/// A port on which nothing listens, held so that no one else takes it:
/// connects to it are refused on 127.0.0.1 and, when possible, on ::1.
struct RefusingPort {
  Fd v4, v6;
  int port = 0;
};
RefusingPort refusing_port();

/// Sends everything within `ms`.
bool send_all(int fd, const void *data, size_t size, int ms);
bool send_all(int fd, const std::string &data, int ms);
/// Reads until `size` bytes came, the peer closed, or `ms` passed.
std::string recv_upto(int fd, size_t size, int ms);
/// Whether the peer closes the stream (possibly after some data) within `ms`.
bool wait_eof(int fd, int ms);
/// Ends the sending direction of the stream (the peer reads its end).
void shutdown_send(int fd);
/// Sets the socket's receive buffer size (SO_RCVBUF).
void set_receive_buffer(int fd, int bytes);
/// Closes the stream with a reset instead of an orderly close.
void reset_close(Fd &fd);
/// Bytes that the socket at the other end of the loopback stream `fd` has
/// received but its reader not yet taken, when that socket belongs to this
/// process (an object's connection); -1 when no such socket is open here.
/// Linux only.
int unread_at_other_end(int fd);

/// A datagram socket bound to the loopback address of `family`.
Fd udp_bind(int family, int &port);
/// Receives one datagram within `ms`; false when none came.
bool udp_recv(int fd, std::string &data, sockaddr_storage &from, int ms);
bool udp_send(int fd, const std::string &data, const sockaddr_storage &to);

/// The system's texts of the errors nexio reports, as it reports them.
enum class SystemError { refused, reset, timed_out };
std::string error_text(SystemError error);
/// The name service's text for a getaddrinfo result (EAI_NONAME, ...).
std::string lookup_text(int result);

/// Whether the tests run under wine, whose sockets differ from Windows' in
/// a few reports (see the tests that ask).
bool under_wine();

/// Open descriptors of this process (Windows: its sockets), and its running connection threads
/// (the threads named "nexio"; a sanitizer's runtime has threads of its own).
/// Both are -1 where the system cannot tell.
int open_fds();
int running_threads();

} // namespace nexiotest
