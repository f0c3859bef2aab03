// route ARGS and select ARGS (sel): a message sorted by its first element,
// compared with each argument (numbers by value, 5 equals 5.0; symbols by
// name). The first element is a message's selector, or the first atom of an
// int, float, list or symbol; a bang's is "bang".
//   route: a match sends the rest of the message out of the argument's
//     outlet, as a message box holding those atoms would (nothing left is a
//     bang); no match sends the whole message out of the last outlet.
//   select: a match sends a bang out of the argument's outlet; no match
//     sends the message out of the last outlet, a float truncated to an int
//     (floats are compared as ints too, as are float arguments).
// With one argument there is a right inlet, which replaces it.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include "kit/text.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Router {
  t_object header;
  std::vector<t_atom> *keys;
  std::vector<void *> *matched; ///< an outlet per key
  void *rejected;
  void *proxy;
  long inlet;
  bool bangs; ///< select, else route
};

t_class *route_class = nullptr;
t_class *select_class = nullptr;

// select compares numbers as ints.
t_atom select_key(const t_atom &a) {
  t_atom key = a;
  if (a.a_type == A_FLOAT)
    atom_setlong(&key, atom_getlong(&a));
  return key;
}

void *router_new(t_symbol *s, long argc, t_atom *argv) {
  const bool bangs = s == gensym("select");
  auto *x = static_cast<Router *>(object_alloc(bangs ? select_class : route_class));
  if (!x)
    return nullptr;
  x->bangs = bangs;
  x->keys = new std::vector<t_atom>;
  for (long i = 0; i < argc; ++i)
    x->keys->push_back(bangs ? select_key(argv[i]) : argv[i]);
  if (argc == 1)
    x->proxy = proxy_new(x, 1, &x->inlet);
  x->rejected = outlet_new(x, nullptr);
  x->matched = new std::vector<void *>(x->keys->size());
  // Outlets are made right to left: the rejects last on the right.
  for (auto slot = x->matched->rbegin(); slot != x->matched->rend(); ++slot)
    *slot = x->bangs ? bangout(x) : outlet_new(x, nullptr);
  return x;
}

void router_free(Router *x) {
  if (x->proxy)
    object_free(x->proxy);
  delete x->keys;
  delete x->matched;
}

void router_anything(Router *x, t_symbol *s, long argc, t_atom *argv) {
  std::vector<t_atom> elements = message_atoms(s, argc, argv);
  if (proxy_getinlet(&x->header) != 0) {
    if (elements.empty()) {
      error("%s: the right inlet takes a number or a symbol", object_classname(x)->s_name);
      return;
    }
    x->keys->front() = x->bangs ? select_key(elements.front()) : elements.front();
    return;
  }
  // A bang's first element is its name (and so is an empty list's).
  if (elements.empty())
    atom_setsym(&elements.emplace_back(), gensym("bang"));
  const t_atom first = x->bangs ? select_key(elements.front()) : elements.front();
  for (std::size_t i = 0; i < x->keys->size(); ++i) {
    if (!same_atom((*x->keys)[i], first))
      continue;
    void *out = (*x->matched)[i];
    if (x->bangs)
      outlet_bang(out);
    else
      outlet_atoms(&x->header, out, std::span<t_atom>(elements).subspan(1));
    return;
  }
  if (x->bangs && s == gensym("float") && argc == 1)
    outlet_int(x->rejected, atom_getlong(argv));
  else
    outlet_message(&x->header, x->rejected, s, argc, argv);
}

void router_assist(Router *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_INLET) {
    copy_assist(text, index == 0 ? "(anything) to sort" : "(anything) the argument to match");
    return;
  }
  if (static_cast<std::size_t>(index) >= x->keys->size()) {
    copy_assist(text, "(anything) what matches no argument");
    return;
  }
  t_atom key = (*x->keys)[static_cast<std::size_t>(index)];
  const std::string shown = kit::format_atoms({&key, 1});
  std::snprintf(text, 512, x->bangs ? "(bang) on %s" : "(anything) the rest after %s",
                shown.c_str());
}

t_class *define_router(const char *name) {
  t_class *c =
      class_new(name, reinterpret_cast<method>(router_new), reinterpret_cast<method>(router_free),
                sizeof(Router), nullptr, A_GIMME, 0);
  add_message_methods<Router, router_anything>(c);
  class_addmethod(c, reinterpret_cast<method>(router_assist), "assist", A_CANT, 0);
  class_addmethod(c, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

void define_route() {
  route_class = define_router("route");
}

void define_select() {
  select_class = define_router("select");
  class_alias(select_class, gensym("sel"));
}

} // namespace kithost::builtins
