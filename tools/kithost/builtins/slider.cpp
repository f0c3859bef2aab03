// slider and dial, headless: a position in a range of "size" steps from
// "min" (attributes, as the host saves them): ints from min to min + size - 1
// (size 128 at first), or with "floatoutput" 1 floats from min to min + size.
// A number in is clipped to the range, kept and sent out; a bang sends it
// again; "set N" keeps it without output.
#include "builtins_internal.hpp"
#include "messages.hpp"

namespace kithost::builtins {

namespace {

struct Slider {
  t_object header;
  void *out;
  double value;
  double size;
  double min;
  t_atom_long floatoutput;
};

t_class *slider_class = nullptr;
t_class *dial_class = nullptr;

void *slider_new(t_symbol *s, long, t_atom *) {
  auto *x = static_cast<Slider *>(object_alloc(s == gensym("dial") ? dial_class : slider_class));
  if (!x)
    return nullptr;
  x->out = outlet_new(x, nullptr);
  x->size = 128;
  return x;
}

double top(const Slider *x) {
  return x->min + (x->floatoutput ? x->size : x->size - 1);
}

void keep(Slider *x, double f) {
  if (f > top(x))
    f = top(x);
  if (f < x->min)
    f = x->min;
  x->value = f;
}

void slider_bang(Slider *x) {
  if (x->floatoutput)
    outlet_float(x->out, x->value);
  else
    outlet_int(x->out, float_to_long(x->value));
}

void slider_float(Slider *x, double f) {
  keep(x, x->floatoutput ? f : static_cast<double>(float_to_long(f)));
  slider_bang(x);
}
void slider_int(Slider *x, t_atom_long n) {
  slider_float(x, static_cast<double>(n));
}
void slider_set(Slider *x, double f) {
  keep(x, x->floatoutput ? f : static_cast<double>(float_to_long(f)));
}

// A changed range holds the position within it.
t_max_err slider_size(Slider *x, void *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0]) || atom_getfloat(argv) < 1) {
    error("%s: size must be a number of at least 1", object_classname(x)->s_name);
    return MAX_ERR_GENERIC;
  }
  x->size = atom_getfloat(argv);
  keep(x, x->value);
  return MAX_ERR_NONE;
}
t_max_err slider_min(Slider *x, void *, long argc, t_atom *argv) {
  if (argc < 1 || !is_number(argv[0])) {
    error("%s: min must be a number", object_classname(x)->s_name);
    return MAX_ERR_GENERIC;
  }
  x->min = atom_getfloat(argv);
  keep(x, x->value);
  return MAX_ERR_NONE;
}

void slider_assist(Slider *x, void *, long kind, long, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "(number) the position, (bang) send it again, set N: without output");
  else
    copy_assist(text, x->floatoutput ? "(float) the position" : "(int) the position");
}

t_class *define_slider_box(const char *name) {
  t_class *c = class_new(name, reinterpret_cast<method>(slider_new), nullptr, sizeof(Slider),
                         nullptr, A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(slider_bang), "bang", 0);
  class_addmethod(c, reinterpret_cast<method>(slider_int), "int", A_LONG, 0);
  class_addmethod(c, reinterpret_cast<method>(slider_float), "float", A_FLOAT, 0);
  class_addmethod(c, reinterpret_cast<method>(slider_set), "set", A_FLOAT, 0);
  class_addmethod(c, reinterpret_cast<method>(slider_assist), "assist", A_CANT, 0);
  class_addattr(c, attr_offset_new("size", gensym("atom"), 0, nullptr,
                                   reinterpret_cast<method>(slider_size), 0));
  class_addattr(c, attr_offset_new("min", gensym("atom"), 0, nullptr,
                                   reinterpret_cast<method>(slider_min), 0));
  class_addattr(c, attr_offset_new("floatoutput", gensym("long"), 0, nullptr, nullptr,
                                   calcoffset(Slider, floatoutput)));
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

void define_slider() {
  slider_class = define_slider_box("slider");
}

void define_dial() {
  dial_class = define_slider_box("dial");
}

} // namespace kithost::builtins
