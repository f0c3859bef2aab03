#include "system/processor.h"

#ifdef __linux__
#include <sched.h>
#elif defined(__APPLE__)
#include <cstddef>
#include <pthread.h>
#endif

// The macOS form is written from the system's documentation and has not run
// here: the kit is built and tested on Linux.
int Processor::Current() {
#ifdef __linux__
  return sched_getcpu();
#elif defined(__APPLE__)
  if (__builtin_available(macOS 11.0, *)) {
    std::size_t number = 0;
    if (pthread_cpu_number_np(&number) == 0)
      return static_cast<int>(number);
  }
  return -1;
#else
  return -1;
#endif
}
