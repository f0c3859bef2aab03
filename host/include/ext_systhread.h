// Threads, mutexes, condition variables and thread-local keys for objects
// that do work away from the host's threads.
//
// Threads: every function here may be called from any thread. A thread made
// here must never call an outlet: it hands its results to the main thread
// with a qelem, a clock or defer_low (ext_proto.h).
//
// Results: functions returning long or t_max_err return MAX_ERR_NONE (0) on
// success. A null or unknown handle is reported on the console and gives
// MAX_ERR_INVALID_PTR; a failure of the system gives MAX_ERR_GENERIC.
#ifndef EXT_SYSTHREAD_H
#define EXT_SYSTHREAD_H

#include "ext_mess.h"

BEGIN_USING_C_LINKAGE

/// A thread made by systhread_create, or the calling thread (opaque).
typedef void *t_systhread;
typedef void *t_systhread_mutex;
typedef void *t_systhread_cond;
typedef void *t_systhread_key;

/// How a mutex behaves when its owner locks it again.
typedef enum {
  SYSTHREAD_MUTEX_NORMAL = 0x00000000,     ///< deadlocks
  SYSTHREAD_MUTEX_ERRORCHECK = 0x00000001, ///< the second lock fails
  SYSTHREAD_MUTEX_RECURSIVE = 0x00000002   ///< counts; as many unlocks needed
} e_max_systhread_mutex_flags;

/// Thread priorities are kept and reported, but change nothing here.
typedef enum {
  SYSTHREAD_PRIORITY_MIN = -30,
  SYSTHREAD_PRIORITY_DEFAULT = 0,
#if defined(__linux__)
  SYSTHREAD_PRIORITY_MAX = 0
#else
  SYSTHREAD_PRIORITY_MAX = 30
#endif
} e_max_systhread_priority;

/// Starts entryproc(arg) on a new thread and stores its handle in *thread
/// (before the thread starts, so the thread may read it; null on failure).
/// `stacksize` and `flags` are unused. The thread must be joined or
/// detached once.
C74_API long systhread_create(method entryproc, void *arg, long stacksize, long priority,
                              long flags, t_systhread *thread);
/// Suspends the calling thread for at least `milliseconds` (none for 0 or less).
C74_API void systhread_sleep(long milliseconds);
/// Ends the calling thread, which systhread_create made, with `status` for
/// systhread_join. From any other thread it is reported and returns. A
/// thread that returns from its entry procedure ends with status 0.
C74_API void systhread_exit(long status);
/// Waits for the thread to end, stores its status in *retval (when not null)
/// and releases the handle. A thread cannot join itself.
C74_API long systhread_join(t_systhread thread, unsigned int *retval);
/// Lets the thread release its handle when it ends; no join after this.
C74_API long systhread_detach(t_systhread thread);
/// The calling thread: its handle when systhread_create made it, else a
/// handle standing for the thread that only systhread_equal and the
/// priority calls take.
C74_API t_systhread systhread_self(void);
/// Non-zero when both stand for the same thread.
C74_API long systhread_equal(t_systhread thread1, t_systhread thread2);
C74_API void systhread_setpriority(t_systhread thread, int priority);
C74_API int systhread_getpriority(t_systhread thread);
/// Non-zero on the host's main thread (the one that runs messages, clocks
/// and queued calls).
C74_API short systhread_ismainthread(void);
/// Always 0: clocks run on the main thread, and there is no audio thread.
C74_API short systhread_istimerthread(void);
C74_API short systhread_isaudiothread(void);
/// Names the calling thread for debuggers (cut to the system's limit).
C74_API void systhread_set_name(const char *name);

/// Makes a mutex with the behaviour of `flags` in *pmutex (null on failure).
C74_API long systhread_mutex_new(t_systhread_mutex *pmutex, long flags);
C74_API long systhread_mutex_free(t_systhread_mutex pmutex);
C74_API long systhread_mutex_lock(t_systhread_mutex pmutex);
C74_API long systhread_mutex_unlock(t_systhread_mutex pmutex);
/// Locks when the mutex is free; non-zero when it is not (nothing locked).
C74_API long systhread_mutex_trylock(t_systhread_mutex pmutex);
/// systhread_mutex_new, then systhread_mutex_lock.
C74_API long systhread_mutex_newlock(t_systhread_mutex *pmutex, long flags);

/// A condition variable in *pcond (null on failure); `flags` is unused.
C74_API long systhread_cond_new(t_systhread_cond *pcond, long flags);
C74_API long systhread_cond_free(t_systhread_cond pcond);
/// Unlocks the locked mutex, waits for a signal, locks it again. May wake
/// without a signal: wait in a loop that checks the condition.
C74_API long systhread_cond_wait(t_systhread_cond pcond, t_systhread_mutex pmutex);
C74_API long systhread_cond_signal(t_systhread_cond pcond);
C74_API long systhread_cond_broadcast(t_systhread_cond pcond);

/// A key for a value per thread in *key; `destructor` (may be null) gets a
/// thread's non-null value when that thread ends.
C74_API long systhread_key_create(t_systhread_key *key, void (*destructor)(void *));
C74_API long systhread_key_delete(t_systhread_key key);
/// The calling thread's value for the key, null when none was set.
C74_API void *systhread_getspecific(t_systhread_key key);
C74_API long systhread_setspecific(t_systhread_key key, const void *value);

END_USING_C_LINKAGE

#endif
