// Counting the process's threads on Windows: a snapshot of the system's
// threads, those of this process counted.
#include "platform.hpp"

#include <windows.h>

#include <tlhelp32.h>

namespace kit::platform {

std::optional<std::size_t> thread_count() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return std::nullopt;
  const DWORD self = GetCurrentProcessId();
  std::size_t count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == self)
      ++count;
  CloseHandle(snapshot);
  if (count == 0)
    return std::nullopt;
  return count;
}

} // namespace kit::platform
