// Number conversions shared by dispatch, attributes and atom accessors.
#pragma once

#include "ext_mess.h"

#include <cmath>
#include <limits>

namespace kit::rt {

/// A float as a long: truncated toward zero, clamped to the long's range,
/// NaN as 0 (a plain cast would be undefined for those).
inline t_atom_long float_to_long(double f) {
  if (std::isnan(f))
    return 0;
  // The magnitude of the lowest long is a power of two, exact as a double,
  // and the first value above the highest long.
  constexpr double upper = -static_cast<double>(std::numeric_limits<t_atom_long>::min());
  if (f >= upper)
    return std::numeric_limits<t_atom_long>::max();
  if (f < -upper)
    return std::numeric_limits<t_atom_long>::min();
  return static_cast<t_atom_long>(f);
}

inline bool is_number(const t_atom &a) {
  return a.a_type == A_LONG || a.a_type == A_FLOAT;
}

} // namespace kit::rt
