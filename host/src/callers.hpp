// Calls into module functions with their real C signatures.
#pragma once

#include "classes.hpp"

namespace kit::rt {

/// Argument kinds as passed in C: a long, a double, a symbol pointer.
enum class ArgKind : uint8_t { long_, double_, symbol };

/// The kind of a typed argument code (A_LONG, A_DEFLONG, ...).
ArgKind arg_kind(int type_code);

/// The caller of a method (x, kinds...) / creation routine (kinds...) for
/// `count` arguments of the given kinds (count <= max_typed_args).
TypedCaller typed_caller(int count, const ArgKind *kinds);
CreationCaller creation_caller(int count, const ArgKind *kinds);

} // namespace kit::rt
