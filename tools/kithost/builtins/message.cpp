// The message box: holds messages and sends them in order on a bang. Any
// other message at its left inlet sends them with $1..$9 replaced by its
// atoms (an int's, a list's, or a message's selector then its atoms); "set",
// "append" and "prepend" change the content without sending. Whatever comes
// to its right inlet becomes the content, unsent. Messages after a ';' in the
// text go to the receivers of a name instead of the outlet.
#include "builtins_internal.hpp"
#include "messages.hpp"
#include "names.hpp"

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace kithost::builtins {

namespace {

struct MessageBox {
  t_object header;
  void *out;
  void *right;         ///< the proxy of the right inlet
  long inlet;          ///< which inlet a message came in (the proxy's)
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
  x->right = proxy_new(x, 1, &x->inlet);
  x->out = outlet_new(x, nullptr);
  return x;
}

void message_free(MessageBox *x) {
  object_free(x->right);
  delete x->content;
}

bool at_right_inlet(MessageBox *x) {
  return proxy_getinlet(reinterpret_cast<t_object *>(x)) == 1;
}

// An argument beyond those received is 0, as in an empty message box.
t_atom substitute(const BoxWord &word, std::span<const t_atom> arguments) {
  if (word.dollar == 0)
    return word.atom;
  if (static_cast<std::size_t>(word.dollar) <= arguments.size())
    return arguments[static_cast<std::size_t>(word.dollar) - 1];
  t_atom zero;
  atom_setlong(&zero, 0);
  return zero;
}

void send_one(MessageBox *x, const BoxMessage &message, std::span<const t_atom> arguments) {
  std::vector<t_atom> atoms;
  atoms.reserve(message.words.size());
  for (const BoxWord &word : message.words)
    atoms.push_back(substitute(word, arguments));
  // A packet's address can only come from the object that owns its bytes.
  if (atoms.front().a_type == A_SYM && atoms.front().a_w.w_sym == gensym("FullPacket")) {
    error("message: FullPacket cannot be sent from a message box");
    return;
  }
  if (!message.to) {
    outlet_atoms(&x->header, x->out, atoms);
    return;
  }
  const t_atom name = substitute(*message.to, arguments);
  if (name.a_type != A_SYM) {
    error("message: a receiver's name must be a symbol, not a number");
    return;
  }
  const MessageView sent = as_message(atoms);
  names::send(name.a_w.w_sym, sent.selector, sent.atoms);
}

/// Atoms as the content of the box: one message of them, or none.
BoxContent literal_content(std::span<const t_atom> atoms) {
  BoxMessage message;
  for (const t_atom &atom : atoms)
    message.words.push_back({atom, 0});
  BoxContent content;
  if (!message.words.empty())
    content.push_back(std::move(message));
  return content;
}

/// The left inlet sends, with the message's atoms for $1..$9; the right one
/// makes the message the content.
void message_receive(MessageBox *x, t_symbol *selector, long argc, const t_atom *argv) {
  // A bang carries no atoms, but as content it is the word "bang".
  const bool bang = selector == gensym("bang");
  if (at_right_inlet(x)) {
    t_atom word;
    atom_setsym(&word, selector);
    *x->content =
        bang ? literal_content({&word, 1}) : literal_content(message_atoms(selector, argc, argv));
    return;
  }
  const std::vector<t_atom> arguments = message_atoms(selector, argc, argv);
  // A message sent on may come back and change this box: send from a copy.
  const BoxContent content = *x->content;
  for (const BoxMessage &message : content)
    send_one(x, message, arguments);
}

void message_bang(MessageBox *x) {
  message_receive(x, gensym("bang"), 0, nullptr);
}
void message_int(MessageBox *x, t_atom_long n) {
  t_atom a;
  atom_setlong(&a, n);
  message_receive(x, gensym("int"), 1, &a);
}
void message_float(MessageBox *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  message_receive(x, gensym("float"), 1, &a);
}
void message_list(MessageBox *x, t_symbol *, long argc, t_atom *argv) {
  message_receive(x, gensym("list"), argc, argv);
}
void message_anything(MessageBox *x, t_symbol *selector, long argc, t_atom *argv) {
  message_receive(x, selector, argc, argv);
}

void message_set(MessageBox *x, t_symbol *selector, long argc, t_atom *argv) {
  if (at_right_inlet(x)) {
    message_receive(x, selector, argc, argv);
    return;
  }
  *x->content = literal_content({argv, static_cast<std::size_t>(argc > 0 ? argc : 0)});
}

/// append and prepend: the atoms join the last message, or the first.
void message_extend(MessageBox *x, t_symbol *selector, long argc, t_atom *argv, bool at_end) {
  if (at_right_inlet(x)) {
    message_receive(x, selector, argc, argv);
    return;
  }
  const std::span<const t_atom> atoms(argv, static_cast<std::size_t>(argc > 0 ? argc : 0));
  if (x->content->empty()) {
    *x->content = literal_content(atoms);
    return;
  }
  std::vector<BoxWord> &words = at_end ? x->content->back().words : x->content->front().words;
  std::vector<BoxWord> added;
  for (const t_atom &atom : atoms)
    added.push_back({atom, 0});
  words.insert(at_end ? words.end() : words.begin(), added.begin(), added.end());
}
void message_append(MessageBox *x, t_symbol *selector, long argc, t_atom *argv) {
  message_extend(x, selector, argc, argv, true);
}
void message_prepend(MessageBox *x, t_symbol *selector, long argc, t_atom *argv) {
  message_extend(x, selector, argc, argv, false);
}

void message_assist(MessageBox *, void *, long kind, long index, char *text) {
  if (kind != ASSIST_INLET)
    copy_assist(text, "the messages of the box");
  else if (index == 0)
    copy_assist(text, "(bang) send, (anything) send with $1..$9, set, append, prepend");
  else
    copy_assist(text, "(anything) becomes the content, not sent");
}

} // namespace

void define_message() {
  message_class = class_new("message", reinterpret_cast<method>(message_new),
                            reinterpret_cast<method>(message_free), sizeof(MessageBox), nullptr, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_bang), "bang", 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_int), "int", A_LONG, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_float), "float", A_FLOAT, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_list), "list", A_GIMME, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_anything), "anything", A_GIMME,
                  0);
  class_addmethod(message_class, reinterpret_cast<method>(message_set), "set", A_GIMME, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_append), "append", A_GIMME, 0);
  class_addmethod(message_class, reinterpret_cast<method>(message_prepend), "prepend", A_GIMME, 0);
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
