// Typed arguments: the atoms of a message or of a box's creation arguments
// turned into the words a typed method or creation routine is called with,
// by the rules described in ext_obex.h.
//
// Threads: the host's main thread.
#pragma once

#include "classes.hpp"

#include <span>

namespace kit::rt {

/// How atoms fit a typed signature.
enum class Fit {
  ok,    ///< every argument filled, no atom left over
  extra, ///< every argument filled, atoms left over (dropped)
  bad,   ///< a wrong type or a missing required argument: do not call
};

/// Fills `words` (sig.count of them) from `atoms`. `words` is left
/// partly filled when the result is Fit::bad.
Fit convert_arguments(const Signature &sig, std::span<const t_atom> atoms, Word *words);

} // namespace kit::rt
