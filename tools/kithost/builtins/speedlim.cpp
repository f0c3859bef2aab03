// speedlim [MS]: messages through at most once every MS milliseconds (0
// without an argument: all of them). A message when none went out for MS
// goes out at once; one during the wait is kept, the last one kept going
// out when the wait ends (and starting a new one). Right inlet: MS.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Speedlim {
  t_object header;
  void *out;
  void *proxy;
  long inlet;
  t_clock *clock;
  double ms;
  bool waiting;   ///< the interval since the last output runs
  t_symbol *kept; ///< the message kept meanwhile, or null
  std::vector<t_atom> *kept_atoms;
};

t_class *speedlim_class = nullptr;

void start_interval(Speedlim *x) {
  x->waiting = true;
  clock_fdelay(x->clock, x->ms);
}

void speedlim_tick(Speedlim *x) {
  x->waiting = false;
  if (!x->kept)
    return;
  t_symbol *s = x->kept;
  std::vector<t_atom> atoms;
  atoms.swap(*x->kept_atoms);
  x->kept = nullptr;
  start_interval(x);
  outlet_message(&x->header, x->out, s, static_cast<long>(atoms.size()), atoms.data());
}

void *speedlim_new(double ms) {
  auto *x = static_cast<Speedlim *>(object_alloc(speedlim_class));
  if (!x)
    return nullptr;
  x->ms = ms > 0 ? ms : 0;
  x->kept_atoms = new std::vector<t_atom>;
  x->proxy = proxy_new(x, 1, &x->inlet);
  x->out = outlet_new(x, nullptr);
  x->clock = clock_new(x, reinterpret_cast<method>(speedlim_tick));
  return x;
}

void speedlim_free(Speedlim *x) {
  if (x->clock)
    freeobject(reinterpret_cast<t_object *>(x->clock));
  object_free(x->proxy);
  delete x->kept_atoms;
}

void speedlim_anything(Speedlim *x, t_symbol *s, long argc, t_atom *argv) {
  if (proxy_getinlet(&x->header) != 0) {
    if ((s == gensym("int") || s == gensym("float")) && argc == 1)
      x->ms = atom_getfloat(argv) > 0 ? atom_getfloat(argv) : 0;
    else
      error("speedlim: the right inlet takes the time in milliseconds");
    return;
  }
  if (x->waiting) {
    x->kept = s;
    x->kept_atoms->assign(argv, argv + argc);
    return;
  }
  if (x->ms > 0)
    start_interval(x);
  outlet_message(&x->header, x->out, s, argc, argv);
}

void speedlim_assist(Speedlim *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, "(anything) at most once per interval");
  else
    copy_assist(text, index == 0 ? "(anything) to pass" : "(number) the interval in milliseconds");
}

} // namespace

void define_speedlim() {
  speedlim_class =
      class_new("speedlim", reinterpret_cast<method>(speedlim_new),
                reinterpret_cast<method>(speedlim_free), sizeof(Speedlim), nullptr, A_DEFFLOAT, 0);
  add_message_methods<Speedlim, speedlim_anything>(speedlim_class);
  class_addmethod(speedlim_class, reinterpret_cast<method>(speedlim_assist), "assist", A_CANT, 0);
  class_addmethod(speedlim_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, speedlim_class);
}

} // namespace kithost::builtins
