// Making objects: a class's creation routine called with atoms, as a box or
// object_new_typed does, or with untyped words, as object_new does (the rules
// are in ext_obex.h), with the records of a routine that refuses released.
//
// Threads: the host's main thread.
#pragma once

#include "classes.hpp"

#include <span>
#include <string>

namespace kit::rt {

/// Untyped arguments of object_new and object_method.
inline constexpr int untyped_words = 8;

/// Makes an object of `c` from atoms. Null with a reason in `error` when
/// the atoms do not fit, the routine is A_CANT, or it refused.
t_object *create_object(maxclass *c, std::span<const t_atom> args, std::string &error);
/// Makes an object of `c` from untyped words. Null with a reason in `error`
/// when the routine is A_GIMME or refused.
t_object *create_object(maxclass *c, void *const *words, std::string &error);

/// The words of an untyped call as the arguments of a typed signature: a
/// long, a symbol (null: the empty one), or the integer as a double.
void words_to_typed(const Signature &sig, void *const *words, Word *out);

} // namespace kit::rt
