// The objects' conversions of a float to an integer: to a long, and to the
// byte a number stands for.
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

/// The low 8 bits of `f` truncated toward zero, taken from the whole integer
/// however large (3e19 and 1e30 give 0, -1.5 gives 255), as the low byte of
/// a long is for values a long holds; NaN and the infinities give 0. Any
/// thread.
inline unsigned char float_low_byte(double f) {
  if (!std::isfinite(f))
    return 0;
  // fmod is exact, so this holds for magnitudes beyond any integer type.
  double low = std::fmod(std::trunc(f), 256.0);
  if (low < 0)
    low += 256.0;
  return static_cast<unsigned char>(low);
}
