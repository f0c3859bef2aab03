#include "loopback.hpp"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace nexiotest {

namespace {

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool wait_for(int fd, short events, int ms) {
  pollfd p{fd, events, 0};
  for (;;) {
    int r = poll(&p, 1, ms);
    if (r >= 0) {
      return r > 0;
    }
    if (errno != EINTR) {
      return false;
    }
  }
}

socklen_t make_addr(int family, int port, sockaddr_storage &addr) {
  std::memset(&addr, 0, sizeof addr);
  if (family == AF_INET6) {
    auto *a = reinterpret_cast<sockaddr_in6 *>(&addr);
    a->sin6_family = AF_INET6;
    a->sin6_addr = in6addr_loopback;
    a->sin6_port = htons(static_cast<uint16_t>(port));
    return sizeof *a;
  }
  auto *a = reinterpret_cast<sockaddr_in *>(&addr);
  a->sin_family = AF_INET;
  a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a->sin_port = htons(static_cast<uint16_t>(port));
  return sizeof *a;
}

int port_of(int fd) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  if (getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
    return -1;
  }
  if (addr.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<sockaddr_in6 *>(&addr)->sin6_port);
  }
  return ntohs(reinterpret_cast<sockaddr_in *>(&addr)->sin_port);
}

Fd bound(int family, int type, int port) {
  Fd fd(socket(family, type | SOCK_CLOEXEC, 0));
  if (!fd.valid()) {
    return fd;
  }
  sockaddr_storage addr;
  socklen_t len = make_addr(family, port, addr);
  if (bind(fd.get(), reinterpret_cast<sockaddr *>(&addr), len) != 0) {
    fd.reset();
  }
  return fd;
}

bool same_address(const sockaddr_storage &a, socklen_t alen, const sockaddr_storage &b,
                  socklen_t blen) {
  return alen == blen && std::memcmp(&a, &b, alen) == 0;
}

int count_entries(const char *dir) {
  DIR *d = opendir(dir);
  if (!d) {
    return -1;
  }
  int n = 0;
  while (dirent *e = readdir(d)) {
    if (e->d_name[0] != '.') {
      n++;
    }
  }
  closedir(d);
  return n;
}

} // namespace

Fd &Fd::operator=(Fd &&other) noexcept {
  if (this != &other) {
    reset();
    fd_ = other.release();
  }
  return *this;
}

int Fd::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

void Fd::reset() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
}

const char *loopback(int family) {
  return family == AF_INET6 ? "::1" : "127.0.0.1";
}

Fd tcp_listen(int family, int backlog, int &port) {
  Fd fd = bound(family, SOCK_STREAM, 0);
  if (fd.valid() && listen(fd.get(), backlog) != 0) {
    fd.reset();
  }
  port = fd.valid() ? port_of(fd.get()) : -1;
  return fd;
}

