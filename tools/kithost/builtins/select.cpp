// select N...: an int equal to the Nth argument makes a bang on outlet N;
// any other int goes on out of the last outlet. For picking out a byte, such
// as the newline of a line of text.
#include "builtins_internal.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Select {
  t_object header;
  std::vector<t_atom_long> *values; // one per bang outlet
  std::vector<void *> *matched;     // bang outlets, in argument order
  void *rejected;
};

t_class *select_class = nullptr;

void *select_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Select *>(object_alloc(select_class));
  if (!x)
    return nullptr;
  x->values = new std::vector<t_atom_long>;
  x->matched = new std::vector<void *>;
  for (long i = 0; i < argc; ++i) {
    if (argv[i].a_type == A_LONG || argv[i].a_type == A_FLOAT) {
      x->values->push_back(atom_getlong(&argv[i]));
    } else {
      error("select: argument %ld is not a number, 0 is used", i + 1);
      x->values->push_back(0);
    }
  }
  // Outlets are made right to left: the rejects last on the right.
  x->rejected = intout(x);
  x->matched->resize(x->values->size());
  for (auto slot = x->matched->rbegin(); slot != x->matched->rend(); ++slot)
    *slot = bangout(x);
  return x;
}

void select_free(Select *x) {
  delete x->values;
  delete x->matched;
}

void select_int(Select *x, t_atom_long n) {
  for (std::size_t i = 0; i < x->values->size(); ++i)
    if ((*x->values)[i] == n) {
      outlet_bang((*x->matched)[i]);
      return;
    }
  outlet_int(x->rejected, n);
}

// A float compares as the host turns it into a long: truncated toward zero,
// held at the long's limits beyond them.
void select_float(Select *x, double f) {
  t_atom number;
  atom_setfloat(&number, f);
  select_int(x, atom_getlong(&number));
}

void select_assist(Select *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "(int) to compare");
  else if (static_cast<std::size_t>(index) < x->values->size())
    std::snprintf(text, 512, "(bang) on %lld", static_cast<long long>((*x->values)[index]));
  else
    copy_assist(text, "(int) any other number");
}

} // namespace

void define_select() {
  select_class =
      class_new("select", reinterpret_cast<method>(select_new),
                reinterpret_cast<method>(select_free), sizeof(Select), nullptr, A_GIMME, 0);
  class_addmethod(select_class, reinterpret_cast<method>(select_int), "int", A_LONG, 0);
  class_addmethod(select_class, reinterpret_cast<method>(select_float), "float", A_FLOAT, 0);
  class_addmethod(select_class, reinterpret_cast<method>(select_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, select_class);
}

} // namespace kithost::builtins
