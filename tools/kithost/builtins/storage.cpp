// int [N] (i) and float [F] (f): one number kept. A number into the left
// inlet is kept and sent; a bang sends the kept one; a list "A B" keeps A
// and sends it; "set N" keeps N without output; the right inlet keeps a
// number without output. int truncates floats; the argument is the number
// kept at first (0).
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct Storage {
  t_object header;
  void *out;
  void *proxy;
  long inlet;
  bool floating;
  t_atom value; ///< a long or a float, by the class
};

t_class *int_class = nullptr;
t_class *float_class = nullptr;

void keep(Storage *x, const t_atom &number) {
  x->value = number_of_kind(number, x->floating);
}

void *storage_new(t_symbol *s, long argc, t_atom *argv) {
  const bool floating = s == gensym("float");
  auto *x = static_cast<Storage *>(object_alloc(floating ? float_class : int_class));
  if (!x)
    return nullptr;
  x->floating = floating;
  t_atom zero;
  atom_setlong(&zero, 0);
  if (argc >= 1 && !is_number(argv[0]))
    error("%s: the argument must be a number, 0 is used", s->s_name);
  keep(x, argc >= 1 && is_number(argv[0]) ? argv[0] : zero);
  x->proxy = proxy_new(x, 1, &x->inlet);
  x->out = outlet_new(x, nullptr);
  return x;
}

void storage_free(Storage *x) {
  object_free(x->proxy);
}

void storage_bang(Storage *x) {
  if (proxy_getinlet(&x->header) != 0) {
    error("%s: a bang goes into the left inlet", object_classname(x)->s_name);
    return;
  }
  if (x->floating)
    outlet_float(x->out, x->value.a_w.w_float);
  else
    outlet_int(x->out, x->value.a_w.w_long);
}

void storage_list(Storage *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0])) {
    error("%s: a number is expected", object_classname(x)->s_name);
    return;
  }
  keep(x, argv[0]);
  if (proxy_getinlet(&x->header) == 0)
    storage_bang(x);
}

void storage_set(Storage *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0])) {
    error("%s: set needs a number", object_classname(x)->s_name);
    return;
  }
  keep(x, argv[0]);
}

void storage_assist(Storage *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, x->floating ? "(float) the kept number" : "(int) the kept number");
  else
    copy_assist(text, index == 0 ? "(number) kept and sent, (bang) send the kept number"
                                 : "(number) kept without output");
}

t_class *define_storage(const char *name, const char *alias) {
  t_class *c =
      class_new(name, reinterpret_cast<method>(storage_new), reinterpret_cast<method>(storage_free),
                sizeof(Storage), nullptr, A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(storage_bang), "bang", 0);
  add_number_methods<Storage, storage_list>(c);
  class_addmethod(c, reinterpret_cast<method>(storage_list), "list", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(storage_set), "set", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(storage_assist), "assist", A_CANT, 0);
  class_addmethod(c, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, c);
  class_alias(c, gensym(alias));
  return c;
}

} // namespace

void define_int() {
  int_class = define_storage("int", "i");
}

void define_float() {
  float_class = define_storage("float", "f");
}

} // namespace kithost::builtins
