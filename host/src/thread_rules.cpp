// Reports of calls made off the main thread (see thread_rules.hpp).
#include "thread_rules.hpp"

#ifdef KIT_CHECK_THREADS

#include <mutex>
#include <set>
#include <utility>

namespace kit::rt {
namespace {

struct Reported {
  std::mutex mutex;
  std::set<std::pair<const void *, MainThreadCall>> calls; ///< guarded by mutex
};

Reported &reported() {
  // Never destroyed: module threads may still call outlets while the
  // process exits.
  static auto *instance = new Reported;
  return *instance;
}

} // namespace

void report_off_main_thread(MainThreadCall call, const void *object, const char *class_name) {
  Reported &r = reported();
  {
    std::lock_guard lock(r.mutex);
    if (!r.calls.emplace(object, call).second)
      return;
  }
  const char *what = call == MainThreadCall::outlet          ? "outlet called"
                     : call == MainThreadCall::send          ? "Host::send called"
                     : call == MainThreadCall::clock_release ? "clock freed"
                                                             : "qelem freed";
  if (class_name)
    error("%s: %s off the main thread", class_name, what);
  else
    error("%s off the main thread", what);
}

void forget_off_main_thread_reports(const void *object) {
  Reported &r = reported();
  std::lock_guard lock(r.mutex);
  std::erase_if(r.calls, [object](const auto &entry) { return entry.first == object; });
}

} // namespace kit::rt

#endif
