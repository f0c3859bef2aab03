#include "resources.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace kittest {
namespace {

long status_field(const std::string &name) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(name + ":", 0) == 0)
      return std::stol(line.substr(name.size() + 1));
  }
  return -1;
}

} // namespace

int open_descriptors() {
  DIR *dir = opendir("/proc/self/fd");
  if (!dir)
    return -1;
  int count = 0;
  while (const dirent *entry = readdir(dir)) {
    if (entry->d_name[0] != '.')
      ++count;
  }
  closedir(dir);
  return count - 1; // the directory's own descriptor
}

int thread_count() {
  return static_cast<int>(status_field("Threads"));
}

long resident_kb() {
  return status_field("VmRSS");
}

bool sanitized_build() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

HighDescriptors::HighDescriptors(int above) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
    return;
  const rlim_t wanted = static_cast<rlim_t>(above) + 64;
  if (limit.rlim_cur < wanted) {
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted)
      return;
    limit.rlim_cur = wanted;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
      return;
  }
  // Bounded: at most `above` descriptors are opened.
  for (int i = 0; i < above; ++i) {
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
      return;
    held_.push_back(fd);
    if (fd >= above - 1) {
      ok_ = true;
      return;
    }
  }
}

HighDescriptors::~HighDescriptors() {
  for (int fd : held_)
    close(fd);
}

} // namespace kittest
