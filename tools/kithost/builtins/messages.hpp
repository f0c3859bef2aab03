// Messages as the built-in classes take them apart and send them on: a
// message as a list of atoms, atoms as the message a message box makes of
// them, and a message sent out as it came.
//
// Threads: the host's main thread, as outlets are.
#pragma once

#include "ext.h"
#include "ext_obex.h"

#include <span>
#include <vector>

namespace kithost::builtins {

/// The message's atoms as a list: those of an int, float or list; none for
/// a bang; else the selector followed by its atoms ("foo 1" -> foo 1).
std::vector<t_atom> message_atoms(t_symbol *selector, long argc, const t_atom *argv);

/// Sends the message out of `out` as it is: bang, int, float, list,
/// or any other selector. `x` owns the outlet; it is named in the error a
/// message too long for an outlet gets (it is then not sent).
void outlet_message(t_object *x, void *out, t_symbol *selector, long argc, t_atom *argv);

/// A message: its selector and a view of its atoms.
struct MessageView {
  t_symbol *selector;
  std::span<t_atom> atoms;
};

/// The message a message box holding these atoms sends: no atoms is a bang,
/// one number an int or float, more starting with a number a list, else the
/// first symbol is the selector of the rest ("bang" alone a bang).
MessageView as_message(std::span<t_atom> atoms);

/// Sends atoms as the message as_message makes of them.
void outlet_atoms(t_object *x, void *out, std::span<t_atom> atoms);

/// A float as a long, as the host converts one (truncated toward zero,
/// clamped to the long's range, NaN as 0).
t_atom_long float_to_long(double f);

/// Whether an atom is a long or a float.
inline bool is_number(const t_atom &a) {
  return a.a_type == A_LONG || a.a_type == A_FLOAT;
}

/// Whether two atoms are the same: numbers by value (5 equals 5.0), symbols
/// by identity.
bool same_atom(const t_atom &a, const t_atom &b);

} // namespace kithost::builtins
