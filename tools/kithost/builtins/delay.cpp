// delay [MS] (del): a bang out MS milliseconds after a bang in; a new bang
// restarts the wait, a number sets the time and starts it, "stop" cancels
// it. Right inlet: the time, kept.
#include "builtins_internal.hpp"

namespace kithost::builtins {

namespace {

struct Delay {
  t_object header;
  void *out;
  t_clock *clock;
  double ms;
};

t_class *delay_class = nullptr;

// A negative time would wait for the past: it is taken as 0.
double usable_time(double ms) {
  return ms > 0 ? ms : 0;
}

void delay_tick(Delay *x) {
  outlet_bang(x->out);
}

void *delay_new(double ms) {
  auto *x = static_cast<Delay *>(object_alloc(delay_class));
  if (!x)
    return nullptr;
  x->ms = usable_time(ms);
  inlet4(x, x, (char *)"float", (char *)"ft1");
  x->out = bangout(x);
  x->clock = clock_new(x, reinterpret_cast<method>(delay_tick));
  return x;
}

void delay_free(Delay *x) {
  if (x->clock)
    freeobject(reinterpret_cast<t_object *>(x->clock));
}

void delay_bang(Delay *x) {
  clock_fdelay(x->clock, x->ms);
}
void delay_float(Delay *x, double ms) {
  x->ms = usable_time(ms);
  delay_bang(x);
}
void delay_int(Delay *x, t_atom_long ms) {
  delay_float(x, static_cast<double>(ms));
}
void delay_time(Delay *x, double ms) {
  x->ms = usable_time(ms);
}
void delay_stop(Delay *x) {
  clock_unset(x->clock);
}

void delay_assist(Delay *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, "(bang) after the delay");
  else
    copy_assist(text, index == 0 ? "(bang) start, (number) set the time and start, stop"
                                 : "(number) the delay in milliseconds");
}

} // namespace

void define_delay() {
  delay_class =
      class_new("delay", reinterpret_cast<method>(delay_new), reinterpret_cast<method>(delay_free),
                sizeof(Delay), nullptr, A_DEFFLOAT, 0);
  class_addmethod(delay_class, reinterpret_cast<method>(delay_bang), "bang", 0);
  class_addmethod(delay_class, reinterpret_cast<method>(delay_int), "int", A_LONG, 0);
  class_addmethod(delay_class, reinterpret_cast<method>(delay_float), "float", A_FLOAT, 0);
  class_addmethod(delay_class, reinterpret_cast<method>(delay_time), "ft1", A_FLOAT, 0);
  class_addmethod(delay_class, reinterpret_cast<method>(delay_stop), "stop", 0);
  class_addmethod(delay_class, reinterpret_cast<method>(delay_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, delay_class);
  class_alias(delay_class, gensym("del"));
}

} // namespace kithost::builtins
