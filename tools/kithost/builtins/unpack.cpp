// unpack ARGS: a list taken apart, one element per outlet, right to left
// (two ints without arguments). Each argument gives its outlet's kind as in
// pack: an int (a float is truncated), a float, or a symbol ("i", "f", "s").
// A message's selector counts as its first element; elements beyond the
// outlets are dropped, missing ones send nothing. An element of the wrong
// kind for its outlet (a symbol for a number) is reported and not sent.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <algorithm>
#include <vector>

namespace kithost::builtins {

namespace {

enum class Kind { integer, floating, symbol };

struct Outlet {
  Kind kind;
  void *out;
};

struct Unpack {
  t_object header;
  std::vector<Outlet> *outlets; ///< left to right
};

t_class *unpack_class = nullptr;

Kind kind_of(const t_atom &a) {
  if (a.a_type == A_LONG || type_word(a) == TypeWord::integer)
    return Kind::integer;
  if (a.a_type == A_FLOAT || type_word(a) == TypeWord::floating)
    return Kind::floating;
  return Kind::symbol;
}

void *unpack_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Unpack *>(object_alloc(unpack_class));
  if (!x)
    return nullptr;
  x->outlets = new std::vector<Outlet>;
  for (long i = 0; i < argc; ++i)
    x->outlets->push_back({kind_of(argv[i]), nullptr});
  if (x->outlets->empty())
    x->outlets->assign(2, {Kind::integer, nullptr});
  for (auto outlet = x->outlets->rbegin(); outlet != x->outlets->rend(); ++outlet)
    outlet->out = outlet_new(x, nullptr);
  return x;
}

void unpack_free(Unpack *x) {
  delete x->outlets;
}

void unpack_anything(Unpack *x, t_symbol *s, long argc, t_atom *argv) {
  const std::vector<t_atom> elements = message_atoms(s, argc, argv);
  const std::vector<Outlet> outlets = *x->outlets;
  const std::size_t count = std::min(elements.size(), outlets.size());
  for (std::size_t i = count; i-- > 0;) {
    const t_atom &element = elements[i];
    const Outlet &outlet = outlets[i];
    if ((outlet.kind == Kind::symbol) != (element.a_type == A_SYM)) {
      error("unpack: element %zu is not a %s", i + 1,
            outlet.kind == Kind::symbol ? "symbol" : "number");
      continue;
    }
    if (outlet.kind == Kind::integer) {
      outlet_int(outlet.out, atom_getlong(&element));
    } else if (outlet.kind == Kind::floating) {
      outlet_float(outlet.out, atom_getfloat(&element));
    } else {
      t_atom word = element;
      outlet_anything(outlet.out, gensym("symbol"), 1, &word);
    }
  }
}

void unpack_assist(Unpack *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET) {
    copy_assist(text, "(list) to take apart");
    return;
  }
  const auto &outlets = *x->outlets;
  const Kind of = static_cast<std::size_t>(index) < outlets.size()
                      ? outlets[static_cast<std::size_t>(index)].kind
                      : Kind::integer;
  std::snprintf(text, 512, "(%s) element %ld",
                of == Kind::integer    ? "int"
                : of == Kind::floating ? "float"
                                       : "symbol",
                index + 1);
}

} // namespace

void define_unpack() {
  unpack_class =
      class_new("unpack", reinterpret_cast<method>(unpack_new),
                reinterpret_cast<method>(unpack_free), sizeof(Unpack), nullptr, A_GIMME, 0);
  add_message_methods<Unpack, unpack_anything>(unpack_class);
  class_addmethod(unpack_class, reinterpret_cast<method>(unpack_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, unpack_class);
}

} // namespace kithost::builtins
