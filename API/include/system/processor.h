// The processor a thread runs on, and the pause of a thread that polls: for
// code that spins briefly on a value another thread is about to change before
// it sleeps.
//
// Thread rules: any thread.
#pragma once

class Processor {
public:
  // The number of the processor the calling thread runs on at this moment
  // (it may move on at once), or -1 where the platform does not tell.
  static int Current();

  // Tells the processor that the caller is polling a value that another
  // processor is about to change: it yields its execution resources to a
  // sibling thread for a moment. Nothing where the processor has no such hint.
  static void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    __asm__ __volatile__("yield");
#endif
  }
};
