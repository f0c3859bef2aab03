// deferlow: every message out again later, from the host's low-priority
// queue (after what runs now has finished), in the order they came.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <limits>

namespace kithost::builtins {

namespace {

struct Deferlow {
  t_object header;
  void *out;
};

t_class *deferlow_class = nullptr;

void *deferlow_new() {
  auto *x = static_cast<Deferlow *>(object_alloc(deferlow_class));
  if (x)
    x->out = outlet_new(x, nullptr);
  return x;
}

void deferlow_later(Deferlow *x, t_symbol *s, short argc, t_atom *argv) {
  outlet_message(&x->header, x->out, s, argc, argv);
}

void deferlow_anything(Deferlow *x, t_symbol *s, long argc, t_atom *argv) {
  // The queue counts atoms in a short, as outlets do.
  if (argc > std::numeric_limits<short>::max()) {
    error("deferlow: a message of %ld atoms is too long to send", argc);
    return;
  }
  defer_low(x, reinterpret_cast<method>(deferlow_later), s, static_cast<short>(argc), argv);
}

void deferlow_assist(Deferlow *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(anything) to send later" : "(anything) later");
}

} // namespace

void define_deferlow() {
  deferlow_class = class_new("deferlow", reinterpret_cast<method>(deferlow_new), nullptr,
                             sizeof(Deferlow), nullptr, 0);
  add_message_methods<Deferlow, deferlow_anything>(deferlow_class);
  class_addmethod(deferlow_class, reinterpret_cast<method>(deferlow_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, deferlow_class);
}

} // namespace kithost::builtins
