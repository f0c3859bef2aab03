// random [N] [SEED]: a bang sends a whole number from 0 to N - 1 (N 1 at
// first; 0 for N below 2). The right inlet keeps N; "seed S" starts the
// numbers again from a seed (SEED, when given, at first: the same seed gives
// the same numbers run after run).
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <cstdint>
#include <random>

namespace kithost::builtins {

namespace {

struct Random {
  t_object header;
  void *out;
  std::mt19937_64 *numbers;
  t_atom_long range;
};

t_class *random_class = nullptr;

void *random_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Random *>(object_alloc(random_class));
  if (!x)
    return nullptr;
  x->range = argc >= 1 ? atom_getlong(argv) : 1;
  const auto seed =
      argc >= 2 ? static_cast<std::uint64_t>(atom_getlong(argv + 1)) : std::random_device{}();
  x->numbers = new std::mt19937_64(seed);
  intin(x, 1);
  x->out = intout(x);
  return x;
}

void random_free(Random *x) {
  delete x->numbers;
}

void random_bang(Random *x) {
  if (x->range < 2) {
    outlet_int(x->out, 0);
    return;
  }
  std::uniform_int_distribution<t_atom_long> pick(0, x->range - 1);
  outlet_int(x->out, pick(*x->numbers));
}

void random_range(Random *x, t_atom_long n) {
  x->range = n;
}

void random_seed(Random *x, t_atom_long seed) {
  x->numbers->seed(static_cast<std::uint64_t>(seed));
}

void random_assist(Random *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, "(int) from 0 to N - 1");
  else
    copy_assist(text, index == 0 ? "(bang) a number; seed S" : "(int) N");
}

} // namespace

void define_random() {
  random_class =
      class_new("random", reinterpret_cast<method>(random_new),
                reinterpret_cast<method>(random_free), sizeof(Random), nullptr, A_GIMME, 0);
  class_addmethod(random_class, reinterpret_cast<method>(random_bang), "bang", 0);
  class_addmethod(random_class, reinterpret_cast<method>(random_range), "in1", A_LONG, 0);
  class_addmethod(random_class, reinterpret_cast<method>(random_seed), "seed", A_LONG, 0);
  class_addmethod(random_class, reinterpret_cast<method>(random_assist), "assist", A_CANT, 0);
  class_addmethod(random_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, random_class);
}

} // namespace kithost::builtins
