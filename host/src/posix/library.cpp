// Shared libraries on POSIX: dlopen, dlsym, dladdr.
#include "platform.hpp"

#include <dlfcn.h>

namespace kit::platform {

const char *const module_suffix = ".so";

void *open_library(const std::filesystem::path &file, std::string &error) {
  void *library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char *reason = dlerror();
    error = reason ? reason : "unknown dlopen error";
  }
  return library;
}

void *library_symbol(void *library, const char *name) {
  return dlsym(library, name);
}

std::optional<std::filesystem::path> file_of_address(const void *address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname)
    return std::nullopt;
  return std::filesystem::path(info.dli_fname);
}

} // namespace kit::platform
