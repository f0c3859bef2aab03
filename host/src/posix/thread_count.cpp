// Counting the process's threads on POSIX: Linux tells it in /proc; other
// systems are not asked.
//
// The batch clock asks before every jump of logical time, so the answer has
// to be cheap. The link count of /proc/self/task is 2 plus the number of
// threads: one fstat. /proc/self/stat says the same in its 20th field, but
// the kernel formats the whole line (some fifty fields) for every read, which
// costs several microseconds. The link count is trusted once it agrees with
// the stat line; where it does not, the stat line is read each time.
#include "platform.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace kit::platform {

namespace {

#ifdef __linux__
/// The descriptor of a /proc file, opened once and kept as long as the
/// process; -1 when it cannot be opened.
int proc_file(const char *path, int flags) {
  return open(path, flags | O_RDONLY | O_CLOEXEC);
}

std::optional<std::size_t> count_from_stat_line() {
  static const int stat = proc_file("/proc/self/stat", 0);
  if (stat < 0)
    return std::nullopt;
  char text[1024];
  const ssize_t n = pread(stat, text, sizeof text - 1, 0);
  if (n <= 0)
    return std::nullopt;
  text[n] = '\0';
  // The second field (the command's name) may hold blanks and parentheses:
  // the fields are counted from its closing parenthesis, the last one. The
  // thread count is the 20th field, the 18th after the name.
  const char *field = std::strrchr(text, ')');
  if (!field)
    return std::nullopt;
  for (int i = 0; i < 18; ++i) {
    field = std::strchr(field + 1, ' ');
    if (!field)
      return std::nullopt;
  }
  char *end = nullptr;
  const unsigned long long count = std::strtoull(field + 1, &end, 10);
  if (end == field + 1)
    return std::nullopt;
  return static_cast<std::size_t>(count);
}

std::optional<std::size_t> count_from_task_links(int task) {
  struct stat status {};
  if (task < 0 || fstat(task, &status) != 0 || status.st_nlink < 3)
    return std::nullopt;
  return static_cast<std::size_t>(status.st_nlink - 2);
}
#endif

} // namespace

std::optional<std::size_t> thread_count() {
#ifdef __linux__
  static const int task = [] {
    const int fd = proc_file("/proc/self/task", O_DIRECTORY);
    const auto links = count_from_task_links(fd);
    if (fd >= 0 && (!links || links != count_from_stat_line())) {
      close(fd);
      return -1;
    }
    return fd;
  }();
  return task >= 0 ? count_from_task_links(task) : count_from_stat_line();
#else
  return std::nullopt;
#endif
}

} // namespace kit::platform
