#include "system/mutex.h"

#include <windows.h>

// A Win32 mutex is recursive for its owner and knows its owner, so the handle
// itself serves as the mutex object.
namespace {
HANDLE native(Mutex::Handle mutex) {
  return reinterpret_cast<HANDLE>(mutex);
}
} // namespace

Mutex::Handle Mutex::Create() {
  return reinterpret_cast<Handle>(CreateMutexA(nullptr, FALSE, nullptr));
}

void Mutex::Destroy(Handle mutex) {
  if (mutex == nullptr)
    return;
  // Ownership the calling thread still holds is released, as in the POSIX
  // build; ReleaseMutex fails harmlessly once it holds none.
  while (ReleaseMutex(native(mutex))) {
  }
  CloseHandle(native(mutex));
}

int Mutex::Lock(Handle mutex) {
  if (mutex == nullptr)
    return 0;
  // WAIT_ABANDONED also hands over ownership, but the data the mutex guards
  // may be half-written: report it.
  return WaitForSingleObject(native(mutex), INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
}

int Mutex::Unlock(Handle mutex) {
  if (mutex == nullptr)
    return 0;
  return ReleaseMutex(native(mutex)) ? 1 : 0;
}
