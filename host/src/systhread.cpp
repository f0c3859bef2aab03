// Threads, mutexes, condition variables and keys over POSIX threads (the
// Windows build has them too, from winpthreads).
//
// Handles are checked before use: a thread handle must be one this file made
// and has not released, so a double join or a stray pointer is reported
// instead of reaching the system.
#include "ext_systhread.h"
#include "scheduler.hpp"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <unordered_set>

namespace kit::rt {
namespace {

struct Thread {
  pthread_t native{};
  method entry = nullptr;
  void *arg = nullptr;
  long status = 0;
  int priority = 0;
  bool finished = false; ///< guarded by Threads::mutex
  bool detached = false; ///< guarded by Threads::mutex
};

// The handles systhread_create gave out and nobody released yet.
struct Threads {
  std::mutex mutex;
  std::unordered_set<Thread *> live; ///< guarded by mutex
  pthread_key_t current{};           ///< the calling thread's record
};

void thread_ended(void *record);

Threads &threads() {
  // Never destroyed: module threads may end while the process exits.
  static Threads *instance = [] {
    auto *t = new Threads;
    pthread_key_create(&t->current, thread_ended);
    return t;
  }();
  return *instance;
}

// Runs when a thread made here ends, whether it returned or called
// systhread_exit: a detached thread releases its handle, a joinable one
// leaves it to systhread_join.
void thread_ended(void *record) {
  auto *thread = static_cast<Thread *>(record);
  Threads &t = threads();
  bool release = false;
  {
    std::lock_guard lock(t.mutex);
    thread->finished = true;
    if (thread->detached) {
      t.live.erase(thread);
      release = true;
    }
  }
  if (release)
    delete thread;
}

void *run_thread(void *record) {
  auto *thread = static_cast<Thread *>(record);
  pthread_setspecific(threads().current, thread);
  thread->entry(thread->arg);
  return nullptr;
}

// The record of a live handle made here, or null (reported as `caller`).
// The caller holds Threads::mutex.
Thread *live_thread_locked(const Threads &t, t_systhread handle, const char *caller) {
  auto *thread = static_cast<Thread *>(handle);
  if (!thread || !t.live.contains(thread)) {
    error("%s: %p is not a thread made by systhread_create (or it was joined or detached)", caller,
          handle);
    return nullptr;
  }
  return thread;
}

Thread &stand_in_for_this_thread() {
  thread_local Thread self{pthread_self(), nullptr, nullptr, 0, 0, false, false};
  return self;
}

constexpr long invalid_handle = MAX_ERR_INVALID_PTR;

long from_errno(int result);

// A mutex that knows whether it is held, so that freeing it while held is
// refused rather than undefined.
struct Mutex {
  pthread_mutex_t native;
  std::atomic<long> holds{0}; ///< locks minus unlocks, by every holder
  /// The result of a lock attempt; counts a success.
  long took(int result) {
    if (result == 0)
      holds.fetch_add(1);
    return from_errno(result);
  }
};

long from_errno(int result) {
  return result == 0 ? MAX_ERR_NONE : MAX_ERR_GENERIC;
}

template <class T> T *checked(void *handle, const char *caller) {
  if (!handle)
    error("%s: no handle (null)", caller);
  return static_cast<T *>(handle);
}

} // namespace
} // namespace kit::rt

using namespace kit::rt;

long systhread_create(method entryproc, void *arg, long, long priority, long, t_systhread *thread) {
  if (!entryproc || !thread) {
    error("systhread_create: needs an entry procedure and a place for the handle");
    if (thread)
      *thread = nullptr;
    return MAX_ERR_INVALID_PTR;
  }
  auto *record = new (std::nothrow) Thread;
  if (!record) {
    *thread = nullptr;
    return MAX_ERR_OUT_OF_MEM;
  }
  record->entry = entryproc;
  record->arg = arg;
  record->priority = static_cast<int>(priority);
  Threads &t = threads();
  {
    std::lock_guard lock(t.mutex);
    t.live.insert(record);
  }
  // Set before the thread runs: it may read the handle where the caller keeps it.
  *thread = record;
  const int result = pthread_create(&record->native, nullptr, run_thread, record);
  if (result != 0) {
    error("systhread_create: cannot start a thread (%s)", std::strerror(result));
    {
      std::lock_guard lock(t.mutex);
      t.live.erase(record);
    }
    delete record;
    *thread = nullptr;
    return MAX_ERR_GENERIC;
  }
  return MAX_ERR_NONE;
}

