// Polls rather than blocks while a limit holds: waitpid has no timeout.
#include "child.hpp"

#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <thread>

namespace kittest {

namespace {

/// wait4, resumed after a signal; the reaped pid, 0 while running, -1 on error.
pid_t wait_once(pid_t pid, int *status, int options, rusage *usage) {
  pid_t done;
  while ((done = wait4(pid, status, options, usage)) < 0 && errno == EINTR) {
  }
  return done;
}

} // namespace

ChildEnd wait_child(pid_t pid, std::chrono::milliseconds limit, rusage *usage) {
  ChildEnd end;
  if (limit == std::chrono::milliseconds::max()) {
    end.in_time = wait_once(pid, &end.status, 0, usage) == pid;
    return end;
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const pid_t done = wait_once(pid, &end.status, WNOHANG, usage);
    if (done != 0) {
      end.in_time = done == pid;
      return end;
    }
    if (std::chrono::steady_clock::now() >= deadline)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  wait_once(pid, &end.status, 0, usage);
  return end;
}

int exit_code(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace kittest
