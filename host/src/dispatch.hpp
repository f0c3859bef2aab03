// Message delivery: from an inlet to the receiver's method, by the rules
// described in ext_obex.h (typed arguments, the fallbacks for a selector
// without a method, proxy inlets).
//
// Threads: the host's main thread.
#pragma once

#include "objects.hpp"

namespace kit::rt {

/// Delivers a message arriving at an inlet.
void deliver(Inlet &in, t_symbol *selector, short argc, t_atom *argv);

/// The class name of an object, for console messages.
const char *class_name_of(const t_object *x);

/// Delivers a message to an object's own (leftmost) inlet. True when a
/// method or attribute took it; false when it was reported instead.
bool dispatch_message(t_object *x, t_symbol *selector, short argc, t_atom *argv);

/// Messages with the selector "error" sent out of any outlet so far (an
/// object's way of reporting a failure to the patch). Any thread.
long outlet_errors_seen();

} // namespace kit::rt
