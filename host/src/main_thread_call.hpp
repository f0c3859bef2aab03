// The kinds of call that are for the host's main thread, which the thread
// rules check (thread_rules.hpp) and report separately.
#pragma once

#include <cstdint>

namespace kit::rt {

enum class MainThreadCall : uint8_t { outlet, send, clock_release, qelem_release };

} // namespace kit::rt
