// The number boxes of the user interface, headless: each keeps one number
// and passes it on as the box in the visual host does.
//   number: an int; a float in is truncated.
//   flonum: a float.
//   live.numbox: a float from 0 to 127, or an int (parameter_type 1).
// A number in is clipped to the box's range, kept and sent out; a bang sends
// the kept number; "set N" keeps N without output. The range is the
// "minimum" and "maximum" attributes ("min" and "max" messages; a symbol or
// nothing unsets one), for live.numbox parameter_mmin and parameter_mmax.
// The right outlet (the host's mouse and key events) stays silent; that of
// live.numbox sends the number's place in its range, from 0 to 1, first.
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct NumberBox {
  t_object header;
  void *out;
  void *right;
  t_atom value; ///< a long or a float, by the kind of box
  bool floating;
  bool live;
  bool has_min;
  bool has_max;
  double min;
  double max;
};

t_class *number_class = nullptr;
t_class *flonum_class = nullptr;
t_class *live_numbox_class = nullptr;

void *number_box_new(t_symbol *s, long, t_atom *) {
  t_class *c = s == gensym("flonum")        ? flonum_class
               : s == gensym("live.numbox") ? live_numbox_class
                                            : number_class;
  auto *x = static_cast<NumberBox *>(object_alloc(c));
  if (!x)
    return nullptr;
  x->live = c == live_numbox_class;
  x->floating = c != number_class;
  x->right = outlet_new(x, nullptr);
  x->out = outlet_new(x, nullptr);
  if (x->live) {
    x->has_min = x->has_max = true;
    x->min = 0;
    x->max = 127;
  }
  if (x->floating)
    atom_setfloat(&x->value, 0);
  else
    atom_setlong(&x->value, 0);
  return x;
}

// A number of the box's kind, within its range. A NaN stays a NaN: no
// range holds it, and the host's box shows it as it came.
void keep(NumberBox *x, double f) {
  if (x->has_max && f > x->max)
    f = x->max;
  if (x->has_min && f < x->min)
    f = x->min;
  if (x->floating)
    atom_setfloat(&x->value, f);
  else
    atom_setlong(&x->value, float_to_long(f));
}

void keep_long(NumberBox *x, t_atom_long n) {
  // Compared as a long: a double cannot hold every long.
  const bool inside = (!x->has_min || static_cast<double>(n) >= x->min) &&
                      (!x->has_max || static_cast<double>(n) <= x->max);
  if (inside && !x->floating)
    atom_setlong(&x->value, n);
  else
    keep(x, static_cast<double>(n));
}

void number_box_bang(NumberBox *x) {
  if (x->live) {
    const double span = x->max - x->min;
    outlet_float(x->right, span > 0 ? (atom_getfloat(&x->value) - x->min) / span : 0);
  }
  if (x->value.a_type == A_FLOAT)
    outlet_float(x->out, x->value.a_w.w_float);
  else
    outlet_int(x->out, x->value.a_w.w_long);
}

void number_box_int(NumberBox *x, t_atom_long n) {
  keep_long(x, n);
  number_box_bang(x);
}
void number_box_float(NumberBox *x, double f) {
  keep(x, f);
  number_box_bang(x);
}

void number_box_set(NumberBox *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0])) {
    error("%s: set needs a number", object_classname(x)->s_name);
    return;
  }
  if (argv[0].a_type == A_LONG)
    keep_long(x, argv[0].a_w.w_long);
  else
    keep(x, argv[0].a_w.w_float);
}

// A bound: a number sets it, nothing or a symbol ("<none>") unsets it.
void set_bound(bool &has, double &bound, long argc, const t_atom *argv) {
  has = argc >= 1 && is_number(argv[0]);
  if (has)
    bound = atom_getfloat(argv);
}

t_max_err number_box_minimum(NumberBox *x, void *, long argc, t_atom *argv) {
  set_bound(x->has_min, x->min, argc, argv);
  return MAX_ERR_NONE;
}
t_max_err number_box_maximum(NumberBox *x, void *, long argc, t_atom *argv) {
  set_bound(x->has_max, x->max, argc, argv);
  return MAX_ERR_NONE;
}
void number_box_min(NumberBox *x, t_symbol *, long argc, t_atom *argv) {
  number_box_minimum(x, nullptr, argc, argv);
}
void number_box_max(NumberBox *x, t_symbol *, long argc, t_atom *argv) {
  number_box_maximum(x, nullptr, argc, argv);
}

// live.numbox: 0 float, 1 int (2, a list of names, is kept a float).
t_max_err live_numbox_type(NumberBox *x, void *, long argc, t_atom *argv) {
  x->floating = !(argc >= 1 && atom_getlong(argv) == 1);
  keep(x, atom_getfloat(&x->value));
  return MAX_ERR_NONE;
}

void number_box_assist(NumberBox *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "(number) kept and sent, (bang) send again, set N: keep without output");
  else if (index == 0)
    copy_assist(text, x->floating ? "(float) the number" : "(int) the number");
  else
    copy_assist(text, x->live ? "(float) the number's place in its range, 0 to 1"
                              : "(bang) never: the host's key and mouse events");
}

t_class *define_number_box(const char *name) {
  t_class *c = class_new(name, reinterpret_cast<method>(number_box_new), nullptr, sizeof(NumberBox),
                         nullptr, A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(number_box_bang), "bang", 0);
  class_addmethod(c, reinterpret_cast<method>(number_box_int), "int", A_LONG, 0);
  class_addmethod(c, reinterpret_cast<method>(number_box_float), "float", A_FLOAT, 0);
  class_addmethod(c, reinterpret_cast<method>(number_box_set), "set", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(number_box_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

void add_range(t_class *c, const char *minimum, const char *maximum) {
  class_addattr(c, attr_offset_new(minimum, gensym("atom"), 0, nullptr,
                                   reinterpret_cast<method>(number_box_minimum), 0));
  class_addattr(c, attr_offset_new(maximum, gensym("atom"), 0, nullptr,
                                   reinterpret_cast<method>(number_box_maximum), 0));
}

void add_min_max_messages(t_class *c) {
  add_range(c, "minimum", "maximum");
  class_addmethod(c, reinterpret_cast<method>(number_box_min), "min", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(number_box_max), "max", A_GIMME, 0);
}

} // namespace

void define_number() {
  number_class = define_number_box("number");
  add_min_max_messages(number_class);
}

void define_flonum() {
  flonum_class = define_number_box("flonum");
  add_min_max_messages(flonum_class);
}

void define_live_numbox() {
  live_numbox_class = define_number_box("live.numbox");
  add_range(live_numbox_class, "parameter_mmin", "parameter_mmax");
  class_addattr(live_numbox_class, attr_offset_new("parameter_type", gensym("atom"), 0, nullptr,
                                                   reinterpret_cast<method>(live_numbox_type), 0));
}

} // namespace kithost::builtins
