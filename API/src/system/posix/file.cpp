#include "system/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The open does not wait: a named pipe would block it until some writer
// came. Blocking is switched back on for the reads once the file is known
// to be regular.
std::FILE *File::OpenRegular(const char *name) {
  const int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return nullptr;
  struct stat info {};
  const int flags = fcntl(fd, F_GETFL);
  std::FILE *f = nullptr;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flags >= 0 &&
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
    f = fdopen(fd, "rb");
  if (!f)
    close(fd);
  return f;
}

long long File::Size(std::FILE *file) {
  if (fseeko(file, 0, SEEK_END) != 0)
    return -1;
  const long long size = ftello(file);
  if (fseeko(file, 0, SEEK_SET) != 0)
    return -1;
  return size;
}
