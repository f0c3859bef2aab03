#include "system/thread.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <sched.h>

#include "system/memory.h"
#include "system/thread_start.h"

static_assert(sizeof(pthread_t) <= sizeof(Thread::Handle), "a thread identifier fits a handle");

namespace {

void *run(void *block) {
  const ThreadStart start = ThreadStart::take(block);
  return reinterpret_cast<void *>(static_cast<std::intptr_t>(start.function(start.argument)));
}

// pthread_t is an integer on some systems and a pointer on others.
pthread_t identifier(Thread::Handle thread) {
  pthread_t id{};
  std::memcpy(&id, &thread, sizeof id);
  return id;
}

Thread::Handle handle(pthread_t id) {
  Thread::Handle thread = 0;
  std::memcpy(&thread, &id, sizeof id);
  return thread;
}

} // namespace

Thread::Handle Thread::Create(Function function, void *argument) {
  ThreadStart *start = ThreadStart::make(function, argument);
  if (start == nullptr)
    return 0;
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) {
    Memory::Free(start);
    return 0;
  }
  pthread_t thread;
  const int result = pthread_create(&thread, &attributes, run, start);
  pthread_attr_destroy(&attributes);
  if (result != 0) {
    Memory::Free(start);
    return 0;
  }
  return handle(thread);
}

// Linux keeps 15 characters and takes the thread to name; macOS keeps 63 and
// names only the calling thread (that form is written from the system's
// documentation and has not run here: the kit is built and tested on Linux).
void Thread::Name(const char *name) {
#ifdef __linux__
  char shortName[16];
  std::snprintf(shortName, sizeof shortName, "%s", name);
  pthread_setname_np(pthread_self(), shortName);
#elif defined(__APPLE__)
  char shortName[64];
  std::snprintf(shortName, sizeof shortName, "%s", name);
  pthread_setname_np(shortName);
#else
  (void)name;
#endif
}

void Thread::Sleep(int milliseconds) {
  if (milliseconds <= 0)
    return;
  timespec left{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal handled on this thread must not cut the pause short.
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

int Thread::Join(Handle thread) {
  if (thread == 0)
    return -1;
  void *result = nullptr;
  if (pthread_join(identifier(thread), &result) != 0 || result == PTHREAD_CANCELED)
    return -1;
  return static_cast<int>(reinterpret_cast<std::intptr_t>(result));
}

int Thread::Terminate(Handle thread) {
  if (thread == 0)
    return ESRCH;
  return pthread_cancel(identifier(thread));
}

int Thread::SetPriority(Handle thread, int level) {
  if (thread == 0)
    return ESRCH;
  int policy = 0;
  sched_param current{};
  int result = pthread_getschedparam(identifier(thread), &policy, &current);
  if (result != 0)
    return result;
  sched_param wanted{};
  if (level >= -1 && level <= 1) {
    // Low, normal and high around the middle of the policy's range.
    const int low = sched_get_priority_min(policy);
    const int high = sched_get_priority_max(policy);
    int priority = (low + high) / 2 + level;
    if (priority < low)
      priority = low;
    if (priority > high)
      priority = high;
    wanted.sched_priority = priority;
  }
  return pthread_setschedparam(identifier(thread), policy, &wanted);
}

void Thread::Suspend(Handle) {}
void Thread::Resume(Handle) {}
