// send NAME (s) and receive NAME (r): messages without patch cords. Every
// message into a send goes to every object bound to NAME (each receive NAME
// and value NAME, in the order they were made), also from other patches
// and message boxes' "; NAME message" lines. A receive passes each on out of
// its outlet; "set NAME" gives it another name, and one made without a name
// hears nothing until then.
#include "builtins_internal.hpp"
#include "messages.hpp"
#include "names.hpp"

namespace kithost::builtins {

namespace {

struct Send {
  t_object header;
  t_symbol *name; ///< null without one
};

struct Receive {
  t_object header;
  void *out;
  t_symbol *name; ///< null while bound to none
};

t_class *send_class = nullptr;
t_class *receive_class = nullptr;

/// The name a box was given: its one symbol argument, or null.
t_symbol *name_argument(const char *class_name, long argc, t_atom *argv) {
  if (argc == 0)
    return nullptr;
  if (argc > 1)
    error("%s: only the first argument is used as the name", class_name);
  if (argv[0].a_type != A_SYM) {
    error("%s: the name must be a symbol", class_name);
    return nullptr;
  }
  return argv[0].a_w.w_sym;
}

void *send_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Send *>(object_alloc(send_class));
  if (x)
    x->name = name_argument("send", argc, argv);
  return x;
}

void send_anything(Send *x, t_symbol *s, long argc, t_atom *argv) {
  if (!x->name) {
    error("send: no name to send \"%s\" to", s->s_name);
    return;
  }
  names::send(x->name, s, {argv, static_cast<std::size_t>(argc > 0 ? argc : 0)});
}
void send_assist(Send *x, void *, long, long, char *text) {
  std::snprintf(text, 512, "(anything) sent to every receive %s",
                x->name ? x->name->s_name : "(no name)");
}

void receive_hear(t_object *x, t_symbol *s, long argc, t_atom *argv) {
  outlet_message(x, reinterpret_cast<Receive *>(x)->out, s, argc, argv);
}

void receive_bind(Receive *x, t_symbol *name) {
  if (x->name)
    names::unbind(x->name, &x->header);
  x->name = name;
  if (name)
    names::bind(name, &x->header, receive_hear);
}

void *receive_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Receive *>(object_alloc(receive_class));
  if (!x)
    return nullptr;
  x->out = outlet_new(x, nullptr);
  receive_bind(x, name_argument("receive", argc, argv));
  return x;
}

void receive_free(Receive *x) {
  receive_bind(x, nullptr);
}

void receive_set(Receive *x, t_symbol *name) {
  receive_bind(x, *name->s_name ? name : nullptr);
}

void receive_assist(Receive *x, void *, long kind, long, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "set NAME: listen to another name");
  else
    std::snprintf(text, 512, "(anything) sent to %s", x->name ? x->name->s_name : "(no name)");
}

} // namespace

void define_send() {
  send_class = class_new("send", reinterpret_cast<method>(send_new), nullptr, sizeof(Send), nullptr,
                         A_GIMME, 0);
  add_message_methods<Send, send_anything>(send_class);
  class_addmethod(send_class, reinterpret_cast<method>(send_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, send_class);
  class_alias(send_class, gensym("s"));
}

void define_receive() {
  receive_class =
      class_new("receive", reinterpret_cast<method>(receive_new),
                reinterpret_cast<method>(receive_free), sizeof(Receive), nullptr, A_GIMME, 0);
  class_addmethod(receive_class, reinterpret_cast<method>(receive_set), "set", A_SYM, 0);
  class_addmethod(receive_class, reinterpret_cast<method>(receive_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, receive_class);
  class_alias(receive_class, gensym("r"));
}

} // namespace kithost::builtins
