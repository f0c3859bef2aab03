// Opening a file on POSIX: without waiting, then only a regular file is kept.
#include "platform.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kit::platform {

std::FILE *open_regular_file(const std::filesystem::path &file, bool write, int &error) {
  // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a
  // writer, for ever if none comes.
  const int fd = open(file.c_str(), (write ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno ? errno : EIO;
    return nullptr;
  }
  struct stat info {};
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    error = errno ? errno : EIO;
    close(fd);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    close(fd);
    return nullptr;
  }
  std::FILE *f = fdopen(fd, write ? "r+b" : "rb");
  if (!f) {
    error = errno ? errno : EIO;
    close(fd);
  }
  return f;
}

} // namespace kit::platform
