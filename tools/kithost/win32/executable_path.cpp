#include "platform.hpp"

#include <windows.h>

#include <vector>

namespace kithost {

std::filesystem::path executable_path() {
  std::vector<wchar_t> buffer(MAX_PATH);
  // Paths longer than the long-path limit are not worth following.
  while (buffer.size() <= 65536) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0)
      return {};
    if (length < buffer.size())
      return std::filesystem::path(std::wstring(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

} // namespace kithost
