#include "system/condition.h"

#include <ctime>

#include "system/deadline.h"

// winpthreads refuses any clock but CLOCK_REALTIME, and a deadline on another
// clock would end every wait at once. It measures the wait from the moment of
// the call, so a clock change during the wait does not stretch it.

int Condition::Init(pthread_cond_t *condition) {
  return pthread_cond_init(condition, nullptr);
}

void Condition::WaitFor(pthread_cond_t *condition, pthread_mutex_t *mutex,
                        std::chrono::nanoseconds time) {
  const timespec until = deadlineAfter(CLOCK_REALTIME, time);
  pthread_cond_timedwait(condition, mutex, &until);
}
