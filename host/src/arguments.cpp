// Atoms to typed arguments (see arguments.hpp).
#include "arguments.hpp"
#include "conversions.hpp"
#include "symbols.hpp"

namespace kit::rt {

Fit convert_arguments(const Signature &sig, std::span<const t_atom> atoms, Word *words) {
  for (size_t i = 0; i < sig.count; ++i) {
    const int type = sig.types[i];
    if (i >= atoms.size()) {
      switch (type) {
      case A_DEFLONG:
        words[i].l = 0;
        break;
      case A_DEFFLOAT:
        words[i].f = 0;
        break;
      case A_DEFSYM:
        words[i].s = common_symbols().empty;
        break;
      default:
        return Fit::bad;
      }
      continue;
    }
    const t_atom &a = atoms[i];
    switch (type) {
    case A_LONG:
    case A_DEFLONG:
      if (a.a_type == A_LONG)
        words[i].l = a.a_w.w_long;
      else if (a.a_type == A_FLOAT)
        words[i].l = float_to_long(a.a_w.w_float);
      else
        return Fit::bad;
      break;
    case A_FLOAT:
    case A_DEFFLOAT:
      if (a.a_type == A_FLOAT)
        words[i].f = a.a_w.w_float;
      else if (a.a_type == A_LONG)
        words[i].f = static_cast<double>(a.a_w.w_long);
      else
        return Fit::bad;
      break;
    default:
      if (a.a_type != A_SYM || !a.a_w.w_sym)
        return Fit::bad;
      words[i].s = a.a_w.w_sym;
      break;
    }
  }
  return atoms.size() > sig.count ? Fit::extra : Fit::ok;
}

} // namespace kit::rt
