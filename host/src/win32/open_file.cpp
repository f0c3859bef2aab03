// Opening a file on Windows: opening does not wait there, so the file is
// opened first, then only a regular file is kept.
#include "platform.hpp"

#include <cerrno>
#include <sys/stat.h>

namespace kit::platform {

std::FILE *open_regular_file(const std::filesystem::path &file, bool write, int &error) {
  std::FILE *f = _wfopen(file.c_str(), write ? L"r+b" : L"rb");
  if (!f) {
    error = errno ? errno : EIO;
    return nullptr;
  }
  struct _stat64 info {};
  if (_fstat64(_fileno(f), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
    error = (info.st_mode & _S_IFMT) == _S_IFDIR ? EISDIR : EINVAL;
    std::fclose(f);
    return nullptr;
  }
  return f;
}

} // namespace kit::platform
