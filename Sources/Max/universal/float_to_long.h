// The objects' one conversion of a float to a long.
#pragma once

#include "ext.h"

#include <cmath>
#include <limits>

/// `f` truncated toward zero, saturated at the limits of a long; NaN gives 0.
/// Converting a float a long cannot hold is undefined, so no value reaches
/// the plain conversion unchecked. Any thread.
inline t_atom_long float_to_long(double f) {
  using limits = std::numeric_limits<t_atom_long>;
  // 2^(bits - 1), exact in a double: the first value above the range.
  constexpr double above = -static_cast<double>(limits::min());
  if (std::isnan(f))
    return 0;
  if (f >= above)
    return limits::max();
  if (f <= -above)
    return limits::min();
  return static_cast<t_atom_long>(f);
}
