// The transports' side of scheduling, for time objects (timeobject.cpp).
//
// Threads: the host's main thread.
#pragma once

#include "ext_itm.h"

namespace kit::rt {

/// `x` as a transport; the global one for null. Reports and answers null
/// for a pointer that is no transport.
t_itm *as_itm(void *x, const char *caller);
/// Arms `clock` to fire when the transport has moved `interval_ticks` on
/// from now, replacing what it was scheduled for. While the transport is
/// paused the clock stays unarmed and is armed on resume.
void itm_schedule(t_itm *itm, void *clock, double interval_ticks);
/// Forgets `clock` (and disarms it); nothing when it is not scheduled.
void itm_unschedule(t_itm *itm, void *clock);

} // namespace kit::rt
