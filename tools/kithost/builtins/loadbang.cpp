// loadbang and loadmess ATOMS: send a bang (loadbang) or ATOMS as a message
// box holding them would (loadmess) when their patch has been built (after
// every box and connection exists), and again for each bang they receive.
#include "builtins_internal.hpp"
#include "messages.hpp"

#include <vector>

namespace kithost::builtins {

namespace {

struct Loadbang {
  t_object header;
  void *out;
};

t_class *loadbang_class = nullptr;

void *loadbang_new() {
  auto *x = static_cast<Loadbang *>(object_alloc(loadbang_class));
  if (x)
    x->out = bangout(x);
  return x;
}

void loadbang_bang(Loadbang *x) {
  outlet_bang(x->out);
}

void loadbang_assist(Loadbang *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(bang) bang again" : "(bang) when the patch is loaded");
}

struct Loadmess {
  t_object header;
  void *out;
  std::vector<t_atom> *atoms;
};

t_class *loadmess_class = nullptr;

void *loadmess_new(t_symbol *, long argc, t_atom *argv) {
  auto *x = static_cast<Loadmess *>(object_alloc(loadmess_class));
  if (!x)
    return nullptr;
  x->atoms = new std::vector<t_atom>(argv, argv + argc);
  x->out = outlet_new(x, nullptr);
  return x;
}

void loadmess_free(Loadmess *x) {
  delete x->atoms;
}

void loadmess_bang(Loadmess *x) {
  std::vector<t_atom> atoms = *x->atoms;
  outlet_atoms(&x->header, x->out, atoms);
}

void loadmess_assist(Loadmess *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(bang) send again"
                                         : "(anything) the message, when the patch is loaded");
}

} // namespace

void define_loadmess() {
  loadmess_class =
      class_new("loadmess", reinterpret_cast<method>(loadmess_new),
                reinterpret_cast<method>(loadmess_free), sizeof(Loadmess), nullptr, A_GIMME, 0);
  class_addmethod(loadmess_class, reinterpret_cast<method>(loadmess_bang), "bang", 0);
  class_addmethod(loadmess_class, reinterpret_cast<method>(loadmess_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, loadmess_class);
}

void define_loadbang() {
  loadbang_class = class_new("loadbang", reinterpret_cast<method>(loadbang_new), nullptr,
                             sizeof(Loadbang), nullptr, 0);
  class_addmethod(loadbang_class, reinterpret_cast<method>(loadbang_bang), "bang", 0);
  class_addmethod(loadbang_class, reinterpret_cast<method>(loadbang_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, loadbang_class);
}

bool fire_loadbang(t_object *x) {
  t_symbol *name = object_classname(x);
  if (loadbang_class && name == gensym("loadbang"))
    loadbang_bang(reinterpret_cast<Loadbang *>(x));
  else if (loadmess_class && name == gensym("loadmess"))
    loadmess_bang(reinterpret_cast<Loadmess *>(x));
  else
    return false;
  return true;
}

} // namespace kithost::builtins
