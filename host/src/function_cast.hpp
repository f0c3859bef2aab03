// Module functions are registered as `method` and called with their real
// signature; the cast goes through void(*)(), the type that stands for any
// function, so the compiler sees that it is meant.
#pragma once

#include "ext_mess.h"

namespace kit::rt {

template <class F> F function_cast(method fn) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(fn));
}

/// The host's own functions handed over as a `method` (a clock's, an
/// attribute's), the other way round.
template <class F> method to_method(F *fn) {
  return reinterpret_cast<method>(reinterpret_cast<void (*)()>(fn));
}

} // namespace kit::rt
