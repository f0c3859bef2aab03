// counter [DIRECTION] [MIN] MAX: counts bangs. With one argument it is MAX
// (MIN 0), with two MIN and MAX, with three DIRECTION (0 up, 1 down, 2 up and
// down), MIN and MAX; without any it counts up from 0 with no maximum. A
// bang (or "next") sends the count, then steps it: past MAX it starts again
// at MIN (down: past MIN at MAX; up and down turns at either end). Outlets,
// right to left: how many times the count reached MAX (MIN counting down),
// sent when it does; 1 when the count sent is MAX, and 0 with the next one
// (the overflow flag; not counting down); the same for MIN (underflow; not
// counting up); the count.
// Inlets: the count (a bang; an int N sends N and counts on from it, as
// "jam N"); the direction; the next count to send (a bang: MIN); MAX.
// Messages: "set N" (the next count), "jam N", "min N", "max N", "up",
// "down", "updown", "reset" (the next count is MIN, the carry count 0).
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <algorithm>
#include <limits>

namespace kithost::builtins {

namespace {

enum Direction : t_atom_long { up = 0, down = 1, up_down = 2 };

struct Counter {
  t_object header;
  void *count_out;
  void *underflow_out;
  void *overflow_out;
  void *carry_out;
  void *proxies[3];
  long inlet;
  t_atom_long next;
  t_atom_long min;
  t_atom_long max;
  t_atom_long direction;
  bool rising; ///< up and down: the way it goes now
  bool overflow_on;
  bool underflow_on;
  t_atom_long carries;
  bool bounded; ///< a MAX was given: without one the end of the long is no maximum to report
};

t_class *counter_class = nullptr;

void *counter_new(t_symbol *, long argc, t_atom *argv) {
  for (long i = 0; i < argc; ++i) {
    if (!is_number(argv[i])) {
      error("counter: the arguments must be numbers");
      return nullptr;
    }
  }
  auto *x = static_cast<Counter *>(object_alloc(counter_class));
  if (!x)
    return nullptr;
  x->max = std::numeric_limits<t_atom_long>::max();
  x->bounded = argc > 0;
  if (argc == 1) {
    x->max = atom_getlong(argv);
  } else if (argc == 2) {
    x->min = atom_getlong(argv);
    x->max = atom_getlong(argv + 1);
  } else if (argc >= 3) {
    x->direction = atom_getlong(argv);
    x->min = atom_getlong(argv + 1);
    x->max = atom_getlong(argv + 2);
  }
  if (x->direction < up || x->direction > up_down)
    x->direction = up;
  x->rising = x->direction != down;
  x->next = x->direction == down ? x->max : x->min;
  for (long id = 3; id >= 1; --id)
    x->proxies[id - 1] = proxy_new(x, id, &x->inlet);
  x->carry_out = intout(x);
  x->overflow_out = intout(x);
  x->underflow_out = intout(x);
  x->count_out = intout(x);
  return x;
}

void counter_free(Counter *x) {
  for (void *proxy : x->proxies)
    object_free(proxy);
}

// The count after `n`. A count left outside MIN..MAX (by "set") steps in.
t_atom_long step_up(const Counter *x, t_atom_long n) {
  return n < x->min || n >= x->max ? x->min : n + 1;
}
t_atom_long step_down(const Counter *x, t_atom_long n) {
  return n > x->max || n <= x->min ? x->max : n - 1;
}

void step(Counter *x, t_atom_long n) {
  if (x->direction == up) {
    x->next = step_up(x, n);
  } else if (x->direction == down) {
    x->next = step_down(x, n);
  } else {
    // Up and down turns at either end.
    if (x->rising && n >= x->max)
      x->rising = false;
    else if (!x->rising && n <= x->min)
      x->rising = true;
    x->next = x->rising ? (n < x->max ? std::max(n + 1, x->min) : x->max)
                        : (n > x->min ? std::min(n - 1, x->max) : x->min);
  }
}

// A flag goes out when it changes.
void flag(void *out, bool &on, bool now) {
  if (now != on)
    outlet_int(out, now ? 1 : 0);
  on = now;
}

void counter_count(Counter *x) {
  const t_atom_long n = x->next;
  const bool at_max = n == x->max && x->direction != down && x->bounded;
  const bool at_min = n == x->min && x->direction != up;
  step(x, n);
  if (x->direction == down ? at_min : at_max)
    outlet_int(x->carry_out, ++x->carries);
  flag(x->overflow_out, x->overflow_on, at_max);
  flag(x->underflow_out, x->underflow_on, at_min);
  outlet_int(x->count_out, n);
}

void counter_set(Counter *x, t_atom_long n) {
  x->next = n;
}
void counter_jam(Counter *x, t_atom_long n) {
  x->next = n;
  counter_count(x);
}
void counter_min(Counter *x, t_atom_long n) {
  x->min = n;
}
void counter_max(Counter *x, t_atom_long n) {
  x->max = n;
  x->bounded = true;
}
void counter_direction(Counter *x, t_atom_long direction) {
  if (direction < up || direction > up_down) {
    error("counter: the direction is 0 (up), 1 (down) or 2 (up and down)");
    return;
  }
  x->direction = direction;
  x->rising = direction != down;
}
void counter_up(Counter *x) {
  counter_direction(x, up);
}
void counter_down(Counter *x) {
  counter_direction(x, down);
}
void counter_updown(Counter *x) {
  counter_direction(x, up_down);
}
void counter_reset(Counter *x) {
  x->next = x->min;
  x->carries = 0;
}

void counter_bang(Counter *x) {
  switch (proxy_getinlet(&x->header)) {
  case 0:
    counter_count(x);
    break;
  case 2:
    x->next = x->min;
    break;
  default:
    error("counter: a bang goes into the left inlet or the third");
  }
}

void counter_int(Counter *x, t_atom_long n) {
  switch (proxy_getinlet(&x->header)) {
  case 0:
    counter_jam(x, n);
    break;
  case 1:
    counter_direction(x, n);
    break;
  case 2:
    counter_set(x, n);
    break;
  default:
    counter_max(x, n);
  }
}

void counter_assist(Counter *, void *, long kind, long index, char *text) {
  static constexpr const char *inlets[] = {"(bang) send the count and step it, (int) jam",
                                           "(int) direction: 0 up, 1 down, 2 up and down",
                                           "(int) the next count, (bang) MIN next", "(int) MAX"};
  static constexpr const char *outlets[] = {"(int) the count", "(int) 1 at MIN, 0 leaving it",
                                            "(int) 1 at MAX, 0 leaving it",
                                            "(int) times the end was reached"};
  copy_assist(text, (kind == ASSIST_INLET ? inlets : outlets)[index & 3]);
}

} // namespace

void define_counter() {
  counter_class =
      class_new("counter", reinterpret_cast<method>(counter_new),
                reinterpret_cast<method>(counter_free), sizeof(Counter), nullptr, A_GIMME, 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_bang), "bang", 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_int), "int", A_LONG, 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_count), "next", 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_set), "set", A_LONG, 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_jam), "jam", A_LONG, 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_min), "min", A_LONG, 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_max), "max", A_LONG, 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_up), "up", 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_down), "down", 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_updown), "updown", 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_reset), "reset", 0);
  class_addmethod(counter_class, reinterpret_cast<method>(counter_assist), "assist", A_CANT, 0);
  class_addmethod(counter_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, counter_class);
}

} // namespace kithost::builtins
