#include "system/condition.h"

#include <ctime>

#include "system/deadline.h"

// Linux: the deadline is kept on CLOCK_MONOTONIC, which setting the time
// does not move. macOS has no pthread_condattr_setclock and waits a relative
// time instead (written from the system's documentation; it has not run
// here: the kit is built and tested on Linux).

int Condition::Init(pthread_cond_t *condition) {
#ifdef __APPLE__
  return pthread_cond_init(condition, nullptr);
#else
  pthread_condattr_t attributes;
  int result = pthread_condattr_init(&attributes);
  if (result != 0)
    return result;
  result = pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  if (result == 0)
    result = pthread_cond_init(condition, &attributes);
  pthread_condattr_destroy(&attributes);
  return result;
#endif
}

void Condition::WaitFor(pthread_cond_t *condition, pthread_mutex_t *mutex,
                        std::chrono::nanoseconds time) {
#ifdef __APPLE__
  const timespec relative = timespecOf(time);
  pthread_cond_timedwait_relative_np(condition, mutex, &relative);
#else
  const timespec until = deadlineAfter(CLOCK_MONOTONIC, time);
  pthread_cond_timedwait(condition, mutex, &until);
#endif
}
