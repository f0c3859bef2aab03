// Critical regions as recursive POSIX mutexes.
#include "ext.h"
#include "ext_critical.h"

#include <pthread.h>

#include <new>

namespace {

pthread_mutex_t *make_recursive() {
  auto *mutex = new (std::nothrow) pthread_mutex_t;
  if (!mutex)
    return nullptr;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(mutex, &attr);
  pthread_mutexattr_destroy(&attr);
  return mutex;
}

pthread_mutex_t *region(t_critical x) {
  // Never destroyed: threads may hold it while the process exits.
  static pthread_mutex_t *global = make_recursive();
  return x ? x : global;
}

} // namespace

void critical_new(t_critical *x) {
  if (!x) {
    error("critical_new: no place for the region");
    return;
  }
  *x = make_recursive();
  if (!*x)
    error("critical_new: out of memory");
}

void critical_enter(t_critical x) {
  pthread_mutex_lock(region(x));
}

void critical_exit(t_critical x) {
  pthread_mutex_unlock(region(x));
}

void critical_free(t_critical x) {
  if (!x)
    return;
  pthread_mutex_destroy(x);
  delete x;
}

short critical_tryenter(t_critical x) {
  return pthread_mutex_trylock(region(x)) == 0 ? 0 : 1;
}
