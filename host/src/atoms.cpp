// Atom accessors. A getter given an atom of another type converts numbers
// (a float to a long truncates toward zero, clamped to the long's range) and
// answers 0 or the empty symbol otherwise.
#include "conversions.hpp"
#include "ext.h"
#include "symbols.hpp"

t_max_err atom_setlong(t_atom *a, t_atom_long b) {
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->a_type = A_LONG;
  a->a_w.w_long = b;
  return MAX_ERR_NONE;
}

t_max_err atom_setfloat(t_atom *a, double b) {
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->a_type = A_FLOAT;
  a->a_w.w_float = b;
  return MAX_ERR_NONE;
}

t_max_err atom_setsym(t_atom *a, t_symbol *b) {
  if (!a)
    return MAX_ERR_INVALID_PTR;
  a->a_type = A_SYM;
  a->a_w.w_sym = b ? b : kit::rt::common_symbols().empty;
  return MAX_ERR_NONE;
}

t_atom_long atom_getlong(const t_atom *a) {
  if (!a)
    return 0;
  if (a->a_type == A_LONG)
    return a->a_w.w_long;
  if (a->a_type == A_FLOAT)
    return kit::rt::float_to_long(a->a_w.w_float);
  return 0;
}

t_atom_float atom_getfloat(const t_atom *a) {
  if (!a)
    return 0;
  if (a->a_type == A_FLOAT)
    return a->a_w.w_float;
  if (a->a_type == A_LONG)
    return static_cast<t_atom_float>(a->a_w.w_long);
  return 0;
}

t_symbol *atom_getsym(const t_atom *a) {
  if (a && a->a_type == A_SYM && a->a_w.w_sym)
    return a->a_w.w_sym;
  return kit::rt::common_symbols().empty;
}
