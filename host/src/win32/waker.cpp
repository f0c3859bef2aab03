// Waking the loop on Windows: an auto-reset event. Descriptors cannot be
// waited on together with it, so `fd` is not watched here.
#include "platform.hpp"

#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace kit::platform {

Waker::Waker() {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!event) {
    std::fprintf(stderr, "kit host: cannot make the loop's wake-up event\n");
    std::abort();
  }
  native_[0] = reinterpret_cast<intptr_t>(event);
}

Waker::~Waker() {
  CloseHandle(reinterpret_cast<HANDLE>(native_[0]));
}

void Waker::wake() {
  if (pending_.exchange(true, std::memory_order_acq_rel))
    return;
  SetEvent(reinterpret_cast<HANDLE>(native_[0]));
}

bool Waker::wait(int, std::optional<std::chrono::nanoseconds> timeout) {
  DWORD ms = INFINITE;
  if (timeout) {
    // Rounded up, so a clock is never woken for before it is due.
    const auto count = (std::max<int64_t>(0, timeout->count()) + 999999) / 1000000;
    ms = count >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(count);
  }
  if (WaitForSingleObject(reinterpret_cast<HANDLE>(native_[0]), ms) == WAIT_OBJECT_0)
    pending_.store(false, std::memory_order_release);
  return false;
}

} // namespace kit::platform
