// multislider, headless: "size" sliders (attribute, 1 at first), each a
// number in the range of "setminmax" (0 to 127 at first), floats or with
// "settype" 0 ints. A list (or a number, for the first slider) sets them, each
// clipped, and sends them all out as a list; a bang sends them again; "set
// LIST" sets them without output. The right outlet (the host's mouse
// events) stays silent.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <algorithm>
#include <vector>

namespace kithost::builtins {

namespace {

struct Multislider {
  t_object header;
  void *out;
  void *events;
  std::vector<double> *values;
  double min;
  double max;
  t_atom_long floating;
};

t_class *multislider_class = nullptr;

void *multislider_new() {
  auto *x = static_cast<Multislider *>(object_alloc(multislider_class));
  if (!x)
    return nullptr;
  x->values = new std::vector<double>(1, 0.0);
  x->max = 127;
  x->floating = 1;
  x->events = outlet_new(x, nullptr);
  x->out = outlet_new(x, nullptr);
  return x;
}

void multislider_free(Multislider *x) {
  delete x->values;
}

double clipped(const Multislider *x, double f) {
  const double low = std::min(x->min, x->max);
  const double high = std::max(x->min, x->max);
  return f < low ? low : f > high ? high : f;
}

void multislider_set(Multislider *x, t_symbol *, long argc, t_atom *argv) {
  for (long i = 0; i < argc && static_cast<std::size_t>(i) < x->values->size(); ++i) {
    if (!is_number(argv[i])) {
      error("multislider: slider %ld: not a number", i + 1);
      continue;
    }
    const double f = atom_getfloat(&argv[i]);
    (*x->values)[static_cast<std::size_t>(i)] =
        clipped(x, x->floating ? f : static_cast<double>(float_to_long(f)));
  }
}

void multislider_bang(Multislider *x) {
  std::vector<t_atom> atoms(x->values->size());
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    if (x->floating)
      atom_setfloat(&atoms[i], (*x->values)[i]);
    else
      atom_setlong(&atoms[i], float_to_long((*x->values)[i]));
  }
  outlet_message(&x->header, x->out, gensym("list"), static_cast<long>(atoms.size()), atoms.data());
}

void multislider_list(Multislider *x, t_symbol *s, long argc, t_atom *argv) {
  multislider_set(x, s, argc, argv);
  multislider_bang(x);
}
void multislider_float(Multislider *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  multislider_list(x, nullptr, 1, &a);
}

t_max_err multislider_size(Multislider *x, void *, long argc, t_atom *argv) {
  const t_atom_long count = argc >= 1 ? atom_getlong(argv) : 0;
  if (count < 1 || count > 4096) {
    error("multislider: size must be from 1 to 4096");
    return MAX_ERR_GENERIC;
  }
  x->values->resize(static_cast<std::size_t>(count), clipped(x, 0));
  return MAX_ERR_NONE;
}

t_max_err multislider_setminmax(Multislider *x, void *, long argc, t_atom *argv) {
  if (argc < 2 || !is_number(argv[0]) || !is_number(argv[1])) {
    error("multislider: setminmax needs two numbers");
    return MAX_ERR_GENERIC;
  }
  x->min = atom_getfloat(&argv[0]);
  x->max = atom_getfloat(&argv[1]);
  for (double &value : *x->values)
    value = clipped(x, value);
  return MAX_ERR_NONE;
}

void multislider_assist(Multislider *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "(list) the sliders, (bang) send them again, set LIST: without output");
  else
    copy_assist(text, index == 0 ? "(list) the sliders" : "mouse events: never");
}

} // namespace

void define_multislider() {
  multislider_class =
      class_new("multislider", reinterpret_cast<method>(multislider_new),
                reinterpret_cast<method>(multislider_free), sizeof(Multislider), nullptr, 0);
  class_addmethod(multislider_class, reinterpret_cast<method>(multislider_bang), "bang", 0);
  class_addmethod(multislider_class, reinterpret_cast<method>(multislider_float), "float", A_FLOAT,
                  0);
  class_addmethod(multislider_class, reinterpret_cast<method>(multislider_list), "list", A_GIMME,
                  0);
  class_addmethod(multislider_class, reinterpret_cast<method>(multislider_set), "set", A_GIMME, 0);
  class_addmethod(multislider_class, reinterpret_cast<method>(multislider_assist), "assist", A_CANT,
                  0);
  class_addattr(multislider_class, attr_offset_new("size", gensym("atom"), 0, nullptr,
                                                   reinterpret_cast<method>(multislider_size), 0));
  class_addattr(multislider_class,
                attr_offset_new("setminmax", gensym("atom"), 0, nullptr,
                                reinterpret_cast<method>(multislider_setminmax), 0));
  class_addattr(multislider_class, attr_offset_new("settype", gensym("long"), 0, nullptr, nullptr,
                                                   calcoffset(Multislider, floating)));
  class_register(CLASS_BOX, multislider_class);
}

} // namespace kithost::builtins
