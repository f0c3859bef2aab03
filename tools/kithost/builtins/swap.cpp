// swap [N]: two numbers crossed. A number into the left inlet goes out of
// the right outlet, then the number kept from the right inlet (N, 0 at first)
// out of the left; a list "A B" keeps B and swaps A. With a float argument
// both go out as floats, else as ints (a float truncated).
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct Swap {
  t_object header;
  void *left;
  void *right;
  void *proxy;
  long inlet;
  bool floating;
  t_atom kept;
};

t_class *swap_class = nullptr;

void *swap_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Swap *>(object_alloc(swap_class));
  if (!x)
    return nullptr;
  x->floating = argc >= 1 && argv[0].a_type == A_FLOAT;
  t_atom zero;
  atom_setlong(&zero, 0);
  x->kept = number_of_kind(argc >= 1 && is_number(argv[0]) ? argv[0] : zero, x->floating);
  x->proxy = proxy_new(x, 1, &x->inlet);
  x->right = outlet_new(x, nullptr);
  x->left = outlet_new(x, nullptr);
  return x;
}

void swap_free(Swap *x) {
  object_free(x->proxy);
}

void send_number(void *out, const t_atom &a) {
  if (a.a_type == A_FLOAT)
    outlet_float(out, a.a_w.w_float);
  else
    outlet_int(out, a.a_w.w_long);
}

void swap_list(Swap *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0]) || (argc >= 2 && !is_number(argv[1]))) {
    error("swap: numbers are expected");
    return;
  }
  if (proxy_getinlet(&x->header) != 0) {
    x->kept = number_of_kind(argv[0], x->floating);
    return;
  }
  if (argc >= 2)
    x->kept = number_of_kind(argv[1], x->floating);
  const t_atom in = number_of_kind(argv[0], x->floating);
  const t_atom kept = x->kept;
  send_number(x->right, in);
  send_number(x->left, kept);
}

void swap_assist(Swap *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, index == 0 ? "(number) out of the right outlet" : "(number) kept");
  else
    copy_assist(text, index == 0 ? "(number) the kept one" : "(number) the left one");
}

} // namespace

void define_swap() {
  swap_class = class_new("swap", reinterpret_cast<method>(swap_new),
                         reinterpret_cast<method>(swap_free), sizeof(Swap), nullptr, A_GIMME, 0);
  add_number_methods<Swap, swap_list>(swap_class);
  class_addmethod(swap_class, reinterpret_cast<method>(swap_list), "list", A_GIMME, 0);
  class_addmethod(swap_class, reinterpret_cast<method>(swap_assist), "assist", A_CANT, 0);
  class_addmethod(swap_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, swap_class);
}

} // namespace kithost::builtins
