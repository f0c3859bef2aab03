#include "messages.hpp"

#include <limits>

namespace kithost::builtins {

std::vector<t_atom> message_atoms(t_symbol *selector, long argc, const t_atom *argv) {
  std::vector<t_atom> atoms;
  const bool numbers =
      selector == gensym("int") || selector == gensym("float") || selector == gensym("list");
  if (!numbers && selector != gensym("bang")) {
    atoms.emplace_back();
    atom_setsym(&atoms.back(), selector);
  }
  atoms.insert(atoms.end(), argv, argv + (argc > 0 ? argc : 0));
  return atoms;
}

void outlet_message(t_object *x, void *out, t_symbol *selector, long argc, t_atom *argv) {
  // Outlets count atoms in a short.
  if (argc > std::numeric_limits<short>::max()) {
    error("%s: a message of %ld atoms is too long to send", object_classname(x)->s_name, argc);
    return;
  }
  const auto count = static_cast<short>(argc > 0 ? argc : 0);
  if (selector == gensym("bang") && count == 0)
    outlet_bang(out);
  else if (selector == gensym("int") && count == 1 && is_number(argv[0]))
    outlet_int(out, atom_getlong(argv));
  else if (selector == gensym("float") && count == 1 && is_number(argv[0]))
    outlet_float(out, atom_getfloat(argv));
  else if (selector == gensym("list"))
    outlet_list(out, selector, count, argv);
  else
    outlet_anything(out, selector, count, argv);
}

MessageView as_message(std::span<t_atom> atoms) {
  if (atoms.empty())
    return {gensym("bang"), atoms};
  const t_atom &first = atoms.front();
  if (first.a_type == A_SYM)
    return {first.a_w.w_sym, atoms.subspan(1)};
  if (atoms.size() > 1)
    return {gensym("list"), atoms};
  return {gensym(first.a_type == A_FLOAT ? "float" : "int"), atoms};
}

void outlet_atoms(t_object *x, void *out, std::span<t_atom> atoms) {
  const MessageView message = as_message(atoms);
  outlet_message(x, out, message.selector, static_cast<long>(message.atoms.size()),
                 message.atoms.data());
}

t_atom_long float_to_long(double f) {
  t_atom value;
  atom_setfloat(&value, f);
  return atom_getlong(&value);
}

bool same_atom(const t_atom &a, const t_atom &b) {
  if (is_number(a) && is_number(b)) {
    if (a.a_type == A_LONG && b.a_type == A_LONG)
      return a.a_w.w_long == b.a_w.w_long;
    return atom_getfloat(&a) == atom_getfloat(&b);
  }
  return a.a_type == A_SYM && b.a_type == A_SYM && a.a_w.w_sym == b.a_w.w_sym;
}

} // namespace kithost::builtins
