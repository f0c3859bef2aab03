// Waking the loop on POSIX: a pipe (an eventfd on Linux) polled together
// with the caller's descriptor, so an idle loop sleeps in the kernel.
#include "platform.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/eventfd.h>
#endif

namespace kit::platform {
namespace {

// How long the loop polls for more work after a wake-up before it sleeps.
constexpr std::chrono::nanoseconds poll_after_wake = std::chrono::microseconds(50);

// The processor the caller runs on, or -1 where that is not known.
inline int current_cpu() {
#ifdef __linux__
  return sched_getcpu();
#else
  return -1;
#endif
}

// A pause for a thread that polls a value another core is about to change.
inline void cpu_relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  __asm__ __volatile__("yield");
#endif
}

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
  waker_cpu_.store(current_cpu(), std::memory_order_relaxed);
  if (pending_.exchange(true, std::memory_order_seq_cst))
    return;
  // A loop that is polling sees pending_ without a system call. The loop
  // clears polling_ before it looks at pending_ a last time and sleeps, so
  // one of the two always sees the other's store (both sequentially
  // consistent).
  if (polling_.load(std::memory_order_seq_cst))
    return;
  const uint64_t one = 1;
  // A full pipe or counter already holds a wake-up: nothing is lost.
  while (write(static_cast<int>(native_[1]), &one, sizeof one) < 0 && errno == EINTR) {
  }
}

bool Waker::wait(int fd, std::optional<std::chrono::nanoseconds> timeout) {
  using std::chrono::steady_clock;
  // Work that another thread hands the loop tends to come in runs (a stream
  // hands over its next bytes within microseconds), and waking a sleeping
  // thread costs tens of microseconds. So after a wait that a wake-up ended,
  // the next one first polls for a while; an idle loop sleeps at once.
  bool polled_wake = false;
  if (woken_ && (!timeout || timeout->count() > 0)) {
    const auto poll_for = timeout ? std::min(*timeout, poll_after_wake) : poll_after_wake;
    const auto start = steady_clock::now();
    bool woken = false;
    polling_.store(true, std::memory_order_seq_cst);
    while (!woken && steady_clock::now() - start < poll_for) {
      for (int i = 0; i < 16 && !woken; i++) {
        woken = pending_.load(std::memory_order_acquire);
        cpu_relax();
      }
      // A thread that hands over work from this processor can do so only
      // when the loop makes way for it.
      const int cpu = current_cpu();
      if (!woken && (cpu < 0 || cpu == waker_cpu_.load(std::memory_order_relaxed)))
        sched_yield();
    }
    polling_.store(false, std::memory_order_seq_cst);
    woken = woken || pending_.load(std::memory_order_seq_cst);
    if (woken) {
      pending_.store(false, std::memory_order_release);
      if (fd < 0)
        return false;
      timeout = std::chrono::nanoseconds(0); // only the descriptor is left to look at
    } else if (timeout && *timeout <= poll_for) {
      woken_ = false;
      return false;
    } else if (timeout) {
      *timeout -= poll_for;
    }
    polled_wake = woken;
  }
  pollfd fds[2] = {{static_cast<int>(native_[0]), POLLIN, 0}, {fd, POLLIN, 0}};
  const nfds_t count = fd >= 0 ? 2 : 1;
  timespec limit{};
  if (timeout) {
    const auto ns = std::max<int64_t>(0, timeout->count());
    limit.tv_sec = static_cast<time_t>(ns / 1000000000);
    limit.tv_nsec = static_cast<long>(ns % 1000000000);
  }
  const int ready = ppoll(fds, count, timeout ? &limit : nullptr, nullptr);
  const bool signalled = ready > 0 && (fds[0].revents & POLLIN) != 0;
  woken_ = polled_wake || signalled;
  if (signalled) {
    uint64_t drained[8];
    while (read(static_cast<int>(native_[0]), drained, sizeof drained) > 0) {
    }
    pending_.store(false, std::memory_order_release);
  }
  if (ready <= 0)
    return false;
  return count == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

} // namespace kit::platform
