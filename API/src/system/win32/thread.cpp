#include "system/thread.h"

#include <windows.h>

#include "system/memory.h"
#include "system/thread_start.h"

namespace {

DWORD WINAPI run(LPVOID block) {
  const ThreadStart start = ThreadStart::take(block);
  return static_cast<DWORD>(start.function(start.argument));
}

HANDLE native(Thread::Handle thread) {
  return reinterpret_cast<HANDLE>(thread);
}

} // namespace

Thread::Handle Thread::Create(Function function, void *argument) {
  ThreadStart *start = ThreadStart::make(function, argument);
  if (start == nullptr)
    return 0;
  HANDLE thread = CreateThread(nullptr, 0, run, start, 0, nullptr);
  if (thread == nullptr) {
    Memory::Free(start);
    return 0;
  }
  return reinterpret_cast<Handle>(thread);
}

// SetThreadDescription exists from Windows 10 1607 on: looked up, not linked.
void Thread::Name(const char *name) {
  using Describe = HRESULT(WINAPI *)(HANDLE, PCWSTR);
  static const auto describe = reinterpret_cast<Describe>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
  if (describe == nullptr)
    return;
  wchar_t wide[64];
  int i = 0;
  for (; i < 63 && name[i] != 0; ++i)
    wide[i] = static_cast<unsigned char>(name[i]);
  wide[i] = 0;
  describe(GetCurrentThread(), wide);
}

void Thread::Sleep(int milliseconds) {
  if (milliseconds > 0)
    ::Sleep(static_cast<DWORD>(milliseconds));
}

int Thread::Join(Handle thread) {
  if (thread == 0 || WaitForSingleObject(native(thread), INFINITE) != WAIT_OBJECT_0)
    return -1;
  DWORD code = 0;
  const BOOL read = GetExitCodeThread(native(thread), &code);
  CloseHandle(native(thread));
  return read ? static_cast<int>(code) : -1;
}

int Thread::SetPriority(Handle thread, int level) {
  if (thread == 0)
    return ERROR_INVALID_HANDLE;
  int priority = THREAD_PRIORITY_NORMAL;
  if (level == 1)
    priority = THREAD_PRIORITY_ABOVE_NORMAL;
  else if (level == -1)
    priority = THREAD_PRIORITY_BELOW_NORMAL;
  return SetThreadPriority(native(thread), priority) ? 0 : static_cast<int>(GetLastError());
}

void Thread::Suspend(Handle) {}
void Thread::Resume(Handle) {}
