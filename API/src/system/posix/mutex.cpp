#include "system/mutex.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <pthread.h>

#include "system/memory.h"

// The owner and depth let Unlock and Destroy tell whether the calling thread
// holds the mutex: unlocking a mutex that another thread holds, or destroying
// one that is still locked, is undefined for the platform.
struct MutexObject {
  pthread_mutex_t mutex;
  std::atomic<std::uintptr_t> owner{0}; // written only by the thread that holds the mutex
  int depth = 0;
};

namespace {
std::uintptr_t self() {
  const pthread_t id = pthread_self();
  std::uintptr_t value = 0;
  static_assert(sizeof id <= sizeof value, "a thread identifier fits an integer");
  std::memcpy(&value, &id, sizeof id);
  return value;
}
} // namespace

Mutex::Handle Mutex::Create() {
  void *block = Memory::Alloc(sizeof(MutexObject));
  if (block == nullptr)
    return nullptr;
  auto *object = new (block) MutexObject;
  pthread_mutexattr_t attributes;
  bool made = pthread_mutexattr_init(&attributes) == 0;
  if (made) {
    made = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
           pthread_mutex_init(&object->mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
  }
  if (!made) {
    object->~MutexObject();
    Memory::Free(block);
    return nullptr;
  }
  return object;
}

void Mutex::Destroy(Handle mutex) {
  if (mutex == nullptr)
    return;
  if (mutex->owner.load(std::memory_order_relaxed) == self()) {
    mutex->owner.store(0, std::memory_order_relaxed);
    for (; mutex->depth > 0; --mutex->depth)
      pthread_mutex_unlock(&mutex->mutex);
  }
  pthread_mutex_destroy(&mutex->mutex);
  mutex->~MutexObject();
  Memory::Free(mutex);
}

int Mutex::Lock(Handle mutex) {
  if (mutex == nullptr || pthread_mutex_lock(&mutex->mutex) != 0)
    return 0;
  mutex->owner.store(self(), std::memory_order_relaxed);
  ++mutex->depth;
  return 1;
}

int Mutex::Unlock(Handle mutex) {
  if (mutex == nullptr || mutex->owner.load(std::memory_order_relaxed) != self())
    return 0;
  if (--mutex->depth == 0)
    mutex->owner.store(0, std::memory_order_relaxed);
  pthread_mutex_unlock(&mutex->mutex);
  return 1;
}
