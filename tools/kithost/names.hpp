// Names shared by the whole run, as the visual host has them: what a `send
// NAME` box, a message box's "; NAME message" line and --send reach. Objects
// bind themselves to a name (receive, value); a message sent to the name goes
// to each of them, in the order they were bound. One registry per process.
//
// Threads: the host's main thread, as messages are.
#pragma once

#include "ext.h"

#include <cstddef>
#include <span>

namespace kithost::names {

/// What a bound object does with a message sent to its name; `argv` is the
/// object's own copy, which it may change.
using Receiver = void (*)(t_object *x, t_symbol *selector, long argc, t_atom *argv);

/// Binds `x` to `name`: from the next message sent to the name on, it is
/// called with each (an object bound twice is called twice).
void bind(t_symbol *name, t_object *x, Receiver receive);

/// Undoes every binding of `x` to `name` at once, also while a message is
/// being sent to the name (it is not called from then on). Objects unbind
/// in their free routine.
void unbind(t_symbol *name, t_object *x);

/// Sends the message to every object bound to `name`. Returns how many
/// objects it reached: 0 when nothing is bound to the name.
std::size_t send(t_symbol *name, t_symbol *selector, std::span<const t_atom> atoms);

} // namespace kithost::names
