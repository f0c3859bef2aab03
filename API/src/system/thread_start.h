// The start block of a new thread, shared by the POSIX and Windows builds.
// The platform's thread entry has another signature than Thread::Function:
// the block carries the pair across and is freed by the new thread.
//
// Thread rules: make() on the creating thread; take() once, on the new
// thread, or Memory::Free on the creating thread when no thread started.
#pragma once

#include "system/memory.h"
#include "system/thread.h"

struct ThreadStart {
  Thread::Function function;
  void *argument;

  // A block for function(argument), or null when the function is null or no
  // memory is left.
  static ThreadStart *make(Thread::Function function, void *argument) {
    if (function == nullptr)
      return nullptr;
    auto *start = static_cast<ThreadStart *>(Memory::Alloc(sizeof(ThreadStart)));
    if (start == nullptr)
      return nullptr;
    start->function = function;
    start->argument = argument;
    return start;
  }

  // The pair in the block passed to the thread entry; frees the block.
  static ThreadStart take(void *block) {
    const ThreadStart start = *static_cast<ThreadStart *>(block);
    Memory::Free(block);
    return start;
  }
};
