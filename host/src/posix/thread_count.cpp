// Counting the process's threads on POSIX: Linux tells it in /proc; other
// systems are not asked.
#include "platform.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace kit::platform {

std::optional<std::size_t> thread_count() {
#ifdef __linux__
  // Opened once and read from its start each time: one system call. The
  // descriptor lives as long as the process.
  static const int stat = open("/proc/self/stat", O_RDONLY | O_CLOEXEC);
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
#else
  return std::nullopt;
#endif
}

} // namespace kit::platform
