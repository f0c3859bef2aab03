// The clock for the deadlines of pthread_cond_timedwait, for code that uses
// POSIX threads directly (winpthreads on Windows).
#pragma once

#include <time.h>

// POSIX: CLOCK_MONOTONIC (set it with pthread_condattr_setclock), which
// clock changes do not move. winpthreads refuses any clock but
// CLOCK_REALTIME, and a deadline on another clock would end every wait at
// once; it measures the wait from the moment of the call, so a clock change
// during the wait does not stretch it.
#ifdef _WIN32
inline constexpr clockid_t WaitClock = CLOCK_REALTIME;
#else
inline constexpr clockid_t WaitClock = CLOCK_MONOTONIC;
#endif
