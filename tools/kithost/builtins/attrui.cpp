// attrui, headless: the setting of one attribute of the object it is
// connected to, named by its "attr" attribute. A value in (a number, a
// symbol, a list) is kept and sent out as "ATTR VALUE..."; a bang sends the
// kept value again; "set VALUE..." keeps it without output.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Attrui {
  t_object header;
  void *out;
  t_symbol *attr;
  std::vector<t_atom> *value;
};

t_class *attrui_class = nullptr;

void *attrui_new() {
  auto *x = static_cast<Attrui *>(object_alloc(attrui_class));
  if (!x)
    return nullptr;
  x->value = new std::vector<t_atom>;
  x->attr = gensym("");
  x->out = outlet_new(x, nullptr);
  return x;
}

void attrui_free(Attrui *x) {
  delete x->value;
}

void attrui_bang(Attrui *x) {
  if (!*x->attr->s_name) {
    error("attrui: no attribute chosen (attr)");
    return;
  }
  if (x->value->empty())
    return;
  std::vector<t_atom> value = *x->value;
  outlet_message(&x->header, x->out, x->attr, static_cast<long>(value.size()), value.data());
}

void attrui_set(Attrui *x, t_symbol *, long argc, t_atom *argv) {
  x->value->assign(argv, argv + argc);
}

void attrui_anything(Attrui *x, t_symbol *s, long argc, t_atom *argv) {
  if (s == gensym("bang")) {
    attrui_bang(x);
    return;
  }
  *x->value = message_atoms(s, argc, argv);
  attrui_bang(x);
}

void attrui_assist(Attrui *x, void *, long kind, long, char *text) {
  if (kind == ASSIST_INLET)
    copy_assist(text, "(anything) the value, (bang) send it again, set VALUE: without output");
  else
    std::snprintf(text, 512, "(anything) %s VALUE", *x->attr->s_name ? x->attr->s_name : "ATTR");
}

} // namespace

void define_attrui() {
  attrui_class = class_new("attrui", reinterpret_cast<method>(attrui_new),
                           reinterpret_cast<method>(attrui_free), sizeof(Attrui), nullptr, 0);
  add_message_methods<Attrui, attrui_anything>(attrui_class);
  class_addmethod(attrui_class, reinterpret_cast<method>(attrui_set), "set", A_GIMME, 0);
  class_addmethod(attrui_class, reinterpret_cast<method>(attrui_assist), "assist", A_CANT, 0);
  class_addattr(attrui_class, attr_offset_new("attr", gensym("symbol"), 0, nullptr, nullptr,
                                              calcoffset(Attrui, attr)));
  class_register(CLASS_BOX, attrui_class);
}

} // namespace kithost::builtins
