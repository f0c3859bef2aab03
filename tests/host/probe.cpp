#include "probe.hpp"

#include "ext.h"
#include "ext_obex.h"
#include "kit/host.hpp"

#include <cstring>
#include <string>

namespace hosttest {
namespace {

std::string text_of(long argc, const t_atom *argv) {
  return kit::format_atoms(std::span<const t_atom>(argv, static_cast<size_t>(argc)));
}

// ---- test-probe: every kind of method, two outlets, two proxies, attributes

struct Probe {
  t_object ob;
  void *left;
  void *right;
  t_symbol *host;
  t_atom_long port;
  double gain;
  t_atom_long level;
};

t_class *probe_class;

void *probe_new(t_symbol *s, long argc, t_atom *argv) {
  auto *x = static_cast<Probe *>(object_alloc(probe_class));
  x->right = intout(x);
  x->left = outlet_new(x, nullptr);
  inlet4(x, x, (char *)"int", (char *)"goto");
  inlet4(x, x, (char *)"int", (char *)"size");
  x->host = gensym("auto");
  x->port = 8002;
  post("%s: new %s", s->s_name, text_of(argc, argv).c_str());
  if (argc >= 1 && atom_getsym(argv) == gensym("refuse"))
    return nullptr;
  attr_args_process(x, argc, argv);
  return x;
}

void probe_free(Probe *) {
  post("test-probe: free");
}
void probe_int(Probe *, t_atom_long n) {
  post("test-probe: int %lld", static_cast<long long>(n));
}
void probe_float(Probe *, double f) {
  post("test-probe: float %g", f);
}
void probe_bang(Probe *) {
  post("test-probe: bang");
}
void probe_list(Probe *, t_symbol *s, long argc, t_atom *argv) {
  post("test-probe: %s [%s]", s->s_name, text_of(argc, argv).c_str());
}
void probe_anything(Probe *, t_symbol *s, long argc, t_atom *argv) {
  post("test-probe: anything %s [%s]", s->s_name, text_of(argc, argv).c_str());
}
void probe_goto(Probe *, t_atom_long n) {
  post("test-probe: goto %lld", static_cast<long long>(n));
}
void probe_size(Probe *, t_atom_long n) {
  post("test-probe: size %lld", static_cast<long long>(n));
}
void probe_name(Probe *, t_symbol *s) {
  post("test-probe: name \"%s\"", s->s_name);
}
void probe_mix(Probe *, t_atom_long n, double f, t_symbol *s) {
  post("test-probe: mix %lld %g %s", static_cast<long long>(n), f, s->s_name);
}
void probe_opt(Probe *, t_atom_long n, double f, t_symbol *s) {
  post("test-probe: opt %lld %g \"%s\"", static_cast<long long>(n), f, s->s_name);
}
void probe_five(Probe *, t_atom_long a, double b, t_symbol *c, t_atom_long d, double e) {
  post("test-probe: five %lld %g %s %lld %g", static_cast<long long>(a), b, c->s_name,
       static_cast<long long>(d), e);
}
void probe_emit(Probe *x, t_symbol *, long argc, t_atom *argv) {
  if (argc >= 1 && argv[0].a_type == A_SYM)
    outlet_anything(x->left, argv[0].a_w.w_sym, static_cast<short>(argc - 1), argv + 1);
}
void probe_out(Probe *x, t_atom_long n) {
  outlet_int(x->right, n);
}
void probe_state(Probe *x) {
  post("test-probe: host %s port %lld gain %g level %lld", x->host->s_name,
       static_cast<long long>(x->port), x->gain, static_cast<long long>(x->level));
}
void probe_assist(Probe *, void *, long kind, long index, char *text) {
  std::snprintf(text, 512, "%s %ld", kind == ASSIST_INLET ? "inlet" : "outlet", index);
}
t_max_err probe_set_level(Probe *x, void *, long argc, t_atom *argv) {
  x->level = argc >= 1 ? atom_getlong(argv) * 10 : -1;
  post("test-probe: level set through its setter");
  return MAX_ERR_NONE;
}

void probe_main() {
  probe_class =
      class_new("test-probe", (method)probe_new, (method)probe_free, sizeof(Probe), 0, A_GIMME, 0);
  class_addmethod(probe_class, (method)probe_int, "int", A_LONG, 0);
  class_addmethod(probe_class, (method)probe_float, "float", A_FLOAT, 0);
  class_addmethod(probe_class, (method)probe_bang, "bang", 0);
  class_addmethod(probe_class, (method)probe_list, "list", A_GIMME, 0);
  class_addmethod(probe_class, (method)probe_anything, "anything", A_GIMME, 0);
  class_addmethod(probe_class, (method)probe_goto, "goto", A_LONG, 0);
  class_addmethod(probe_class, (method)probe_size, "size", A_LONG, 0);
  class_addmethod(probe_class, (method)probe_name, "name", A_SYM, 0);
  class_addmethod(probe_class, (method)probe_mix, "mix", A_LONG, A_FLOAT, A_SYM, 0);
  class_addmethod(probe_class, (method)probe_opt, "opt", A_DEFLONG, A_DEFFLOAT, A_DEFSYM, 0);
  class_addmethod(probe_class, (method)probe_five, "five", A_LONG, A_FLOAT, A_SYM, A_LONG, A_FLOAT,
                  0);
  class_addmethod(probe_class, (method)probe_emit, "emit", A_GIMME, 0);
  class_addmethod(probe_class, (method)probe_out, "out", A_LONG, 0);
  class_addmethod(probe_class, (method)probe_state, "state", 0);
  class_addmethod(probe_class, (method)probe_assist, "assist", A_CANT, 0);
  class_addattr(probe_class,
                attr_offset_new("host", gensym("symbol"), 0, 0, 0, calcoffset(Probe, host)));
  class_addattr(probe_class,
                attr_offset_new("port", gensym("long"), 0, 0, 0, calcoffset(Probe, port)));
  class_addattr(probe_class,
                attr_offset_new("gain", gensym("float"), 0, 0, 0, calcoffset(Probe, gain)));
  class_addattr(probe_class, attr_offset_new("level", gensym("long"), 0, 0, (method)probe_set_level,
                                             calcoffset(Probe, level)));
  class_register(gensym("box"), probe_class);
}

// ---- test-timer: one clock, deferred calls ------------------------------------

struct Timer {
  t_object ob;
  t_clock *clock;
  t_symbol *label;
  bool leaky;        // forgets to free its clock
  double chained_ms; // when > 0, the next tick arms the clock again this much later
  long bounces;      // ticks that arm the clock again, with no delay, from a deferred call
};

t_class *timer_class;

void timer_rearm(Timer *x, t_symbol *, short, t_atom *) {
  clock_delay(x->clock, 0);
}

void timer_tick(Timer *x) {
  post("%s fired at %.6f", x->label->s_name, gettime_forobject(&x->ob));
  if (x->chained_ms > 0) {
    clock_fdelay(x->clock, x->chained_ms);
    x->chained_ms = 0;
  }
  if (x->bounces > 0) {
    --x->bounces;
    defer_low(x, (method)timer_rearm, nullptr, 0, nullptr);
  }
}

void *timer_new(t_symbol *label) {
  auto *x = static_cast<Timer *>(object_alloc(timer_class));
  x->label = label;
  x->leaky = std::strncmp(label->s_name, "leaky", 5) == 0;
  x->chained_ms = 0;
  x->bounces = 0;
  x->clock = clock_new(x, (method)timer_tick);
  return x;
}

void timer_free(Timer *x) {
  if (x->clock && !x->leaky)
    freeobject(static_cast<t_object *>(x->clock));
}

void timer_delay(Timer *x, t_atom_long ms) {
  clock_delay(x->clock, static_cast<long>(ms));
}
void timer_fdelay(Timer *x, double ms) {
  clock_fdelay(x->clock, ms);
}
void timer_chain(Timer *x, double ms) {
  x->chained_ms = ms;
}
void timer_bounce(Timer *x, t_atom_long count) {
  x->bounces = count;
}
void timer_unset(Timer *x) {
  clock_unset(x->clock);
}
void timer_kill(Timer *x) {
  freeobject(static_cast<t_object *>(x->clock));
  x->clock = nullptr;
}
void timer_deferred(Timer *x, t_symbol *s, short argc, t_atom *argv) {
  post("%s deferred %s [%s]", x->label->s_name, s ? s->s_name : "-", text_of(argc, argv).c_str());
}
void timer_defer(Timer *x, t_symbol *, short argc, t_atom *argv) {
  defer_low(x, (method)timer_deferred, gensym("later"), argc, argv);
  // The queue holds a copy: what the caller does to its atoms afterwards
  // must not show.
  for (short i = 0; i < argc; ++i)
    atom_setsym(&argv[i], gensym("overwritten"));
}

void timer_main() {
  timer_class =
      class_new("test-timer", (method)timer_new, (method)timer_free, sizeof(Timer), 0, A_DEFSYM, 0);
  class_addmethod(timer_class, (method)timer_delay, "delay", A_LONG, 0);
  class_addmethod(timer_class, (method)timer_fdelay, "fdelay", A_FLOAT, 0);
  class_addmethod(timer_class, (method)timer_chain, "chain", A_FLOAT, 0);
  class_addmethod(timer_class, (method)timer_bounce, "bounce", A_LONG, 0);
  class_addmethod(timer_class, (method)timer_unset, "unset", 0);
  class_addmethod(timer_class, (method)timer_kill, "kill", 0);
  class_addmethod(timer_class, (method)timer_defer, "defer", A_GIMME, 0);
  class_register(gensym("box"), timer_class);
}

// ---- Classes with only some of the standard methods ----------------------------

t_class *floaty_class, *listy_class, *inty_class;

void *floaty_new() {
  return object_alloc(floaty_class);
}
void floaty_float(t_object *, double f) {
  post("test-floaty: float %g", f);
}
void floaty_main() {
  floaty_class = class_new("test-floaty", (method)floaty_new, 0, sizeof(t_object), 0, 0);
  class_addmethod(floaty_class, (method)floaty_float, "float", A_FLOAT, 0);
  class_register(gensym("box"), floaty_class);
}

void *listy_new() {
  return object_alloc(listy_class);
}
void listy_list(t_object *, t_symbol *s, long argc, t_atom *argv) {
  post("test-listy: %s [%s]", s->s_name, text_of(argc, argv).c_str());
}
void listy_main() {
  listy_class = class_new("test-listy", (method)listy_new, 0, sizeof(t_object), 0, 0);
  class_addmethod(listy_class, (method)listy_list, "list", A_GIMME, 0);
  class_register(gensym("box"), listy_class);
}

struct Inty {
  t_object ob;
  void *out;
};
void *inty_new() {
  auto *x = static_cast<Inty *>(object_alloc(inty_class));
  x->out = intout(x);
  return x;
}
// Passes n + 1 on: connected to itself it would never stop on its own.
void inty_int(Inty *x, t_atom_long n) {
  post("test-inty: int %ld", static_cast<long>(n));
  outlet_int(x->out, n + 1);
}
void inty_bang(Inty *) {
  post("test-inty: bang");
}
void inty_main() {
  inty_class = class_new("test-inty", (method)inty_new, 0, sizeof(Inty), 0, 0);
  class_addmethod(inty_class, (method)inty_int, "int", A_LONG, 0);
  class_addmethod(inty_class, (method)inty_bang, "bang", 0);
  class_register(gensym("box"), inty_class);
}

// ---- test-proxied: proxies, numbered inlets ---------------------------------

// Inlets, left to right: its own, proxy 1, proxy 2, "in3" (intin), "ft4"
// (floatin). Every method posts the inlet it heard the message at.
struct Proxied {
  t_object ob;
  void *out;
  void *proxy1;
  void *proxy2;
  long stuffed;
};

t_class *proxied_class;

void *proxied_new() {
  auto *x = static_cast<Proxied *>(object_alloc(proxied_class));
  x->out = intout(x);
  floatin(x, 4);
  intin(x, 3);
  x->proxy2 = proxy_new(x, 2, &x->stuffed);
  x->proxy1 = proxy_new(x, 1, &x->stuffed);
  return x;
}

void proxied_free(Proxied *x) {
  object_free(x->proxy1);
  object_free(x->proxy2);
}

void proxied_heard(Proxied *x, const char *what) {
  post("test-proxied: %s at inlet %ld, stuffed %ld", what, proxy_getinlet(&x->ob), x->stuffed);
}
// An int above 0 at a proxy goes out less one: connected to its own left
// inlet, a message nests inside the proxy's.
void proxied_int(Proxied *x, t_atom_long n) {
  proxied_heard(x, ("int " + std::to_string(n)).c_str());
  if (n > 0 && proxy_getinlet(&x->ob) != 0) {
    outlet_int(x->out, n - 1);
    proxied_heard(x, "after the output");
  }
}
void proxied_float(Proxied *x, double f) {
  char what[64];
  std::snprintf(what, sizeof what, "float %g", f);
  proxied_heard(x, what);
}
void proxied_bang(Proxied *x) {
  proxied_heard(x, "bang");
}
void proxied_anything(Proxied *x, t_symbol *s, long argc, t_atom *argv) {
  proxied_heard(
      x, (std::string(s->s_name) + " [" + text_of(static_cast<short>(argc), argv) + "]").c_str());
}
void proxied_in3(Proxied *, t_atom_long n) {
  post("test-proxied: in3 %lld", static_cast<long long>(n));
}
void proxied_ft4(Proxied *, double f) {
  post("test-proxied: ft4 %g", f);
}
// Frees the first proxy (twice: the second is refused).
void proxied_drop(Proxied *x) {
  object_free(x->proxy1);
  freeobject(x->proxy1);
  x->proxy1 = nullptr;
}
// Inlets that cannot be made.
void proxied_misuse(Proxied *x) {
  const bool intin_made = intin(x, 0);
  const bool floatin_made = floatin(x, 10);
  const bool proxy_made = proxy_new(x, 0, nullptr);
  post("test-proxied: made %d %d %d", intin_made, floatin_made, proxy_made);
}

void proxied_main() {
  proxied_class =
      class_new("test-proxied", (method)proxied_new, (method)proxied_free, sizeof(Proxied), 0, 0);
  class_addmethod(proxied_class, (method)proxied_int, "int", A_LONG, 0);
  class_addmethod(proxied_class, (method)proxied_float, "float", A_FLOAT, 0);
  class_addmethod(proxied_class, (method)proxied_bang, "bang", 0);
  class_addmethod(proxied_class, (method)proxied_anything, "anything", A_GIMME, 0);
  class_addmethod(proxied_class, (method)proxied_in3, "in3", A_LONG, 0);
  class_addmethod(proxied_class, (method)proxied_ft4, "ft4", A_FLOAT, 0);
  class_addmethod(proxied_class, (method)proxied_drop, "drop", 0);
  class_addmethod(proxied_class, (method)proxied_misuse, "misuse", 0);
  class_addmethod(proxied_class, (method)stdinletinfo, "inletinfo", A_CANT, 0);
  class_register(gensym("box"), proxied_class);
}

// ---- test-old: registered with setup, typed creation --------------------------

// The older registration calls, deprecated in the API but still served.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
t_messlist *old_class;

struct Old {
  t_object ob;
  void *out;
  t_atom_long start;
};
void *old_new(t_atom_long start) {
  auto *x = static_cast<Old *>(newobject(old_class));
  x->out = listout(x);
  x->start = start;
  return x;
}
void old_int(Old *x, t_atom_long n) {
  outlet_int(x->out, x->start + n);
}
void old_bang(Old *x) {
  outlet_bang(x->out);
}
void old_float(Old *x, double f) {
  outlet_float(x->out, f + static_cast<double>(x->start));
}
void old_main() {
  setup(&old_class, (method)old_new, 0, sizeof(Old), 0, A_LONG, 0);
  addint((method)old_int);
  addbang((method)old_bang);
  addfloat((method)old_float);
}
#pragma GCC diagnostic pop

} // namespace

void define_test_classes() {
  kit::Host &host = kit::Host::instance();
  host.define_module("test-probe", probe_main);
  host.define_module("test-timer", timer_main);
  host.define_module("test-floaty", floaty_main);
  host.define_module("test-listy", listy_main);
  host.define_module("test-inty", inty_main);
  host.define_module("test-old", old_main);
  host.define_module("test-proxied", proxied_main);
}

} // namespace hosttest
