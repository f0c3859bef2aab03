// Timed waits on condition variables of POSIX threads, for code that uses
// those directly (winpthreads on Windows): a wait is bounded by a duration,
// measured where the platform allows on a clock that setting the system's
// time does not move.
//
// Thread rules: as for the platform's condition variables. Init before any
// wait, by the variable's owner; WaitFor by a thread that holds the mutex.
#pragma once

#include <pthread.h>

#include <chrono>

class Condition {
public:
  // Initialises the condition variable for WaitFor. Returns 0, or the
  // platform's error code (the variable must not be used then).
  static int Init(pthread_cond_t *condition);

  // Releases the mutex and waits until the condition variable is signalled or
  // the time (not negative) has passed, then holds the mutex again. As with
  // any condition variable, the caller tests its condition afterwards.
  static void WaitFor(pthread_cond_t *condition, pthread_mutex_t *mutex,
                      std::chrono::nanoseconds time);
};