void systhread_sleep(long milliseconds) {
  if (milliseconds > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void systhread_exit(long status) {
  auto *thread = static_cast<Thread *>(pthread_getspecific(threads().current));
  if (!thread) {
    error("systhread_exit: called from a thread that systhread_create did not make; it goes on");
    return;
  }
  thread->status = status;
  pthread_exit(nullptr);
}

long systhread_join(t_systhread handle, unsigned int *retval) {
  auto *thread = static_cast<Thread *>(handle);
  Threads &t = threads();
  {
    // One look under the lock: a detached thread may end and release its
    // record at any moment.
    std::lock_guard lock(t.mutex);
    if (!live_thread_locked(t, thread, "systhread_join"))
      return MAX_ERR_INVALID_PTR;
    if (thread->detached) {
      error("systhread_join: the thread was detached");
      return MAX_ERR_GENERIC;
    }
    if (pthread_equal(thread->native, pthread_self())) {
      error("systhread_join: a thread cannot join itself");
      return MAX_ERR_GENERIC;
    }
    // Taken out now, so that a second join of the same handle is refused.
    t.live.erase(thread);
  }
  const int result = pthread_join(thread->native, nullptr);
  if (result != 0) {
    error("systhread_join: %s", std::strerror(result));
    return MAX_ERR_GENERIC;
  }
  if (retval)
    *retval = static_cast<unsigned int>(thread->status);
  delete thread;
  return MAX_ERR_NONE;
}

long systhread_detach(t_systhread handle) {
  Threads &t = threads();
  Thread *thread = nullptr;
  bool release = false;
  {
    std::lock_guard lock(t.mutex);
    thread = live_thread_locked(t, handle, "systhread_detach");
    if (!thread)
      return MAX_ERR_INVALID_PTR;
    if (thread->detached)
      return MAX_ERR_NONE;
    pthread_detach(thread->native);
    thread->detached = true;
    if (thread->finished) {
      t.live.erase(thread);
      release = true;
    }
  }
  if (release)
    delete thread;
  return MAX_ERR_NONE;
}

t_systhread systhread_self(void) {
  auto *thread = static_cast<Thread *>(pthread_getspecific(threads().current));
  return thread ? thread : &stand_in_for_this_thread();
}

long systhread_equal(t_systhread thread1, t_systhread thread2) {
  if (!thread1 || !thread2)
    return thread1 == thread2;
  return pthread_equal(static_cast<Thread *>(thread1)->native,
                       static_cast<Thread *>(thread2)->native) != 0;
}

void systhread_setpriority(t_systhread thread, int priority) {
  if (thread)
    static_cast<Thread *>(thread)->priority =
        std::clamp<int>(priority, SYSTHREAD_PRIORITY_MIN, SYSTHREAD_PRIORITY_MAX);
}

int systhread_getpriority(t_systhread thread) {
  return thread ? static_cast<Thread *>(thread)->priority : 0;
}

short systhread_ismainthread(void) {
  return Scheduler::get().on_main_thread() ? 1 : 0;
}

short systhread_istimerthread(void) {
  return 0;
}

short systhread_isaudiothread(void) {
  return 0;
}

void systhread_set_name(const char *name) {
  if (!name)
    return;
  // The system takes 15 characters at most.
  const std::string cut = std::string(name).substr(0, 15);
  pthread_setname_np(pthread_self(), cut.c_str());
}

// ---- Mutexes ---------------------------------------------------------------------

long systhread_mutex_new(t_systhread_mutex *pmutex, long flags) {
  if (!pmutex) {
    error("systhread_mutex_new: no place for the mutex");
    return MAX_ERR_INVALID_PTR;
  }
  *pmutex = nullptr;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  if (flags & SYSTHREAD_MUTEX_RECURSIVE)
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  else if (flags & SYSTHREAD_MUTEX_ERRORCHECK)
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_ERRORCHECK);
  auto *mutex = new (std::nothrow) Mutex;
  const int result = mutex ? pthread_mutex_init(&mutex->native, &attr) : ENOMEM;
  pthread_mutexattr_destroy(&attr);
  if (result != 0) {
    delete mutex;
    error("systhread_mutex_new: %s", std::strerror(result));
    return MAX_ERR_GENERIC;
  }
  *pmutex = mutex;
  return MAX_ERR_NONE;
}

long systhread_mutex_free(t_systhread_mutex pmutex) {
  auto *mutex = checked<Mutex>(pmutex, "systhread_mutex_free");
  if (!mutex)
    return MAX_ERR_INVALID_PTR;
  // Destroying a held mutex is undefined, and its holder would go on to
  // unlock freed memory.
  if (mutex->holds.load() > 0) {
    error("systhread_mutex_free: the mutex is locked; it is kept");
    return MAX_ERR_GENERIC;
  }
  pthread_mutex_destroy(&mutex->native);
  delete mutex;
  return MAX_ERR_NONE;
}

long systhread_mutex_lock(t_systhread_mutex pmutex) {
  auto *mutex = checked<Mutex>(pmutex, "systhread_mutex_lock");
  return mutex ? mutex->took(pthread_mutex_lock(&mutex->native)) : invalid_handle;
}

long systhread_mutex_unlock(t_systhread_mutex pmutex) {
  auto *mutex = checked<Mutex>(pmutex, "systhread_mutex_unlock");
  if (!mutex)
    return invalid_handle;
  const int result = pthread_mutex_unlock(&mutex->native);
  if (result == 0)
    mutex->holds.fetch_sub(1);
  return from_errno(result);
}

long systhread_mutex_trylock(t_systhread_mutex pmutex) {
  auto *mutex = checked<Mutex>(pmutex, "systhread_mutex_trylock");
  return mutex ? mutex->took(pthread_mutex_trylock(&mutex->native)) : invalid_handle;
}

long systhread_mutex_newlock(t_systhread_mutex *pmutex, long flags) {
  const long made = systhread_mutex_new(pmutex, flags);
  return made == MAX_ERR_NONE ? systhread_mutex_lock(*pmutex) : made;
}

// ---- Condition variables -----------------------------------------------------------

long systhread_cond_new(t_systhread_cond *pcond, long) {
  if (!pcond) {
    error("systhread_cond_new: no place for the condition");
    return MAX_ERR_INVALID_PTR;
  }
  *pcond = nullptr;
  auto *cond = new (std::nothrow) pthread_cond_t;
  const int result = cond ? pthread_cond_init(cond, nullptr) : ENOMEM;
  if (result != 0) {
    delete cond;
    error("systhread_cond_new: %s", std::strerror(result));
    return MAX_ERR_GENERIC;
  }
  *pcond = cond;
  return MAX_ERR_NONE;
}

long systhread_cond_free(t_systhread_cond pcond) {
  auto *cond = checked<pthread_cond_t>(pcond, "systhread_cond_free");
  if (!cond)
    return MAX_ERR_INVALID_PTR;
  pthread_cond_destroy(cond);
  delete cond;
  return MAX_ERR_NONE;
}

long systhread_cond_wait(t_systhread_cond pcond, t_systhread_mutex pmutex) {
  auto *cond = checked<pthread_cond_t>(pcond, "systhread_cond_wait");
  auto *mutex = checked<Mutex>(pmutex, "systhread_cond_wait");
  if (!cond || !mutex)
    return MAX_ERR_INVALID_PTR;
  return from_errno(pthread_cond_wait(cond, &mutex->native));
}

long systhread_cond_signal(t_systhread_cond pcond) {
  auto *cond = checked<pthread_cond_t>(pcond, "systhread_cond_signal");
  return cond ? from_errno(pthread_cond_signal(cond)) : invalid_handle;
}

long systhread_cond_broadcast(t_systhread_cond pcond) {
  auto *cond = checked<pthread_cond_t>(pcond, "systhread_cond_broadcast");
  return cond ? from_errno(pthread_cond_broadcast(cond)) : invalid_handle;
}

// ---- Keys ----------------------------------------------------------------------------

long systhread_key_create(t_systhread_key *key, void (*destructor)(void *)) {
  if (!key) {
    error("systhread_key_create: no place for the key");
    return MAX_ERR_INVALID_PTR;
  }
  *key = nullptr;
  auto *native = new (std::nothrow) pthread_key_t;
  const int result = native ? pthread_key_create(native, destructor) : ENOMEM;
  if (result != 0) {
    delete native;
    error("systhread_key_create: %s", std::strerror(result));
    return MAX_ERR_GENERIC;
  }
  *key = native;
  return MAX_ERR_NONE;
}

long systhread_key_delete(t_systhread_key key) {
  auto *native = checked<pthread_key_t>(key, "systhread_key_delete");
  if (!native)
    return MAX_ERR_INVALID_PTR;
  pthread_key_delete(*native);
  delete native;
  return MAX_ERR_NONE;
}

void *systhread_getspecific(t_systhread_key key) {
  auto *native = checked<pthread_key_t>(key, "systhread_getspecific");
  return native ? pthread_getspecific(*native) : nullptr;
}

long systhread_setspecific(t_systhread_key key, const void *value) {
  auto *native = checked<pthread_key_t>(key, "systhread_setspecific");
  return native ? from_errno(pthread_setspecific(*native, value)) : invalid_handle;
}
