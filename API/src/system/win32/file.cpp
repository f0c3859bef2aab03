#include "system/file.h"

#include <io.h>
#include <sys/stat.h>

std::FILE *File::OpenRegular(const char *name) {
  std::FILE *f = std::fopen(name, "rb");
  struct _stat64 info {};
  if (f && (_fstat64(_fileno(f), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG)) {
    std::fclose(f);
    f = nullptr;
  }
  return f;
}

long long File::Size(std::FILE *file) {
  if (_fseeki64(file, 0, SEEK_END) != 0)
    return -1;
  const long long size = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_SET) != 0)
    return -1;
  return size;
}
