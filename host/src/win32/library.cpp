// Shared libraries on Windows: LoadLibrary, GetProcAddress, and the module
// that holds an address.
#include "platform.hpp"

#include <windows.h>

namespace kit::platform {

const char *const module_suffix = ".mxe64";

void *open_library(const std::filesystem::path &file, std::string &error) {
  HMODULE library = LoadLibraryW(file.c_str());
  if (!library) {
    const DWORD code = GetLastError();
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text - 1, nullptr);
    error = text[0] ? text : "LoadLibrary error " + std::to_string(code);
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r'))
      error.pop_back();
  }
  return reinterpret_cast<void *>(library);
}

void *library_symbol(void *library, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

std::optional<std::filesystem::path> file_of_address(const void *address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(address), &module))
    return std::nullopt;
  wchar_t name[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(module, name, sizeof name / sizeof name[0]);
  if (length == 0 || length >= sizeof name / sizeof name[0])
    return std::nullopt;
  return std::filesystem::path(std::wstring(name, length));
}

} // namespace kit::platform
