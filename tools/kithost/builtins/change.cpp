// change [N] and togedge: numbers passed on only when they change.
//   change: a number different from the last one (N, 0 at first) goes out
//     of the left outlet; one from 0 to another sends 1 out of the middle
//     outlet, one from another to 0 sends 1 out of the right (before the
//     number). An argument with a decimal point compares floats, else ints
//     (a float truncated). "set N" sets the last one without output.
//   togedge: an int (a float truncated) sends a bang out of the left outlet
//     when it goes from 0 to another, out of the right when it goes from
//     another to 0. "set N" sets the last one without output.
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct Change {
  t_object header;
  void *out;
  void *rising;
  void *falling;
  bool floating;
  bool edges_only; ///< togedge
  t_atom last;
};

t_class *change_class = nullptr;
t_class *togedge_class = nullptr;

void *change_new(t_symbol *s, long argc, t_atom *argv) {
  const bool edges_only = s == gensym("togedge");
  auto *x = static_cast<Change *>(object_alloc(edges_only ? togedge_class : change_class));
  if (!x)
    return nullptr;
  x->edges_only = edges_only;
  x->floating = !edges_only && argc >= 1 && argv[0].a_type == A_FLOAT;
  if (x->floating)
    atom_setfloat(&x->last, argc >= 1 ? atom_getfloat(argv) : 0);
  else
    atom_setlong(&x->last, argc >= 1 && !edges_only ? atom_getlong(argv) : 0);
  if (edges_only) {
    x->falling = bangout(x);
    x->rising = bangout(x);
  } else {
    x->falling = intout(x);
    x->rising = intout(x);
    x->out = outlet_new(x, nullptr);
  }
  return x;
}

bool is_zero(const t_atom &a) {
  return atom_getfloat(&a) == 0;
}

void change_number(Change *x, const t_atom &number) {
  const t_atom now = number_of_kind(number, x->floating);
  if (same_atom(now, x->last))
    return;
  const bool was_zero = is_zero(x->last);
  x->last = now;
  const bool rose = was_zero && !is_zero(now);
  const bool fell = !was_zero && is_zero(now);
  if (x->edges_only) {
    if (rose)
      outlet_bang(x->rising);
    if (fell)
      outlet_bang(x->falling);
    return;
  }
  if (fell)
    outlet_int(x->falling, 1);
  if (rose)
    outlet_int(x->rising, 1);
  if (now.a_type == A_FLOAT)
    outlet_float(x->out, now.a_w.w_float);
  else
    outlet_int(x->out, now.a_w.w_long);
}

void change_list(Change *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0])) {
    error("%s: a number is expected", object_classname(x)->s_name);
    return;
  }
  change_number(x, argv[0]);
}
void change_set(Change *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  x->last = number_of_kind(a, x->floating);
}

void change_assist(Change *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "(number) passed on when it changes; set N: the last one");
  else if (x->edges_only)
    copy_assist(text, index == 0 ? "(bang) from 0 to another" : "(bang) from another to 0");
  else
    copy_assist(text, index == 0   ? "(number) when it changes"
                      : index == 1 ? "(int) 1 from 0 to another"
                                   : "(int) 1 from another to 0");
}

t_class *define_change_class(const char *name) {
  t_class *c = class_new(name, reinterpret_cast<method>(change_new), nullptr, sizeof(Change),
                         nullptr, A_GIMME, 0);
  add_number_methods<Change, change_list>(c);
  class_addmethod(c, reinterpret_cast<method>(change_list), "list", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(change_set), "set", A_FLOAT, 0);
  class_addmethod(c, reinterpret_cast<method>(change_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

void define_change() {
  change_class = define_change_class("change");
}

void define_togedge() {
  togedge_class = define_change_class("togedge");
}

} // namespace kithost::builtins
