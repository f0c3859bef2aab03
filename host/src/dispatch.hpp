// Message delivery: from an inlet to the receiver's method, with the
// conversions the host applies.
//
// A message goes to the method registered for its selector, its atoms
// converted to the method's argument types: a long argument takes a long or
// a float (truncated toward zero), a float argument a float or a long, a
// symbol argument only a symbol; a missing optional argument is 0, 0.0 or
// the empty symbol. A missing required argument or a wrong type is
// reported as "CLASS: bad arguments for message "SEL"" and the method is
// not called; extra atoms are reported and dropped, and the method is
// called. When the class has no method of that selector:
//   - "int" / "float" go to the float / int method (converted), else to the
//     list method as a one-atom list;
//   - "list" whose first atom is a number goes to the int or float method
//     with that atom (a long prefers the int method, a float the float
//     method); an empty list goes to the bang method;
//   - a selector naming an attribute sets it ("host 1.2.3.4");
//   - anything else goes to the "anything" method (A_GIMME) when there is
//     one, else is reported as "CLASS: doesn't understand "SEL"".
// A_CANT methods (assist) are never reached by messages.
// A proxy inlet (inlet4) turns an int, a float (truncated) or a list's first
// number into its selector with one long; anything else is reported.
//
// Threads: the host's main thread.
#pragma once

#include "objects.hpp"

namespace kit::rt {

/// Delivers a message arriving at an inlet.
void deliver(Inlet &in, t_symbol *selector, short argc, t_atom *argv);

/// Delivers a message to an object's own (leftmost) inlet.
void dispatch_message(t_object *x, t_symbol *selector, short argc, t_atom *argv);

/// Messages with the selector "error" sent out of any outlet so far (an
/// object's way of reporting a failure to the patch). Any thread.
long outlet_errors_seen();

} // namespace kit::rt
