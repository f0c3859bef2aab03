// How deep messages nest. Outlets call methods that call outlets: a patch
// that loops back on itself would overflow the stack, so a chain nested
// deeper than the limit is cut. The cut abandons the whole chain, down to
// the outermost delivery (a message box, a clock, a deferred call): every
// message still to go out in it is dropped too, since a loop with fan-out
// would otherwise go on with the siblings of the dropped message, its work
// growing as 2^depth. An outlet returns 0 while its chain is cut, so that an
// object handing out events that do not belong together (bytes, datagrams)
// stops there and hands the rest out in a later delivery of its own.
//
// Threads: the host's main thread, as outlets are.
#pragma once

namespace kit::rt {

inline constexpr int max_nesting = 1000;
/// Messages nested now: outlets and outermost deliveries.
inline int nesting = 0;
/// max_nesting, or 0 while a cut chain unwinds: every outlet then refuses.
inline int nesting_limit = max_nesting;

/// Whether a cut chain is unwinding: fan-out stops sending.
inline bool chain_cut() {
  return nesting_limit == 0;
}

/// One outermost delivery: a chain starts afresh here, and a cut inside it
/// ends here. The host's entry points (Host::send, clocks, deferred calls)
/// hold one around the method they call.
class Delivery {
public:
  Delivery() {
    if (nesting == 0)
      nesting_limit = max_nesting;
    ++nesting;
  }
  ~Delivery() { --nesting; }
  Delivery(const Delivery &) = delete;
  Delivery &operator=(const Delivery &) = delete;
};

} // namespace kit::rt