Fd accept_within(int listener, int ms) {
  if (!wait_for(listener, POLLIN, ms)) {
    return Fd();
  }
  return Fd(accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
}

Fd stuck_listener(int family, int &port, Fd &filler) {
  Fd listener = tcp_listen(family, 0, port);
  if (!listener.valid()) {
    return listener;
  }
  // With a backlog of 0 the queue holds one connection; the filler takes it
  // and every later SYN is dropped, so a connect waits.
  filler = Fd(socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_storage addr;
  socklen_t len = make_addr(family, port, addr);
  if (!filler.valid() || connect(filler.get(), reinterpret_cast<sockaddr *>(&addr), len) != 0) {
    listener.reset();
  }
  return listener;
}

RefusingPort refusing_port() {
  RefusingPort r;
  for (int attempt = 0; attempt < 20 && r.port == 0; attempt++) {
    Fd v4 = bound(AF_INET, SOCK_STREAM, 0);
    if (!v4.valid()) {
      continue;
    }
    int port = port_of(v4.get());
    Fd v6 = bound(AF_INET6, SOCK_STREAM, port);
    if (v6.valid()) {
      r.v4 = std::move(v4);
      r.v6 = std::move(v6);
      r.port = port;
    }
  }
  return r;
}

bool send_all(int fd, const void *data, size_t size, int ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  const char *p = static_cast<const char *>(data);
  while (size > 0) {
    if (!wait_for(fd, POLLOUT, ms_left(deadline))) {
      return false;
    }
    ssize_t n = send(fd, p, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) {
        continue;
      }
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool send_all(int fd, const std::string &data, int ms) {
  return send_all(fd, data.data(), data.size(), ms);
}

std::string recv_upto(int fd, size_t size, int ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  std::string out;
  char buf[4096];
  while (out.size() < size && wait_for(fd, POLLIN, ms_left(deadline))) {
    size_t want = std::min(sizeof buf, size - out.size());
    ssize_t n = recv(fd, buf, want, MSG_DONTWAIT);
    if (n == 0) {
      break;
    }
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) {
        continue;
      }
      break;
    }
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

bool wait_eof(int fd, int ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  char buf[4096];
  while (wait_for(fd, POLLIN, ms_left(deadline))) {
    ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n == 0) {
      return true;
    }
    if (n < 0 && errno != EINTR && errno != EAGAIN) {
      return errno == ECONNRESET;
    }
  }
  return false;
}

void reset_close(Fd &fd) {
  linger l{1, 0};
  setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, &l, sizeof l);
  fd.reset();
}

int unread_at_other_end(int fd) {
  sockaddr_storage near{}, far{};
  socklen_t near_len = sizeof near, far_len = sizeof far;
  if (getsockname(fd, reinterpret_cast<sockaddr *>(&near), &near_len) != 0 ||
      getpeername(fd, reinterpret_cast<sockaddr *>(&far), &far_len) != 0) {
    return -1;
  }
  DIR *d = opendir("/proc/self/fd");
  if (!d) {
    return -1;
  }
  int unread = -1;
  while (dirent *e = readdir(d)) {
    if (e->d_name[0] == '.') {
      continue;
    }
    const int other = std::atoi(e->d_name);
    sockaddr_storage name{}, peer{};
    socklen_t name_len = sizeof name, peer_len = sizeof peer;
    if (other == fd || other == dirfd(d) ||
        getsockname(other, reinterpret_cast<sockaddr *>(&name), &name_len) != 0 ||
        getpeername(other, reinterpret_cast<sockaddr *>(&peer), &peer_len) != 0) {
      continue;
    }
    int pending = 0;
    if (same_address(name, name_len, far, far_len) &&
        same_address(peer, peer_len, near, near_len) && ioctl(other, FIONREAD, &pending) == 0) {
      unread = pending;
      break;
    }
  }
  closedir(d);
  return unread;
}

Fd udp_bind(int family, int &port) {
  Fd fd = bound(family, SOCK_DGRAM, 0);
  port = fd.valid() ? port_of(fd.get()) : -1;
  return fd;
}

bool udp_recv(int fd, std::string &data, sockaddr_storage &from, int ms) {
  if (!wait_for(fd, POLLIN, ms)) {
    return false;
  }
  char buf[65536];
  socklen_t len = sizeof from;
  ssize_t n =
      recvfrom(fd, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr *>(&from), &len);
  if (n < 0) {
    return false;
  }
  data.assign(buf, static_cast<size_t>(n));
  return true;
}

bool udp_send(int fd, const std::string &data, const sockaddr_storage &to) {
  socklen_t len = to.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
  return sendto(fd, data.data(), data.size(), 0, reinterpret_cast<const sockaddr *>(&to), len) ==
         static_cast<ssize_t>(data.size());
}

int open_fds() {
  return count_entries("/proc/self/fd");
}
int running_threads() {
  DIR *d = opendir("/proc/self/task");
  if (!d) {
    return -1;
  }
  int n = 0;
  while (dirent *e = readdir(d)) {
    if (e->d_name[0] == '.') {
      continue;
    }
    std::ifstream comm(std::string("/proc/self/task/") + e->d_name + "/comm");
    std::string name;
    if (std::getline(comm, name) && name == "nexio") {
      n++;
    }
  }
  closedir(d);
  return n;
}

} // namespace nexiotest
