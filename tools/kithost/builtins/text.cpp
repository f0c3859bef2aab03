// atoi and itoa: text to character codes and back, for sending and reading
// lines of text through byte-oriented objects such as nexio.
//   atoi: a message (its selector and atoms, joined by spaces) or a symbol
//         becomes a list of its bytes; "atoi" keeps no state.
//   itoa: a list (or int) of byte values becomes one symbol; bytes outside
//         1-255 are left out, since a symbol ends at a 0.
#include "builtins_internal.hpp"

#include <string>
#include <vector>

namespace kithost::builtins {

namespace {

struct Text {
  t_object header;
  void *out;
};

t_class *atoi_class = nullptr;
t_class *itoa_class = nullptr;

void *atoi_new() {
  auto *x = static_cast<Text *>(object_alloc(atoi_class));
  if (x)
    x->out = listout(x);
  return x;
}

void *itoa_new() {
  auto *x = static_cast<Text *>(object_alloc(itoa_class));
  if (x)
    x->out = outlet_new(x, nullptr);
  return x;
}

// The text of an atom as a message box shows it.
std::string atom_text(const t_atom &a) {
  switch (a.a_type) {
  case A_LONG:
    return std::to_string(a.a_w.w_long);
  case A_FLOAT: {
    char text[64];
    std::snprintf(text, sizeof text, "%g", a.a_w.w_float);
    return text;
  }
  case A_SYM:
    return a.a_w.w_sym->s_name;
  default:
    return {};
  }
}

void atoi_send(Text *x, const std::string &text) {
  if (text.empty())
    return;
  std::vector<t_atom> codes(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    atom_setlong(&codes[i], static_cast<unsigned char>(text[i]));
  outlet_list(x->out, nullptr, static_cast<short>(codes.size()), codes.data());
}

void atoi_anything(Text *x, t_symbol *s, long argc, t_atom *argv) {
  // "list" and "symbol" only say what follows; any other selector is text.
  std::string text = s && s != gensym("list") && s != gensym("symbol") ? s->s_name : "";
  for (long i = 0; i < argc; ++i) {
    if (!text.empty())
      text += ' ';
    text += atom_text(argv[i]);
  }
  // A list holds at most this many atoms; a longer text is refused whole
  // rather than cut.
  if (text.size() > 32767) {
    error("atoi: text longer than 32767 bytes, nothing sent");
    return;
  }
  atoi_send(x, text);
}

void atoi_int(Text *x, t_atom_long n) {
  atoi_send(x, std::to_string(n));
}

void itoa_list(Text *x, t_symbol *, long argc, t_atom *argv) {
  std::string text;
  for (long i = 0; i < argc; ++i) {
    // A float counts as the host turns it into a long (held at the long's
    // limits, so a huge one is left out like any value above 255).
    const t_atom_long code =
        argv[i].a_type == A_LONG || argv[i].a_type == A_FLOAT ? atom_getlong(&argv[i]) : 0;
    if (code >= 1 && code <= 255)
      text += static_cast<char>(code);
  }
  t_atom symbol;
  atom_setsym(&symbol, gensym(text.c_str()));
  outlet_anything(x->out, gensym("symbol"), 1, &symbol);
}

void itoa_int(Text *x, t_atom_long n) {
  t_atom code;
  atom_setlong(&code, n);
  itoa_list(x, nullptr, 1, &code);
}

void text_assist(Text *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(anything) text or codes" : "(list or symbol)");
}

} // namespace

void define_atoi() {
  atoi_class =
      class_new("atoi", reinterpret_cast<method>(atoi_new), nullptr, sizeof(Text), nullptr, 0);
  class_addmethod(atoi_class, reinterpret_cast<method>(atoi_int), "int", A_LONG, 0);
  class_addmethod(atoi_class, reinterpret_cast<method>(atoi_anything), "list", A_GIMME, 0);
  class_addmethod(atoi_class, reinterpret_cast<method>(atoi_anything), "anything", A_GIMME, 0);
  class_addmethod(atoi_class, reinterpret_cast<method>(text_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, atoi_class);
}

void define_itoa() {
  itoa_class =
      class_new("itoa", reinterpret_cast<method>(itoa_new), nullptr, sizeof(Text), nullptr, 0);
  class_addmethod(itoa_class, reinterpret_cast<method>(itoa_int), "int", A_LONG, 0);
  class_addmethod(itoa_class, reinterpret_cast<method>(itoa_list), "list", A_GIMME, 0);
  class_addmethod(itoa_class, reinterpret_cast<method>(text_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, itoa_class);
}

} // namespace kithost::builtins
