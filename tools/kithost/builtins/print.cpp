// print [NAME]: every message it receives goes to the console as
// "NAME: TEXT" ("print" when no name is given).
#include "builtins_internal.hpp"

#include "kit/text.hpp"

#include <span>
#include <string>
#include <utility>

namespace kithost::builtins {

namespace {

struct Print {
  t_object header;
  t_symbol *name;
};

t_class *print_class = nullptr;
std::function<void(std::string_view)> print_sink;

void *print_new(t_symbol *name) {
  auto *x = static_cast<Print *>(object_alloc(print_class));
  if (x)
    x->name = (name && name->s_name[0]) ? name : gensym("print");
  return x;
}

void print_anything(Print *x, t_symbol *selector, long argc, t_atom *argv) {
  const std::string text =
      kit::format_message(selector, std::span<const t_atom>(argv, static_cast<size_t>(argc)));
  if (print_sink)
    print_sink(std::string(x->name->s_name) + ": " + text);
  else
    post("%s: %s", x->name->s_name, text.c_str());
}

void print_bang(Print *x) {
  print_anything(x, gensym("bang"), 0, nullptr);
}

void print_int(Print *x, t_atom_long n) {
  t_atom a;
  atom_setlong(&a, n);
  print_anything(x, gensym("int"), 1, &a);
}

void print_float(Print *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  print_anything(x, gensym("float"), 1, &a);
}

void print_assist(Print *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(anything) printed to the console" : "");
}

} // namespace

void define_print() {
  print_class = class_new("print", reinterpret_cast<method>(print_new), nullptr, sizeof(Print),
                          nullptr, A_DEFSYM, 0);
  class_addmethod(print_class, reinterpret_cast<method>(print_bang), "bang", 0);
  class_addmethod(print_class, reinterpret_cast<method>(print_int), "int", A_LONG, 0);
  class_addmethod(print_class, reinterpret_cast<method>(print_float), "float", A_FLOAT, 0);
  class_addmethod(print_class, reinterpret_cast<method>(print_anything), "list", A_GIMME, 0);
  class_addmethod(print_class, reinterpret_cast<method>(print_anything), "anything", A_GIMME, 0);
  class_addmethod(print_class, reinterpret_cast<method>(print_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, print_class);
}

void set_print_sink(std::function<void(std::string_view)> sink) {
  print_sink = std::move(sink);
}

} // namespace kithost::builtins
