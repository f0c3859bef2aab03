// Waking the loop on POSIX: a pipe (an eventfd on Linux) polled together
// with the caller's descriptor, so an idle loop sleeps in the kernel.
#include "platform.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/eventfd.h>
#endif

namespace kit::platform {
namespace {

#ifdef __linux__
int make_wake_fd(int &write_end) {
  int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  write_end = fd;
  return fd;
}
void close_wake_fd(int read_end, int) {
  close(read_end);
}
#else
int make_wake_fd(int &write_end) {
  int fds[2];
  if (pipe(fds) != 0)
    return -1;
  for (int fd : fds) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  write_end = fds[1];
  return fds[0];
}
void close_wake_fd(int read_end, int write_end) {
  close(read_end);
  close(write_end);
}
#endif

} // namespace

Waker::Waker() {
  int write_end = -1;
  const int read_end = make_wake_fd(write_end);
  if (read_end < 0) {
    std::perror("kit host: cannot make the loop's wake-up descriptor");
    std::abort();
  }
  native_[0] = read_end;
  native_[1] = write_end;
}

Waker::~Waker() {
  close_wake_fd(static_cast<int>(native_[0]), static_cast<int>(native_[1]));
}

void Waker::wake() {
  if (pending_.exchange(true, std::memory_order_acq_rel))
    return;
  const uint64_t one = 1;
  // A full pipe or counter already holds a wake-up: nothing is lost.
  while (write(static_cast<int>(native_[1]), &one, sizeof one) < 0 && errno == EINTR) {
  }
}

bool Waker::wait(int fd, std::optional<std::chrono::nanoseconds> timeout) {
  pollfd fds[2] = {{static_cast<int>(native_[0]), POLLIN, 0}, {fd, POLLIN, 0}};
  const nfds_t count = fd >= 0 ? 2 : 1;
  timespec limit{};
  if (timeout) {
    const auto ns = std::max<int64_t>(0, timeout->count());
    limit.tv_sec = static_cast<time_t>(ns / 1000000000);
    limit.tv_nsec = static_cast<long>(ns % 1000000000);
  }
  const int ready = ppoll(fds, count, timeout ? &limit : nullptr, nullptr);
  if (ready <= 0)
    return false;
  if (fds[0].revents & POLLIN) {
    uint64_t drained[8];
    while (read(static_cast<int>(native_[0]), drained, sizeof drained) > 0) {
    }
    pending_.store(false, std::memory_order_release);
  }
  return count == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

} // namespace kit::platform
