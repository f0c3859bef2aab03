// Checks of the thread rules: outlets, Host::send and freeing a clock or a
// qelem are for the host's main thread (the one that made the host or last
// ran the loop). A call made from another thread still happens as asked;
// debug and sanitizer builds (KIT_CHECK_THREADS, set by the build for
// CMAKE_BUILD_TYPE Debug or KIT_SANITIZE) report it on the console, naming
// the call: "CLASS: outlet called off the main thread", "CLASS: Host::send
// called off the main thread", "CLASS: clock freed off the main thread",
// "CLASS: qelem freed off the main thread" (without "CLASS: " when no object
// is concerned), once per object and kind of call, so that a worker thread
// reaching the patch shows instead of corrupting it in silence. Other builds
// carry no check at all.
//
// Threads: any.
#pragma once

#include "main_thread_call.hpp"
#include "scheduler.hpp"

#include <cstdint>

namespace kit::rt {

#ifdef KIT_CHECK_THREADS
/// Reports the call unless it was reported for `object` already;
/// `class_name` is null when `object` is no object.
void report_off_main_thread(MainThreadCall call, const void *object, const char *class_name);
/// Forgets the reports of a freed object: another object may take its place.
void forget_off_main_thread_reports(const void *object);
#endif

/// Reports a call made off the main thread (checking builds only).
/// `class_name()` names the object's class (null for none), and runs only
/// to report.
template <class ClassName>
inline void check_main_thread([[maybe_unused]] MainThreadCall call,
                              [[maybe_unused]] const void *object,
                              [[maybe_unused]] ClassName &&class_name) {
#ifdef KIT_CHECK_THREADS
  if (Scheduler::get().off_main_thread()) [[unlikely]]
    report_off_main_thread(call, object, class_name());
#endif
}

} // namespace kit::rt
