// loadbang: sends a bang when its patch has been built (after every box and
// connection exists), and again for each bang it receives.
#include "builtins_internal.hpp"

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

} // namespace

void define_loadbang() {
  loadbang_class = class_new("loadbang", reinterpret_cast<method>(loadbang_new), nullptr,
                             sizeof(Loadbang), nullptr, 0);
  class_addmethod(loadbang_class, reinterpret_cast<method>(loadbang_bang), "bang", 0);
  class_addmethod(loadbang_class, reinterpret_cast<method>(loadbang_assist), "assist", A_CANT, 0);
  class_register(CLASS_BOX, loadbang_class);
}

bool fire_loadbang(t_object *x) {
  if (!loadbang_class || object_classname(x) != gensym("loadbang"))
    return false;
  loadbang_bang(reinterpret_cast<Loadbang *>(x));
  return true;
}

} // namespace kithost::builtins
