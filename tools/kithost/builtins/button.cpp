// button: any message that reaches it becomes a bang.
#include "builtins_internal.hpp"

namespace kithost::builtins {

namespace {

struct Button {
  t_object header;
  void *out;
};

t_class *button_class = nullptr;

void *button_new() {
  auto *x = static_cast<Button *>(object_alloc(button_class));
  if (x)
    x->out = bangout(x);
  return x;
}

void button_bang(Button *x) {
  outlet_bang(x->out);
}
void button_int(Button *x, t_atom_long) {
  button_bang(x);
}
void button_float(Button *x, double) {
  button_bang(x);
}
void button_anything(Button *x, t_symbol *, long, t_atom *) {
  button_bang(x);
}

void button_assist(Button *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(anything) makes a bang" : "(bang)");
}

} // namespace

void define_button() {
  button_class = class_new("button", reinterpret_cast<method>(button_new), nullptr, sizeof(Button),
                           nullptr, 0);
  class_addmethod(button_class, reinterpret_cast<method>(button_bang), "bang", 0);
  class_addmethod(button_class, reinterpret_cast<method>(button_int), "int", A_LONG, 0);
  class_addmethod(button_class, reinterpret_cast<method>(button_float), "float", A_FLOAT, 0);
  class_addmethod(button_class, reinterpret_cast<method>(button_anything), "list", A_GIMME, 0);
  class_addmethod(button_class, reinterpret_cast<method>(button_anything), "anything", A_GIMME, 0);
  class_addmethod(button_class, reinterpret_cast<method>(button_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, button_class);
}

} // namespace kithost::builtins
