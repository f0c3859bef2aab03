// split [MIN] [MAX]: a number from MIN to MAX (both included; 0 and 0 at
// first) goes out of the left outlet, any other out of the right. The
// middle inlet keeps MIN, the right MAX. With a float argument it compares
// and sends floats, else ints (a float truncated).
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct Split {
  t_object header;
  void *inside;
  void *outside;
  void *proxies[2];
  long inlet;
  bool floating;
  double min;
  double max;
};

t_class *split_class = nullptr;

void *split_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Split *>(object_alloc(split_class));
  if (!x)
    return nullptr;
  for (long i = 0; i < argc && i < 2; ++i) {
    x->floating = x->floating || argv[i].a_type == A_FLOAT;
    (i == 0 ? x->min : x->max) = atom_getfloat(argv + i);
  }
  x->proxies[1] = proxy_new(x, 2, &x->inlet);
  x->proxies[0] = proxy_new(x, 1, &x->inlet);
  x->outside = outlet_new(x, nullptr);
  x->inside = outlet_new(x, nullptr);
  return x;
}

void split_free(Split *x) {
  object_free(x->proxies[0]);
  object_free(x->proxies[1]);
}

void split_number(Split *x, const t_atom &number) {
  switch (proxy_getinlet(&x->header)) {
  case 1:
    x->min = atom_getfloat(&number);
    return;
  case 2:
    x->max = atom_getfloat(&number);
    return;
  default:
    break;
  }
  // Compared as the number that goes out.
  const t_atom_long n = atom_getlong(&number);
  const double f = x->floating ? atom_getfloat(&number) : static_cast<double>(n);
  void *out = f >= x->min && f <= x->max ? x->inside : x->outside;
  if (x->floating)
    outlet_float(out, f);
  else
    outlet_int(out, n);
}

void split_list(Split *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0])) {
    error("split: a number is expected");
    return;
  }
  split_number(x, argv[0]);
}

void split_assist(Split *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, index == 0   ? "(number) to sort"
                      : index == 1 ? "(number) MIN"
                                   : "(number) MAX");
  else
    copy_assist(text, index == 0 ? "(number) from MIN to MAX" : "(number) any other");
}

} // namespace

void define_split() {
  split_class = class_new("split", reinterpret_cast<method>(split_new),
                          reinterpret_cast<method>(split_free), sizeof(Split), nullptr, A_GIMME, 0);
  add_number_methods<Split, split_list>(split_class);
  class_addmethod(split_class, reinterpret_cast<method>(split_list), "list", A_GIMME, 0);
  class_addmethod(split_class, reinterpret_cast<method>(split_assist), "assist", A_CANT, 0);
  class_addmethod(split_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, split_class);
}

} // namespace kithost::builtins
