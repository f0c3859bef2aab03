#include "loopback.hpp"

#ifdef _WIN32
#include <tlhelp32.h>
#include <windows.h>
#else
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace nexiotest {

namespace {

#ifdef _WIN32
// Windows Sockets under the POSIX names this file uses. Every socket here is
// non-blocking (Windows has no per-call flag); accepted ones inherit it.
constexpr int SOCK_CLOEXEC = 0;
constexpr int MSG_NOSIGNAL = 0;
constexpr int MSG_DONTWAIT = 0;
const bool sockets_started = NativeSocket::Startup();
int poll(pollfd *entries, unsigned long count, int ms) {
  return WSAPoll(entries, count, ms);
}
int close(int fd) {
  NativeSocket::Close(fd);
  return 0;
}
int socket_of(SOCKET fd) {
  return fd == INVALID_SOCKET ? -1 : static_cast<int>(fd);
}
int new_socket(int family, int type) {
  const int fd = socket_of(::socket(family, type, 0));
  u_long non_blocking = 1;
  if (fd >= 0) {
    ioctlsocket(static_cast<SOCKET>(fd), FIONBIO, &non_blocking);
  }
  return fd;
}
int accept4(int listener, sockaddr *, socklen_t *, int) {
  return socket_of(::accept(static_cast<SOCKET>(listener), nullptr, nullptr));
}
constexpr int connection_reset = WSAECONNRESET;
#else
constexpr int connection_reset = ECONNRESET;
int new_socket(int family, int type) {
  return socket(family, type | SOCK_CLOEXEC, 0);
}
#endif

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool wait_for(int fd, short events, int ms) {
  pollfd p{};
  p.fd = fd;
  p.events = events;
  for (;;) {
    int r = poll(&p, 1, ms);
    if (r >= 0) {
      return r > 0;
    }
    if (!NativeSocket::Interrupted(NativeSocket::LastError())) {
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
  Fd fd(new_socket(family, type));
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

#ifdef __linux__
bool same_address(const sockaddr_storage &a, socklen_t alen, const sockaddr_storage &b,
                  socklen_t blen) {
  return alen == blen && std::memcmp(&a, &b, alen) == 0;
}
#endif

#ifndef _WIN32
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
#endif

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
  filler = Fd(NativeSocket::Open(family, SOCK_STREAM, 0));
  sockaddr_storage addr;
  socklen_t len = make_addr(family, port, addr);
  if (!filler.valid() ||
      NativeSocket::Connect(filler.get(), reinterpret_cast<sockaddr *>(&addr), len) != 0) {
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
    long n = send(fd, p, static_cast<int>(size), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
      const int code = NativeSocket::LastError();
      if (NativeSocket::Interrupted(code) || NativeSocket::WouldBlock(code)) {
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
    long n = recv(fd, buf, static_cast<int>(want), MSG_DONTWAIT);
    if (n == 0) {
      break;
    }
    if (n < 0) {
      const int code = NativeSocket::LastError();
      if (NativeSocket::Interrupted(code) || NativeSocket::WouldBlock(code)) {
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
    long n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n == 0) {
      return true;
    }
    if (n < 0) {
      const int code = NativeSocket::LastError();
      if (!NativeSocket::Interrupted(code) && !NativeSocket::WouldBlock(code)) {
        return code == connection_reset;
      }
    }
  }
  return false;
}

void shutdown_send(int fd) {
#ifdef _WIN32
  shutdown(fd, SD_SEND);
#else
  shutdown(fd, SHUT_WR);
#endif
}

void set_receive_buffer(int fd, int bytes) {
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&bytes), sizeof bytes);
}

void reset_close(Fd &fd) {
  linger l{1, 0};
  setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&l), sizeof l);
  fd.reset();
}

#ifdef __linux__
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
#endif

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
  long n = recvfrom(fd, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr *>(&from), &len);
  if (n < 0) {
    return false;
  }
  data.assign(buf, static_cast<size_t>(n));
  return true;
}

bool udp_send(int fd, const std::string &data, const sockaddr_storage &to) {
  socklen_t len = to.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
  return sendto(fd, data.data(), static_cast<int>(data.size()), 0,
                reinterpret_cast<const sockaddr *>(&to), len) == static_cast<long>(data.size());
}

#ifdef _WIN32
std::string error_text(SystemError error) {
  const int code = error == SystemError::refused ? WSAECONNREFUSED
                   : error == SystemError::reset ? WSAECONNRESET
                                                 : WSAETIMEDOUT;
  char text[256];
  return NativeSocket::ErrorText(code, text, sizeof text);
}

std::string lookup_text(int result) {
  char text[256];
  return NativeSocket::LookupErrorText(result, 0, text, sizeof text);
}

bool under_wine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The sockets among the handles of this process, from the system's handle
// list (GetProcessHandleCount would be simpler, but wine answers 0).
int open_fds() {
  struct Entry {
    ULONG process;
    UCHAR type;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  struct List {
    ULONG count;
    Entry entries[1];
  };
  using Query = LONG(WINAPI *)(ULONG, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  constexpr ULONG system_handle_information = 16;
  constexpr LONG length_mismatch = static_cast<LONG>(0xC0000004);
  if (query == nullptr) {
    return -1;
  }
  std::vector<char> buffer(1 << 20);
  for (int attempt = 0; attempt < 6; attempt++, buffer.resize(buffer.size() * 2)) {
    ULONG length = 0;
    const LONG status =
        query(system_handle_information, buffer.data(), static_cast<ULONG>(buffer.size()), &length);
    if (status == length_mismatch) {
      continue;
    }
    if (status != 0) {
      return -1;
    }
    const auto *list = reinterpret_cast<const List *>(buffer.data());
    // Handles come and go with the system's own threads and events: count
    // those that answer as sockets.
    int n = 0;
    for (ULONG i = 0; i < list->count; i++) {
      if (list->entries[i].process != GetCurrentProcessId()) {
        continue;
      }
      int type = 0;
      int size = sizeof type;
      n += getsockopt(static_cast<SOCKET>(list->entries[i].handle), SOL_SOCKET, SO_TYPE,
                      reinterpret_cast<char *>(&type), &size) == 0;
    }
    return n;
  }
  return -1;
}

// Threads of this process whose description is "nexio".
int running_threads() {
  using Describe = HRESULT(WINAPI *)(HANDLE, PWSTR *);
  static const auto describe = reinterpret_cast<Describe>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (describe == nullptr || snapshot == INVALID_HANDLE_VALUE) {
    return -1;
  }
  int n = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) {
      continue;
    }
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    if (thread == nullptr) {
      continue;
    }
    PWSTR name = nullptr;
    if (SUCCEEDED(describe(thread, &name)) && name != nullptr) {
      n += std::wstring(name) == L"nexio";
      LocalFree(name);
    }
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return n;
}
#else
std::string error_text(SystemError error) {
  switch (error) {
  case SystemError::refused:
    return "Connection refused";
  case SystemError::reset:
    return "Connection reset by peer";
  case SystemError::timed_out:
    break;
  }
  return "Connection timed out";
}

std::string lookup_text(int result) {
  return gai_strerror(result);
}

bool under_wine() {
  return false;
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
#endif

} // namespace nexiotest
