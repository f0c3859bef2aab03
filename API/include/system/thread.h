// Threads of the support library: start a function on a new thread, pause
// the calling thread, and the further operations (join, cancel, priority).
//
// Thread rules: every operation may be called from any thread. A handle may
// be joined (or cancelled) by one thread only, once.
#pragma once

#include <cstdint>

class Thread {
public:
  // Names a started thread: the platform's thread identifier on POSIX, the
  // thread handle on Windows. 0 means no thread.
  using Handle = std::uintptr_t;

  // A thread runs function(argument); its result is the thread's exit value.
  using Function = int (*)(void *argument);

  // Starts function(argument) at once on a new thread with the platform's
  // default attributes. Returns its handle, or 0 when the function is null or
  // the platform refuses a new thread (then nothing was started). The thread
  // is joinable; a thread that is never joined keeps its resources until the
  // process ends (fine for threads that run for the life of the process).
  static Handle Create(Function function, void *argument);

  // Names the calling thread for process listings and debuggers (Linux: at
  // most 15 characters are kept; macOS: 63; Windows: the thread
  // description). Without the platform's support, nothing happens.
  static void Name(const char *name);

  // Suspends the calling thread for milliseconds ms; 0 or less returns at
  // once.
  static void Sleep(int milliseconds);

  // Waits until the thread ends and returns its exit value. The handle is
  // spent afterwards. Returns -1 at once for the handle 0, and -1 for a thread
  // that was cancelled or could not be joined.
  static int Join(Handle thread);

#ifndef _WIN32
  // Requests cancellation of the thread (POSIX cancellation: it ends at its
  // next cancellation point). Returns the platform's result, 0 on success;
  // non-zero for the handle 0. A cancelled thread must still be joined to
  // release it. Not in the Windows build.
  static int Terminate(Handle thread);
#endif

  // Sets the thread's scheduling priority under its current policy: level 1
  // high, 0 normal, -1 low, any other level the priority 0. POSIX: levels
  // 1, 0, -1 take the middle of the policy's range plus 1, 0, -1 (clamped to
  // the range; under the default time-sharing policy the range is 0 … 0).
  // Windows: above normal, normal, below normal. Returns the platform's
  // result, 0 on success; non-zero for the handle 0.
  static int SetPriority(Handle thread, int level);

  // Do nothing.
  static void Suspend(Handle thread);
  static void Resume(Handle thread);
};
