// The message box: holds messages (the parts between commas) and sends them
// in order on a bang. A number or list sends them with $1..$9 replaced by
// its atoms; "set" replaces the content without sending.
#include "builtins_internal.hpp"

#include <cstddef>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace kithost::builtins {

namespace {

struct MessageBox {
  t_object header;
  void *out;
  BoxContent *content; ///< owned
};

t_class *message_class = nullptr;

void *message_new() {
  auto *x = static_cast<MessageBox *>(object_alloc(message_class));
  if (!x)
    return nullptr;
  x->content = new (std::nothrow) BoxContent;
  if (!x->content) {
    freeobject(reinterpret_cast<t_object *>(x));
    return nullptr;
  }
  x->out = outlet_new(x, nullptr);
  return x;
}

void message_free(MessageBox *x) {
  delete x->content;
}

// An argument beyond those received is 0, as in an empty message box.
t_atom substitute(const BoxWord &word, long argc, const t_atom *argv) {
  if (word.dollar == 0)
    return word.atom;
  if (word.dollar <= argc)
    return argv[word.dollar - 1];
  t_atom zero;
  atom_setlong(&zero, 0);
  return zero;
}

void send_one(MessageBox *x, const std::vector<BoxWord> &words, long argc, const t_atom *argv) {
  if (words.empty())
    return;
  // Outlets count atoms in a short.
  if (words.size() > static_cast<std::size_t>(std::numeric_limits<short>::max())) {
    error("message: a message of %zu atoms is too long to send", words.size());
    return;
  }
  std::vector<t_atom> atoms;
  atoms.reserve(words.size());
  for (const BoxWord &word : words)
    atoms.push_back(substitute(word, argc, argv));
  const t_atom &first = atoms.front();
  if (first.a_type == A_LONG || first.a_type == A_FLOAT) {
    if (atoms.size() == 1 && first.a_type == A_LONG)
      outlet_int(x->out, first.a_w.w_long);
    else if (atoms.size() == 1)
      outlet_float(x->out, first.a_w.w_float);
    else
      outlet_list(x->out, gensym("list"), static_cast<short>(atoms.size()), atoms.data());
    return;
  }
  t_symbol *selector = first.a_type == A_SYM ? first.a_w.w_sym : gensym("list");
  // A packet's address can only come from the object that owns its bytes.
  if (selector == gensym("FullPacket")) {
    error("message: FullPacket cannot be sent from a message box");
    return;
  }
  if (selector == gensym("bang") && atoms.size() == 1) {
    outlet_bang(x->out);
    return;
  }
  outlet_anything(x->out, selector, static_cast<short>(atoms.size() - 1), atoms.data() + 1);
}

void message_send(MessageBox *x, long argc, const t_atom *argv) {
  // A message sent on may come back and change this box: send from a copy.
  const BoxContent content = *x->content;
  for (const auto &words : content)
    send_one(x, words, argc, argv);
}

void message_bang(MessageBox *x) {
  message_send(x, 0, nullptr);
}
void message_int(MessageBox *x, t_atom_long n) {
  t_atom a;
  atom_setlong(&a, n);
  message_send(x, 1, &a);
}
void message_float(MessageBox *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  message_send(x, 1, &a);
}
void message_list(MessageBox *x, t_symbol *, long argc, t_atom *argv) {
  message_send(x, argc, argv);
}

void message_set(MessageBox *x, t_symbol *, long argc, t_atom *argv) {
  std::vector<BoxWord> words;
  for (long i = 0; i < argc; ++i)
    words.push_back({argv[i], 0});
  BoxContent content;
  if (!words.empty())
    content.push_back(std::move(words));
  *x->content = std::move(content);
}

void message_assist(MessageBox *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(bang) send, (list) send with $1..$9, set"
                                         : "the messages of the box");
}

} // namespace

void define_message() {
  message_class = class_new("message", reinterpret_cast<method>(message_new),
                            reinterpret_cast<method>(message_free), sizeof(MessageBox), nullptr, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_bang), "bang", 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_int), "int", A_LONG, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_float), "float", A_FLOAT, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_list), "list", A_GIMME, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_set), "set", A_GIMME, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, message_class);
}

bool set_message_content(t_object *x, BoxContent content) {
  if (!message_class || object_classname(x) != gensym("message"))
    return false;
  *reinterpret_cast<MessageBox *>(x)->content = std::move(content);
  return true;
}

} // namespace kithost::builtins
