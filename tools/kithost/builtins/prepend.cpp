// prepend ARGS... and append ARGS...: every message out again with the
// arguments put before (prepend) or after (append) its atoms: "prepend set"
// makes "set 5" of 5 and "set foo 1" of "foo 1"; "append x" makes "5 x" of
// 5. The message's selector counts as its first atom, except for int, float
// and list. What goes out is the message a message box holding those atoms
// sends. Any message into the right inlet replaces the arguments.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Affix {
  t_object header;
  void *out;
  void *proxy;
  long inlet;
  std::vector<t_atom> *words; ///< the arguments
  bool before;                ///< prepend, else append
};

t_class *prepend_class = nullptr;
t_class *append_class = nullptr;

void *affix_new(t_symbol *s, long argc, t_atom *argv) {
  const bool before = s == gensym("prepend");
  auto *x = static_cast<Affix *>(object_alloc(before ? prepend_class : append_class));
  if (!x)
    return nullptr;
  x->before = before;
  x->words = new std::vector<t_atom>(argv, argv + argc);
  x->proxy = proxy_new(x, 1, &x->inlet);
  x->out = outlet_new(x, nullptr);
  return x;
}

void affix_free(Affix *x) {
  object_free(x->proxy);
  delete x->words;
}

void affix_anything(Affix *x, t_symbol *s, long argc, t_atom *argv) {
  std::vector<t_atom> message = message_atoms(s, argc, argv);
  if (proxy_getinlet(&x->header) != 0) {
    *x->words = std::move(message);
    return;
  }
  std::vector<t_atom> out = *x->words;
  out.insert(x->before ? out.end() : out.begin(), message.begin(), message.end());
  outlet_atoms(&x->header, x->out, out);
}
void affix_assist(Affix *x, void *, long kind, long index, char *text) {
  if (kind == ASSIST_OUTLET)
    copy_assist(text, x->before ? "(anything) the arguments, then the message"
                                : "(anything) the message, then the arguments");
  else
    copy_assist(text, index == 0 ? "(anything) to send on" : "(anything) replaces the arguments");
}

t_class *define_affix(const char *name) {
  t_class *c = class_new(name, reinterpret_cast<method>(affix_new),
                         reinterpret_cast<method>(affix_free), sizeof(Affix), nullptr, A_GIMME, 0);
  add_message_methods<Affix, affix_anything>(c);
  class_addmethod(c, reinterpret_cast<method>(affix_assist), "assist", A_CANT, 0);
  class_addmethod(c, reinterpret_cast<method>(stdinletinfo), "inletinfo", A_CANT, 0);
  class_register(CLASS_BOX, c);
  return c;
}

} // namespace

void define_prepend() {
  prepend_class = define_affix("prepend");
}

void define_append() {
  append_class = define_affix("append");
}

} // namespace kithost::builtins
