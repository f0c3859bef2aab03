// inlet and outlet: the boxes through which a subpatcher talks to the patch
// around it. Each passes every message on unchanged, so a subpatcher works
// as if its boxes stood in the outer patch.
#include "builtins_internal.hpp"

namespace kithost::builtins {

namespace {

struct Relay {
  t_object header;
  void *out;
};

t_class *inlet_class = nullptr;
t_class *outlet_class = nullptr;

void *relay_make(t_class *c) {
  auto *x = static_cast<Relay *>(object_alloc(c));
  if (x)
    x->out = outlet_new(x, nullptr);
  return x;
}
void *inlet_new() {
  return relay_make(inlet_class);
}
void *outlet_box_new() {
  return relay_make(outlet_class);
}

void relay_bang(Relay *x) {
  outlet_bang(x->out);
}
void relay_int(Relay *x, t_atom_long n) {
  outlet_int(x->out, n);
}
void relay_float(Relay *x, double f) {
  outlet_float(x->out, f);
}
// Any-atoms methods get their count as a long, as the host passes it; the
// host never sends more atoms than an outlet's short count holds.
void relay_list(Relay *x, t_symbol *s, long argc, t_atom *argv) {
  outlet_list(x->out, s, static_cast<short>(argc), argv);
}
void relay_anything(Relay *x, t_symbol *s, long argc, t_atom *argv) {
  outlet_anything(x->out, s, static_cast<short>(argc), argv);
}

void relay_assist(Relay *, void *, long, long, char *text) {
  copy_assist(text, "(anything) passed on");
}

t_class *define_relay(const char *name, method make) {
  t_class *c = class_new(name, make, nullptr, sizeof(Relay), nullptr, 0);
  class_addmethod(c, reinterpret_cast<method>(relay_bang), "bang", 0);
  class_addmethod(c, reinterpret_cast<method>(relay_int), "int", A_LONG, 0);
  class_addmethod(c, reinterpret_cast<method>(relay_float), "float", A_FLOAT, 0);
  class_addmethod(c, reinterpret_cast<method>(relay_list), "list", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(relay_anything), "anything", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(relay_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

void define_inlet() {
  inlet_class = define_relay("inlet", reinterpret_cast<method>(inlet_new));
}

void define_outlet() {
  outlet_class = define_relay("outlet", reinterpret_cast<method>(outlet_box_new));
}

} // namespace kithost::builtins
