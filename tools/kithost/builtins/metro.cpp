// metro [MS]: while on, a bang at once and then every MS milliseconds.
// A nonzero number or a bang starts it, 0 or "stop" stops it. Right inlet:
// the interval.
#include "builtins_internal.hpp"

namespace kithost::builtins {

namespace {

struct Metro {
  t_object header;
  void *out;
  t_clock *clock;
  double ms;
  double next_due; ///< logical time the next bang is meant for
  bool on;
};

t_class *metro_class = nullptr;

// An interval of 0 would fire forever without time passing and stall the
// host; the shortest interval is one millisecond.
constexpr double shortest_interval = 1;
constexpr double default_interval = 5;

double usable_interval(double ms) {
  return ms >= shortest_interval ? ms : shortest_interval;
}

// Each bang is scheduled from when the last one was meant to come, not
// from when it came: a late tick does not push the later ones back, so the
// number of bangs in a stretch of logical time never depends on load.
void metro_tick(Metro *x) {
  if (!x->on)
    return;
  x->next_due += x->ms;
  clock_fdelay(x->clock, x->next_due - gettime_forobject(&x->header));
  outlet_bang(x->out);
}

void *metro_new(double ms) {
  auto *x = static_cast<Metro *>(object_alloc(metro_class));
  if (!x)
    return nullptr;
  x->ms = usable_interval(ms > 0 ? ms : default_interval);
  inlet4(x, x, (char *)"float", (char *)"ft1");
  x->out = bangout(x);
  x->clock = clock_new(x, reinterpret_cast<method>(metro_tick));
  return x;
}

void metro_free(Metro *x) {
  if (x->clock)
    freeobject(reinterpret_cast<t_object *>(x->clock));
}

void metro_stop(Metro *x) {
  x->on = false;
  clock_unset(x->clock);
}
void metro_bang(Metro *x) {
  x->on = true;
  x->next_due = gettime_forobject(&x->header);
  metro_tick(x);
}
void metro_int(Metro *x, t_atom_long n) {
  if (n)
    metro_bang(x);
  else
    metro_stop(x);
}
void metro_float(Metro *x, double f) {
  if (f != 0)
    metro_bang(x);
  else
    metro_stop(x);
}
void metro_interval(Metro *x, double ms) {
  x->ms = usable_interval(ms);
}

void metro_assist(Metro *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, "(bang) every interval");
  else
    copy_assist(text, index == 0 ? "(bang or nonzero) start, (0 or stop) stop"
                                 : "(number) the interval in milliseconds");
}

} // namespace

void define_metro() {
  metro_class =
      class_new("metro", reinterpret_cast<method>(metro_new), reinterpret_cast<method>(metro_free),
                sizeof(Metro), nullptr, A_DEFFLOAT, 0);
  class_addmethod(metro_class, reinterpret_cast<method>(metro_bang), "bang", 0);
  class_addmethod(metro_class, reinterpret_cast<method>(metro_int), "int", A_LONG, 0);
  class_addmethod(metro_class, reinterpret_cast<method>(metro_float), "float", A_FLOAT, 0);
  class_addmethod(metro_class, reinterpret_cast<method>(metro_interval), "ft1", A_FLOAT, 0);
  class_addmethod(metro_class, reinterpret_cast<method>(metro_stop), "stop", 0);
  class_addmethod(metro_class, reinterpret_cast<method>(metro_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, metro_class);
}

} // namespace kithost::builtins
