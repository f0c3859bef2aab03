// scale [IN-LOW IN-HIGH OUT-LOW OUT-HIGH [EXPONENT]]: a number mapped from
// one range to another, in a straight line, or along the power EXPONENT of
// its place in the input range (the sign kept for a place below the low
// end). Without arguments it maps 0..127 to 0..1. A float among the
// arguments makes the result a float, else it is an int (truncated). When
// the input range is empty the result is OUT-LOW. The inlets right of the
// first keep the arguments; a list into the left inlet sets the number and
// the arguments after it.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <cmath>

namespace kithost::builtins {

namespace {

struct Scale {
  t_object header;
  void *out;
  void *proxies[5];
  long inlet;
  double params[5]; ///< in-low, in-high, out-low, out-high, exponent
  bool floating;
};

t_class *scale_class = nullptr;

void *scale_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Scale *>(object_alloc(scale_class));
  if (!x)
    return nullptr;
  const double defaults[5] = {0, 127, 0, 1, 1};
  x->floating = argc == 0;
  for (long i = 0; i < 5; ++i) {
    const bool given = i < argc;
    if (given && !is_number(argv[i]))
      error("scale: argument %ld is not a number, 0 is used", i + 1);
    x->params[i] = given ? atom_getfloat(argv + i) : defaults[i];
    x->floating = x->floating || (given && argv[i].a_type == A_FLOAT);
  }
  for (long id = 5; id >= 1; --id)
    x->proxies[id - 1] = proxy_new(x, id, &x->inlet);
  x->out = outlet_new(x, nullptr);
  return x;
}

void scale_free(Scale *x) {
  for (void *proxy : x->proxies)
    object_free(proxy);
}

double mapped(const Scale *x, double in) {
  const auto [in_low, in_high, out_low, out_high, exponent] = x->params;
  if (in_high == in_low)
    return out_low;
  const double place = (in - in_low) / (in_high - in_low);
  if (exponent == 1)
    return out_low + (out_high - out_low) * place;
  const double curved = place >= 0 ? std::pow(place, exponent) : -std::pow(-place, exponent);
  return out_low + (out_high - out_low) * curved;
}

void scale_list(Scale *x, t_symbol *, long argc, t_atom *argv) {
  const long inlet = proxy_getinlet(&x->header);
  for (long i = 0; i < argc; ++i) {
    if (!is_number(argv[i])) {
      error("scale: a list of numbers is expected");
      return;
    }
  }
  // Arguments after the number first, so that it maps with them.
  for (long i = 1; i < argc && inlet + i <= 5; ++i)
    x->params[inlet + i - 1] = atom_getfloat(argv + i);
  if (argc < 1)
    return;
  if (inlet != 0) {
    x->params[inlet - 1] = atom_getfloat(argv);
    return;
  }
  const double result = mapped(x, atom_getfloat(argv));
  if (x->floating)
    outlet_float(x->out, result);
  else
    outlet_int(x->out, float_to_long(result));
}

void scale_assist(Scale *, void *, long kind, long index, char *text) {
  static constexpr const char *inlets[] = {"(number) to map",   "(number) IN-LOW",
                                           "(number) IN-HIGH",  "(number) OUT-LOW",
                                           "(number) OUT-HIGH", "(number) EXPONENT"};
  copy_assist(text, kind == ASSIST_OUTLET ? "(number) mapped" : inlets[index % 6]);
}

} // namespace

void define_scale() {
  scale_class = class_new("scale", reinterpret_cast<method>(scale_new),
                          reinterpret_cast<method>(scale_free), sizeof(Scale), nullptr, A_GIMME, 0);
  add_number_methods<Scale, scale_list>(scale_class);
  class_addmethod(scale_class, reinterpret_cast<method>(scale_list), "list", A_GIMME, 0);
  class_addmethod(scale_class, reinterpret_cast<method>(scale_assist), "assist", A_CANT, 0);
  class_addmethod(scale_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, scale_class);
}

} // namespace kithost::builtins
