// pipe [VALUES...] [MS]: every message out again MS milliseconds later
// (0 without an argument), each on its own, however many wait. The last
// argument is the time; those before it are the values, one outlet and one
// inlet each (one int without any), of their argument's kind: an int, a
// float or a symbol. A number or a list into the left inlet sets values from
// the first on and sends them all later; a bang sends them later as they
// are; the other inlets keep a value each, the rightmost the time. "flush"
// sends everything waiting now, "clear" (or "stop") drops it.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <map>
#include <vector>

namespace kithost::builtins {

namespace {

// More than this many messages waiting is a patch gone wrong: the host
// would grow without bound.
constexpr std::size_t max_waiting = 65536;

struct Pipe {
  t_object header;
  std::vector<void *> *outs; ///< one per value, left to right
  std::vector<void *> *proxies;
  long inlet;
  std::vector<t_atom> *values;
  /// Waiting messages by due time; equal times in the order they came.
  std::multimap<double, std::vector<t_atom>> *waiting;
  t_clock *clock;
  double ms;
};

t_class *pipe_class = nullptr;

double usable_time(double ms) {
  return ms > 0 ? ms : 0;
}

void send_values(Pipe *x, const std::vector<t_atom> &values) {
  for (std::size_t i = values.size(); i-- > 0;) {
    const t_atom &value = values[i];
    void *out = (*x->outs)[i];
    if (value.a_type == A_LONG)
      outlet_int(out, value.a_w.w_long);
    else if (value.a_type == A_FLOAT)
      outlet_float(out, value.a_w.w_float);
    else {
      t_atom word = value;
      outlet_anything(out, gensym("symbol"), 1, &word);
    }
  }
}

void arm(Pipe *x) {
  if (x->waiting->empty())
    clock_unset(x->clock);
  else
    clock_fdelay(x->clock, x->waiting->begin()->first - gettime_forobject(&x->header));
}

// Everything due by now goes out; what its outputs make wait comes later.
void pipe_tick(Pipe *x) {
  const double now = gettime_forobject(&x->header);
  while (!x->waiting->empty() && x->waiting->begin()->first <= now) {
    const std::vector<t_atom> values = x->waiting->begin()->second;
    x->waiting->erase(x->waiting->begin());
    send_values(x, values);
  }
  arm(x);
}

void *pipe_new(t_symbol *, long argc, t_atom *argv) {
  if (argc >= 1 && !is_number(argv[argc - 1])) {
    error("pipe: the last argument is the time, a number");
    return nullptr;
  }
  auto *x = static_cast<Pipe *>(object_alloc(pipe_class));
  if (!x)
    return nullptr;
  x->ms = argc >= 1 ? usable_time(atom_getfloat(argv + argc - 1)) : 0;
  x->values = new std::vector<t_atom>(argv, argv + (argc > 1 ? argc - 1 : 0));
  if (x->values->empty())
    atom_setlong(&x->values->emplace_back(), 0);
  x->waiting = new std::multimap<double, std::vector<t_atom>>;
  x->proxies = new std::vector<void *>;
  for (auto id = static_cast<long>(x->values->size()); id >= 1; --id)
    x->proxies->push_back(proxy_new(x, id, &x->inlet));
  x->outs = new std::vector<void *>(x->values->size());
  for (auto out = x->outs->rbegin(); out != x->outs->rend(); ++out)
    *out = outlet_new(x, nullptr);
  x->clock = clock_new(x, reinterpret_cast<method>(pipe_tick));
  return x;
}

void pipe_free(Pipe *x) {
  if (x->clock)
    freeobject(reinterpret_cast<t_object *>(x->clock));
  for (void *proxy : *x->proxies)
    object_free(proxy);
  delete x->proxies;
  delete x->outs;
  delete x->values;
  delete x->waiting;
}

// Values from `first` on take the atoms, each in its kind.
void keep(Pipe *x, std::size_t first, const std::vector<t_atom> &atoms) {
  for (std::size_t i = 0; i < atoms.size() && first + i < x->values->size(); ++i) {
    t_atom &value = (*x->values)[first + i];
    if ((value.a_type == A_SYM) != (atoms[i].a_type == A_SYM)) {
      error("pipe: value %zu takes a %s", first + i + 1,
            value.a_type == A_SYM ? "symbol" : "number");
    } else if (value.a_type == A_LONG) {
      atom_setlong(&value, atom_getlong(&atoms[i]));
    } else if (value.a_type == A_FLOAT) {
      atom_setfloat(&value, atom_getfloat(&atoms[i]));
    } else {
      value = atoms[i];
    }
  }
}

void pipe_anything(Pipe *x, t_symbol *s, long argc, t_atom *argv) {
  const std::vector<t_atom> atoms = message_atoms(s, argc, argv);
  const auto inlet = static_cast<std::size_t>(proxy_getinlet(&x->header));
  if (inlet == x->values->size()) {
    if (atoms.empty() || !is_number(atoms[0]))
      error("pipe: the time is a number");
    else
      x->ms = usable_time(atom_getfloat(&atoms[0]));
    return;
  }
  keep(x, inlet, atoms);
  if (inlet != 0)
    return;
  if (x->waiting->size() >= max_waiting) {
    error("pipe: %zu messages already wait; this one is dropped", max_waiting);
    return;
  }
  x->waiting->emplace(gettime_forobject(&x->header) + x->ms, *x->values);
  arm(x);
}

void pipe_flush(Pipe *x) {
  std::multimap<double, std::vector<t_atom>> due;
  due.swap(*x->waiting);
  clock_unset(x->clock);
  for (const auto &[when, values] : due)
    send_values(x, values);
}

void pipe_clear(Pipe *x) {
  x->waiting->clear();
  clock_unset(x->clock);
}

void pipe_assist(Pipe *x, void *, long kind, long index, char *text) {
  const auto values = static_cast<long>(x->values->size());
  if (kind == ASSIST_OUTLET)
    std::snprintf(text, 512, "value %ld, later", index + 1);
  else if (index == 0)
    copy_assist(text, "(anything) the values, sent later; flush, clear");
  else if (index < values)
    std::snprintf(text, 512, "value %ld, kept", index + 1);
  else
    copy_assist(text, "(number) the time in milliseconds");
}

} // namespace

void define_pipe() {
  pipe_class = class_new("pipe", reinterpret_cast<method>(pipe_new),
                         reinterpret_cast<method>(pipe_free), sizeof(Pipe), nullptr, A_GIMME, 0);
  add_message_methods<Pipe, pipe_anything>(pipe_class);
  class_addmethod(pipe_class, reinterpret_cast<method>(pipe_flush), "flush", 0);
  class_addmethod(pipe_class, reinterpret_cast<method>(pipe_clear), "clear", 0);
  class_addmethod(pipe_class, reinterpret_cast<method>(pipe_clear), "stop", 0);
  class_addmethod(pipe_class, reinterpret_cast<method>(pipe_assist), "assist", A_CANT, 0);
  class_addmethod(pipe_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, pipe_class);
}

} // namespace kithost::builtins
