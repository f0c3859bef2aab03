// value NAME [INITIAL...] (v): one stored message shared by every value of
// the same name. A bang outputs it; any other message stores it without
// output, as does a message sent to NAME (send NAME, "; NAME ..."). INITIAL
// stores its atoms when the box is made. The stored message lasts while one
// value of the name exists.
#include "builtins_internal.hpp"
#include "messages.hpp"
#include "names.hpp"

#include <unordered_map>
#include <vector>

namespace kithost::builtins {

namespace {

struct Stored {
  t_symbol *selector = nullptr; ///< null while nothing is stored
  std::vector<t_atom> atoms;
  int holders = 0;
};

std::unordered_map<t_symbol *, Stored> &stored_values() {
  static auto *values = new std::unordered_map<t_symbol *, Stored>;
  return *values;
}

struct Value {
  t_object header;
  void *out;
  t_symbol *name;
};

t_class *value_class = nullptr;

void value_store(Value *x, t_symbol *s, long argc, t_atom *argv) {
  Stored &stored = stored_values()[x->name];
  stored.selector = s;
  stored.atoms.assign(argv, argv + (argc > 0 ? argc : 0));
}

void value_hear(t_object *x, t_symbol *s, long argc, t_atom *argv) {
  value_store(reinterpret_cast<Value *>(x), s, argc, argv);
}

void *value_new(t_symbol *, long argc, t_atom *argv) {
  if (argc < 1 || argv[0].a_type != A_SYM) {
    error("value: needs a name (a symbol) as its first argument");
    return nullptr;
  }
  auto *x = static_cast<Value *>(object_alloc(value_class));
  if (!x)
    return nullptr;
  x->out = outlet_new(x, nullptr);
  x->name = argv[0].a_w.w_sym;
  ++stored_values()[x->name].holders;
  names::bind(x->name, &x->header, value_hear);
  if (argc > 1) {
    const MessageView initial = as_message({argv + 1, static_cast<std::size_t>(argc - 1)});
    value_store(x, initial.selector, static_cast<long>(initial.atoms.size()), initial.atoms.data());
  }
  return x;
}

void value_free(Value *x) {
  names::unbind(x->name, &x->header);
  auto found = stored_values().find(x->name);
  if (found != stored_values().end() && --found->second.holders == 0)
    stored_values().erase(found);
}

void value_bang(Value *x) {
  // The output may store another message: send a copy.
  Stored &stored = stored_values()[x->name];
  if (!stored.selector)
    return;
  std::vector<t_atom> atoms = stored.atoms;
  outlet_message(&x->header, x->out, stored.selector, static_cast<long>(atoms.size()),
                 atoms.data());
}

void value_int(Value *x, t_atom_long n) {
  t_atom a;
  atom_setlong(&a, n);
  value_store(x, gensym("int"), 1, &a);
}
void value_float(Value *x, double f) {
  t_atom a;
  atom_setfloat(&a, f);
  value_store(x, gensym("float"), 1, &a);
}

void value_assist(Value *x, void *, long kind, long, char *text) {
  if (kind == ASSIST_INLET)
    std::snprintf(text, 512, "(bang) output the value of %s, (anything) store it", x->name->s_name);
  else
    std::snprintf(text, 512, "(anything) the value of %s", x->name->s_name);
}

} // namespace

void define_value() {
  value_class = class_new("value", reinterpret_cast<method>(value_new),
                          reinterpret_cast<method>(value_free), sizeof(Value), nullptr, A_GIMME, 0);
  class_addmethod(value_class, reinterpret_cast<method>(value_bang), "bang", 0);
  class_addmethod(value_class, reinterpret_cast<method>(value_int), "int", A_LONG, 0);
  class_addmethod(value_class, reinterpret_cast<method>(value_float), "float", A_FLOAT, 0);
  class_addmethod(value_class, reinterpret_cast<method>(value_store), "list", A_GIMME, 0);
  class_addmethod(value_class, reinterpret_cast<method>(value_store), "anything", A_GIMME, 0);
  class_addmethod(value_class, reinterpret_cast<method>(value_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, value_class);
  class_alias(value_class, gensym("v"));
}

} // namespace kithost::builtins
