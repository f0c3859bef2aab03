// iter: a list's atoms one at a time, left to right, each as the message a
// message box holding it sends (a number as an int or float). A message's
// selector goes first.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Iter {
  t_object header;
  void *out;
};

t_class *iter_class = nullptr;

void *iter_new() {
  auto *x = static_cast<Iter *>(object_alloc(iter_class));
  if (x)
    x->out = outlet_new(x, nullptr);
  return x;
}

void iter_anything(Iter *x, t_symbol *s, long argc, t_atom *argv) {
  std::vector<t_atom> atoms = message_atoms(s, argc, argv);
  for (t_atom &atom : atoms)
    outlet_atoms(&x->header, x->out, {&atom, 1});
}

void iter_assist(Iter *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(list) to send one atom at a time" : "(atom) each");
}

} // namespace

void define_iter() {
  iter_class =
      class_new("iter", reinterpret_cast<method>(iter_new), nullptr, sizeof(Iter), nullptr, 0);
  add_message_methods<Iter, iter_anything>(iter_class);
  class_addmethod(iter_class, reinterpret_cast<method>(iter_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, iter_class);
}

} // namespace kithost::builtins
