// Critical regions as Windows critical sections (recursive already).
#include "ext.h"
#include "ext_critical.h"

#include <windows.h>

#include <new>

namespace {

CRITICAL_SECTION *make_section() {
  auto *section = new (std::nothrow) CRITICAL_SECTION;
  if (section)
    InitializeCriticalSection(section);
  return section;
}

CRITICAL_SECTION *region(t_critical x) {
  // Never destroyed: threads may hold it while the process exits.
  static CRITICAL_SECTION *global = make_section();
  return x ? x : global;
}

} // namespace

void critical_new(t_critical *x) {
  if (!x) {
    error("critical_new: no place for the region");
    return;
  }
  *x = make_section();
  if (!*x)
    error("critical_new: out of memory");
}

void critical_enter(t_critical x) {
  EnterCriticalSection(region(x));
}

void critical_exit(t_critical x) {
  LeaveCriticalSection(region(x));
}

void critical_free(t_critical x) {
  if (!x)
    return;
  DeleteCriticalSection(x);
  delete x;
}

short critical_tryenter(t_critical x) {
  return TryEnterCriticalSection(region(x)) ? 0 : 1;
}
