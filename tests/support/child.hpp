// Waiting for a child process that a test started (POSIX): bounded, with the
// child killed and reaped when it overstays, so that no test hangs on one
// and none is left behind.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>

namespace kittest {

struct ChildEnd {
  int status = 0;       ///< the wait status, as waitpid reports it
  bool in_time = false; ///< ended on its own within the limit (else killed)
};

/// Waits for the child `pid` to end, at most `limit` (milliseconds::max():
/// as long as it takes). One still running then is killed (SIGKILL) and
/// reaped. Waits interrupted by a signal are resumed. `usage`, when given,
/// receives the child's resource use.
ChildEnd wait_child(pid_t pid, std::chrono::milliseconds limit, rusage *usage = nullptr);

/// The exit status in a wait status; -1 when the child did not exit normally.
int exit_code(int status);

} // namespace kittest
