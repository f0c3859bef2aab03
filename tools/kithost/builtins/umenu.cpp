// umenu, headless: a menu of items, each a few atoms, one of them chosen.
// The items come from the "items" attribute (as the host saves them: the
// items' atoms separated by "," symbols) or from "append ATOMS", "insert N
// ATOMS", "delete N" and "clear". An int chooses that item (counted from 0;
// one out of range is ignored) and sends the item out of the middle outlet,
// then its number out of the left; a bang sends the chosen one again; "set N"
// chooses without output; "symbol TEXT" chooses the item of that text and
// sends it, "setsymbol TEXT" without output. The right outlet (the host's
// menu events) stays silent.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include "kit/text.hpp"

#include <algorithm>
#include <vector>

namespace kithost::builtins {

namespace {

using Item = std::vector<t_atom>;

struct Umenu {
  t_object header;
  void *index_out;
  void *item_out;
  void *events;
  std::vector<Item> *items;
  long chosen;
};

t_class *umenu_class = nullptr;

void *umenu_new() {
  auto *x = static_cast<Umenu *>(object_alloc(umenu_class));
  if (!x)
    return nullptr;
  x->items = new std::vector<Item>;
  x->events = outlet_new(x, nullptr);
  x->item_out = outlet_new(x, nullptr);
  x->index_out = intout(x);
  return x;
}

void umenu_free(Umenu *x) {
  delete x->items;
}

bool choose(Umenu *x, t_atom_long n) {
  if (n < 0 || static_cast<std::size_t>(n) >= x->items->size())
    return false;
  x->chosen = static_cast<long>(n);
  return true;
}

void umenu_bang(Umenu *x) {
  if (!choose(x, x->chosen))
    return;
  // The output may change the items: send a copy.
  Item item = (*x->items)[static_cast<std::size_t>(x->chosen)];
  const long chosen = x->chosen;
  outlet_atoms(&x->header, x->item_out, item);
  outlet_int(x->index_out, chosen);
}

void umenu_int(Umenu *x, t_atom_long n) {
  if (choose(x, n))
    umenu_bang(x);
}

void umenu_set(Umenu *x, t_atom_long n) {
  choose(x, n);
}

bool choose_text(Umenu *x, t_symbol *text) {
  for (std::size_t i = 0; i < x->items->size(); ++i)
    if (kit::format_atoms((*x->items)[i]) == text->s_name ||
        ((*x->items)[i].size() == 1 && (*x->items)[i][0].a_type == A_SYM &&
         (*x->items)[i][0].a_w.w_sym == text))
      return choose(x, static_cast<t_atom_long>(i));
  return false;
}

void umenu_symbol(Umenu *x, t_symbol *text) {
  if (choose_text(x, text))
    umenu_bang(x);
}
void umenu_setsymbol(Umenu *x, t_symbol *text) {
  choose_text(x, text);
}

// Items separated by "," atoms; empty ones are left out.
std::vector<Item> split_items(long argc, const t_atom *argv) {
  std::vector<Item> items(1);
  for (long i = 0; i < argc; ++i) {
    if (argv[i].a_type == A_SYM && argv[i].a_w.w_sym == gensym(","))
      items.emplace_back();
    else
      items.back().push_back(argv[i]);
  }
  std::erase_if(items, [](const Item &item) { return item.empty(); });
  return items;
}

t_max_err umenu_items(Umenu *x, void *, long argc, t_atom *argv) {
  *x->items = split_items(argc, argv);
  x->chosen = 0;
  return MAX_ERR_NONE;
}

void umenu_append(Umenu *x, t_symbol *, long argc, t_atom *argv) {
  for (Item &item : split_items(argc, argv))
    x->items->push_back(std::move(item));
}

void umenu_insert(Umenu *x, t_symbol *, long argc, t_atom *argv) {
  if (argc < 2 || !is_number(argv[0])) {
    error("umenu: insert needs a place and an item");
    return;
  }
  const t_atom_long at = atom_getlong(argv);
  const auto place = at < 0 ? 0 : std::min(static_cast<std::size_t>(at), x->items->size());
  x->items->insert(x->items->begin() + static_cast<long>(place), Item(argv + 1, argv + argc));
}

void umenu_delete(Umenu *x, t_atom_long n) {
  if (n < 0 || static_cast<std::size_t>(n) >= x->items->size())
    return;
  x->items->erase(x->items->begin() + n);
  if (x->chosen >= n && x->chosen > 0)
    --x->chosen;
}

void umenu_clear(Umenu *x) {
  x->items->clear();
  x->chosen = 0;
}

void umenu_assist(Umenu *, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "(int) choose an item, (bang) send it again, set N, append, clear");
  else
    copy_assist(text, index == 0   ? "(int) the chosen item's number"
                      : index == 1 ? "(anything) the chosen item"
                                   : "menu events: never");
}

} // namespace

void define_umenu() {
  umenu_class = class_new("umenu", reinterpret_cast<method>(umenu_new),
                          reinterpret_cast<method>(umenu_free), sizeof(Umenu), nullptr, 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_bang), "bang", 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_int), "int", A_LONG, 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_set), "set", A_LONG, 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_symbol), "symbol", A_SYM, 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_setsymbol), "setsymbol", A_SYM, 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_append), "append", A_GIMME, 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_insert), "insert", A_GIMME, 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_delete), "delete", A_LONG, 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_clear), "clear", 0);
  class_addmethod(umenu_class, reinterpret_cast<method>(umenu_assist), "assist", A_CANT, 0);
  class_addattr(umenu_class, attr_offset_new("items", gensym("atom"), 0, nullptr,
                                             reinterpret_cast<method>(umenu_items), 0));
  class_register(CLASS_BOX, umenu_class);
}

} // namespace kithost::builtins
