// pack ARGS and pak ARGS: a list of one element per inlet (two ints
// without arguments). Each argument gives its element's kind and first
// value: an int, a float (with a decimal point), or a symbol ("i", "f" and
// "s" stand for 0, 0.0 and the empty symbol). A number or symbol into an
// inlet replaces its element (converted to the element's kind); a list into
// an inlet replaces elements from there on. The left inlet of pack is hot
// (it sends the list), the others cold; every inlet of pak is hot. A bang
// into a hot inlet sends the list; "set ..." into an inlet replaces without
// output.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Pack {
  t_object header;
  void *out;
  std::vector<void *> *proxies;
  std::vector<t_atom> *elements;
  long inlet;
  bool all_hot;
};

t_class *pack_class = nullptr;
t_class *pak_class = nullptr;

t_atom element_of(const t_atom &argument) {
  t_atom a = argument;
  switch (type_word(argument)) {
  case TypeWord::integer:
    atom_setlong(&a, 0);
    break;
  case TypeWord::floating:
    atom_setfloat(&a, 0);
    break;
  case TypeWord::symbol:
    atom_setsym(&a, gensym(""));
    break;
  default:
    break;
  }
  return a;
}

void *pack_new(t_symbol *s, long argc, t_atom *argv) {
  const bool all_hot = s == gensym("pak");
  auto *x = static_cast<Pack *>(object_alloc(all_hot ? pak_class : pack_class));
  if (!x)
    return nullptr;
  x->all_hot = all_hot;
  x->elements = new std::vector<t_atom>;
  for (long i = 0; i < argc; ++i)
    x->elements->push_back(element_of(argv[i]));
  if (x->elements->empty()) {
    x->elements->resize(2);
    atom_setlong(&(*x->elements)[0], 0);
    atom_setlong(&(*x->elements)[1], 0);
  }
  x->proxies = new std::vector<void *>;
  for (long id = static_cast<long>(x->elements->size()) - 1; id >= 1; --id)
    x->proxies->push_back(proxy_new(x, id, &x->inlet));
  x->out = outlet_new(x, nullptr);
  return x;
}

void pack_free(Pack *x) {
  for (void *proxy : *x->proxies)
    object_free(proxy);
  delete x->proxies;
  delete x->elements;
}

void pack_bang(Pack *x) {
  std::vector<t_atom> list = *x->elements;
  outlet_atoms(&x->header, x->out, list);
}

// Elements from `first` on take the atoms, each converted to its kind; a
// symbol for a number (or a number for a symbol) is refused.
bool replace(Pack *x, std::size_t first, long argc, const t_atom *argv) {
  std::vector<t_atom> &elements = *x->elements;
  for (long i = 0; i < argc && first + static_cast<std::size_t>(i) < elements.size(); ++i) {
    t_atom &element = elements[first + static_cast<std::size_t>(i)];
    const t_atom &in = argv[i];
    if ((element.a_type == A_SYM) != (in.a_type == A_SYM)) {
      error("%s: element %zu takes a %s", object_classname(x)->s_name,
            first + static_cast<std::size_t>(i) + 1, element.a_type == A_SYM ? "symbol" : "number");
      return false;
    }
    if (element.a_type == A_LONG)
      atom_setlong(&element, atom_getlong(&in));
    else if (element.a_type == A_FLOAT)
      atom_setfloat(&element, atom_getfloat(&in));
    else
      element = in;
  }
  return true;
}

void pack_take(Pack *x, long argc, t_atom *argv, bool send) {
  const long inlet = proxy_getinlet(&x->header);
  if (replace(x, static_cast<std::size_t>(inlet), argc, argv) && send && (inlet == 0 || x->all_hot))
    pack_bang(x);
}

void pack_anything(Pack *x, t_symbol *s, long argc, t_atom *argv) {
  if (s == gensym("bang")) {
    if (proxy_getinlet(&x->header) == 0 || x->all_hot)
      pack_bang(x);
    return;
  }
  std::vector<t_atom> atoms = message_atoms(s, argc, argv);
  pack_take(x, static_cast<long>(atoms.size()), atoms.data(), true);
}

void pack_set(Pack *x, t_symbol *, long argc, t_atom *argv) {
  pack_take(x, argc, argv, false);
}

void pack_assist(Pack *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, "(list) the elements");
  else if (index == 0 || x->all_hot)
    std::snprintf(text, 512, "(anything) element %ld, and send the list", index + 1);
  else
    std::snprintf(text, 512, "(anything) element %ld, kept", index + 1);
}

t_class *define_pack_class(const char *name) {
  t_class *c = class_new(name, reinterpret_cast<method>(pack_new),
                         reinterpret_cast<method>(pack_free), sizeof(Pack), nullptr, A_GIMME, 0);
  add_message_methods<Pack, pack_anything>(c);
  class_addmethod(c, reinterpret_cast<method>(pack_set), "set", A_GIMME, 0);
  class_addmethod(c, reinterpret_cast<method>(pack_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

void define_pack() {
  pack_class = define_pack_class("pack");
  class_addmethod(pack_class, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
}

void define_pak() {
  pak_class = define_pack_class("pak");
}

} // namespace kithost::builtins
