// Mutexes of the support library: recursive mutexes behind an opaque handle.
//
// Thread rules: Lock and Unlock may be called from any thread. A thread that
// owns a mutex may lock it again; it stays owned until each Lock has had its
// Unlock. Create and Destroy belong to the mutex's owner object: no thread
// may use a handle while or after it is destroyed.
#pragma once

struct MutexObject;

class Mutex {
public:
  // Opaque pointer to the platform's mutex object; null means no mutex.
  using Handle = MutexObject *;

  // A new, unlocked, recursive mutex; null when it cannot be made.
  static Handle Create();

  // Releases the mutex. When the calling thread still owns it, its ownership
  // is released first (every level). The mutex must not be owned by another
  // thread. Null is ignored.
  static void Destroy(Handle mutex);

  // Waits without limit until the calling thread owns the mutex. Returns 1
  // when it does, 0 for a null handle or when the platform reports a failure
  // (on Windows: the previous owner ended while holding it; the caller then
  // owns it all the same and must unlock it).
  static int Lock(Handle mutex);

  // Releases one level of the calling thread's ownership. Returns 1, or 0 for
  // a null handle or when the calling thread does not own the mutex (then
  // nothing changes).
  static int Unlock(Handle mutex);
};
